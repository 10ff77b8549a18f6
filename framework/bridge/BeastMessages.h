// How an HTTP exchange is read and written with Boost.Beast: the request's
// size limit, and the conversions between Beast's messages and the
// transport-free HttpRequest and HttpResponse. The page server uses them on
// its connections, and tools that feed request bytes straight to the
// routes use them the same way.
#pragma once

#include "framework/bridge/HttpMessage.h"

#include <boost/beast/http.hpp>

#include <cstddef>
#include <string>
#include <utility>

namespace afx::bridge::beastio {

namespace http = boost::beast::http;

// A request may carry at most this much (the pages send small JSON bodies);
// a larger one is answered 413.
constexpr size_t kBodyLimit = 1 << 20;

inline HttpRequest ToRequest(const http::request<http::string_body>& message)
{
    HttpHeaders headers;
    for (const auto& field : message)
        headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    return MakeRequest(std::string(message.method_string()), std::string(message.target()), std::move(headers),
                       message.body());
}

// The answer as sent: a HEAD request's answer has its length but no body.
inline http::response<http::string_body> ToMessage(HttpResponse response, bool head, unsigned version, bool keepAlive)
{
    http::response<http::string_body> message;
    message.version(version);
    message.result(static_cast<unsigned>(response.status));
    for (auto& [name, value] : response.headers)
        message.insert(name, value);
    size_t length = response.body.size();
    if (!head)
        message.body() = std::move(response.body);
    message.content_length(length);
    message.keep_alive(keepAlive);
    return message;
}

// The answer to a request larger than kBodyLimit.
inline HttpResponse TooLarge()
{
    HttpResponse tooLarge;
    tooLarge.status = 413;
    tooLarge.SetContent("the request is too large\n", "text/plain");
    return tooLarge;
}

} // namespace afx::bridge::beastio
