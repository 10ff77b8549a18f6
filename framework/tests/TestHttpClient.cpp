#include "TestHttpClient.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <strings.h>

namespace afx::bridge::testing {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;

std::string HttpReply::get_header_value(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    }
    return "";
}

size_t HttpReply::get_header_value_count(const std::string& name) const
{
    size_t count = 0;
    for (const auto& header : headers) {
        if (strcasecmp(header.first.c_str(), name.c_str()) == 0)
            ++count;
    }
    return count;
}

std::optional<HttpReply> SendHttp(const std::string& address, int port, const std::string& method,
                                  const std::string& target, HttpHeaders headers, const std::string& body,
                                  const std::string& contentType)
{
    asio::io_context io;
    beast::tcp_stream stream(io);
    beast::error_code ec;
    stream.expires_after(std::chrono::seconds(30));
    stream.connect(asio::ip::tcp::endpoint(asio::ip::make_address(address), static_cast<unsigned short>(port)), ec);
    if (ec)
        return std::nullopt;
    http::request<http::string_body> request;
    request.method_string(method);
    request.target(target);
    request.version(11);
    bool hasHost = false;
    for (const auto& [name, value] : headers) {
        hasHost = hasHost || strcasecmp(name.c_str(), "Host") == 0;
        request.insert(name, value);
    }
    if (!hasHost)
        request.set(http::field::host, address + ":" + std::to_string(port));
    if (!contentType.empty())
        request.set(http::field::content_type, contentType);
    request.body() = body;
    request.prepare_payload();
    request.keep_alive(false);
    http::write(stream, request, ec);
    if (ec)
        return std::nullopt;
    beast::flat_buffer buffer;
    http::response_parser<http::string_body> parser;
    parser.body_limit(64 << 20);
    if (method == "HEAD")
        parser.skip(true);
    http::read(stream, buffer, parser, ec);
    if (ec)
        return std::nullopt;
    HttpReply reply;
    reply.status = static_cast<int>(parser.get().result_int());
    for (const auto& field : parser.get())
        reply.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    reply.body = parser.get().body();
    return reply;
}

} // namespace afx::bridge::testing
