#include "framework/bridge/RequestGuard.h"

#include "framework/bridge/Token.h"

#include <strings.h>

namespace afx::bridge {
namespace {

bool oneHeaderEquals(const HttpRequest& request, const char* name, const std::string& a, const std::string& b)
{
    if (request.HeaderCount(name) != 1)
        return false;
    std::string value = request.Header(name);
    return value == a || value == b;
}

// The token value of the cookie header, or "".
std::string cookieToken(const HttpRequest& request, const std::string& name)
{
    std::string cookies = request.Header("Cookie");
    size_t at = 0;
    while (at < cookies.size()) {
        size_t end = cookies.find(';', at);
        if (end == std::string::npos)
            end = cookies.size();
        std::string pair = cookies.substr(at, end - at);
        size_t first = pair.find_first_not_of(' ');
        if (first != std::string::npos && pair.compare(first, name.size() + 1, name + "=") == 0)
            return pair.substr(first + name.size() + 1);
        at = end + 1;
    }
    return "";
}

bool carriesToken(const HttpRequest& request, const GuardSettings& settings)
{
    if (request.path == "/" && request.HasParam("token") &&
        TokenEquals(request.Param("token"), settings.token))
        return true;
    if (TokenEquals(cookieToken(request, TokenCookieName(settings.port)), settings.token))
        return true;
    return request.HasHeader("X-Ravlin-Token") &&
           TokenEquals(request.Header("X-Ravlin-Token"), settings.token);
}

bool isJson(const std::string& contentType)
{
    std::string type = contentType.substr(0, contentType.find(';'));
    while (!type.empty() && type.back() == ' ')
        type.pop_back();
    return strcasecmp(type.c_str(), "application/json") == 0;
}

} // namespace

std::string TokenCookieName(int port)
{
    return "ravlin_" + std::to_string(port);
}

bool IsActionPath(const std::string& path)
{
    return path == "/bridge/click" || path == "/bridge/loaded";
}

std::optional<Refusal> CheckRequest(const HttpRequest& request, const GuardSettings& settings)
{
    const std::string port = std::to_string(settings.port);
    if (!oneHeaderEquals(request, "Host", "127.0.0.1:" + port, "localhost:" + port))
        return Refusal{403, "the Host header does not name this server"};
    if (request.HasHeader("Origin") &&
        !oneHeaderEquals(request, "Origin", "http://127.0.0.1:" + port, "http://localhost:" + port))
        return Refusal{403, "requests from other origins are refused"};
    std::string site = request.Header("Sec-Fetch-Site");
    if ((site == "cross-site" || site == "same-site") && request.Header("Sec-Fetch-Mode") != "navigate")
        return Refusal{403, "requests from other sites are refused"};
    if (!carriesToken(request, settings))
        return Refusal{401, "the request does not carry this run's token"};
    if (IsActionPath(request.path)) {
        if (request.method != "POST")
            return Refusal{405, request.path + " takes POST only"};
        if (!isJson(request.Header("Content-Type")))
            return Refusal{415, request.path + " takes application/json only"};
    } else if (request.method != "GET" && request.method != "HEAD") {
        return Refusal{405, request.path + " takes GET only"};
    }
    return std::nullopt;
}

} // namespace afx::bridge
