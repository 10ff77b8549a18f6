// A small HTTP client for tests of the page server: one request per
// connection to 127.0.0.1 (or another loopback address), answered or not.
#pragma once

#include "framework/bridge/HttpMessage.h"

#include <optional>
#include <string>

namespace afx::bridge::testing {

struct HttpReply {
    int status = 0;
    HttpHeaders headers;
    std::string body;
    std::string get_header_value(const std::string& name) const;
    size_t get_header_value_count(const std::string& name) const;
};

// A Host header naming 127.0.0.1:port is added unless `headers` has one.
std::optional<HttpReply> SendHttp(const std::string& address, int port, const std::string& method,
                                  const std::string& target, HttpHeaders headers, const std::string& body = "",
                                  const std::string& contentType = "");

} // namespace afx::bridge::testing
