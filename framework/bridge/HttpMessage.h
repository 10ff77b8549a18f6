// One HTTP exchange as the page server's rules and routes see it, apart from
// how it travels: the request's method, target, headers and body in, the
// status, headers and body out.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace afx::bridge {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string method;
    std::string target; // as sent: path and query
    HttpHeaders headers;
    std::string body;

    // From the target: the percent-decoded path and the query's parameters
    // ('+' is a blank there), filled by MakeRequest.
    std::string path;
    std::multimap<std::string, std::string> params;

    // Header names are matched without regard to case.
    size_t HeaderCount(const std::string& name) const;
    bool HasHeader(const std::string& name) const { return HeaderCount(name) > 0; }
    // The first value of the header, or "".
    std::string Header(const std::string& name) const;
    bool HasParam(const std::string& name) const { return params.count(name) > 0; }
    std::string Param(const std::string& name) const;
};

struct HttpResponse {
    int status = 200;
    HttpHeaders headers;
    std::string body;

    // Replaces the header's value (or adds it).
    void SetHeader(const std::string& name, const std::string& value);
    std::string Header(const std::string& name) const;
    void SetContent(std::string content, const std::string& contentType);
    void SetRedirect(const std::string& location, int status);
};

HttpRequest MakeRequest(std::string method, std::string target, HttpHeaders headers, std::string body);

// %XX sequences decoded; with plusIsBlank, '+' becomes ' ' (query strings).
std::string DecodeUrlPart(const std::string& text, bool plusIsBlank);

} // namespace afx::bridge
