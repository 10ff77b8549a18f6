#include "framework/bridge/HttpMessage.h"

#include <strings.h>

namespace afx::bridge {
namespace {

bool sameName(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void parseQuery(const std::string& query, std::multimap<std::string, std::string>* params)
{
    size_t at = 0;
    while (at <= query.size()) {
        size_t end = query.find('&', at);
        if (end == std::string::npos)
            end = query.size();
        std::string pair = query.substr(at, end - at);
        if (!pair.empty()) {
            size_t equals = pair.find('=');
            std::string name = pair.substr(0, equals);
            std::string value = equals == std::string::npos ? "" : pair.substr(equals + 1);
            params->emplace(DecodeUrlPart(name, true), DecodeUrlPart(value, true));
        }
        at = end + 1;
    }
}

} // namespace

std::string DecodeUrlPart(const std::string& text, bool plusIsBlank)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else if (c == '+' && plusIsBlank) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

size_t HttpRequest::HeaderCount(const std::string& name) const
{
    size_t count = 0;
    for (const auto& [key, value] : headers) {
        if (sameName(key, name))
            ++count;
    }
    return count;
}

std::string HttpRequest::Header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (sameName(key, name))
            return value;
    }
    return "";
}

std::string HttpRequest::Param(const std::string& name) const
{
    auto it = params.find(name);
    return it == params.end() ? "" : it->second;
}

void HttpResponse::SetHeader(const std::string& name, const std::string& value)
{
    for (auto& [key, existing] : headers) {
        if (sameName(key, name)) {
            existing = value;
            return;
        }
    }
    headers.emplace_back(name, value);
}

std::string HttpResponse::Header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (sameName(key, name))
            return value;
    }
    return "";
}

void HttpResponse::SetContent(std::string content, const std::string& contentType)
{
    body = std::move(content);
    SetHeader("Content-Type", contentType);
}

void HttpResponse::SetRedirect(const std::string& location, int redirectStatus)
{
    status = redirectStatus;
    SetHeader("Location", location);
}

HttpRequest MakeRequest(std::string method, std::string target, HttpHeaders headers, std::string body)
{
    HttpRequest request;
    request.method = std::move(method);
    request.target = std::move(target);
    request.headers = std::move(headers);
    request.body = std::move(body);
    size_t query = request.target.find('?');
    request.path = DecodeUrlPart(request.target.substr(0, query), false);
    if (query != std::string::npos)
        parseQuery(request.target.substr(query + 1), &request.params);
    return request;
}

} // namespace afx::bridge
