// Fuzzes the page server's request handling in process: the input's request
// is read by Beast's parser with the server's own limit, as a connection
// reads it, and then answered by the server's routes (the guard, the page
// folder, the bridge requests). Every request is answered with a 2xx to 4xx
// (413 beyond the size limit), or is no HTTP and gets no answer; nothing
// crashes or hangs. No socket is involved, so millions of inputs can be
// tried; SocketFuzzer.cpp covers the transport. The input is described in
// FuzzedServer.h.
#include "FuzzedServer.h"

#include "framework/bridge/BeastMessages.h"

#include <boost/asio/buffer.hpp>

#include <sstream>

namespace http = boost::beast::http;
using afx::bridge::beastio::kBodyLimit;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzbridge::FuzzedServer& s = fuzzbridge::Server();
    fuzzbridge::FuzzedRequest request = fuzzbridge::BuildRequest(data, size);
    fuzzbridge::CheckPageFolder(request.target);

    http::request_parser<http::string_body> parser;
    parser.body_limit(kBodyLimit);
    boost::beast::error_code ec;
    size_t at = 0;
    while (!parser.is_done() && at < request.text.size()) {
        size_t used = parser.put(boost::asio::buffer(request.text.data() + at, request.text.size() - at), ec);
        at += used;
        if (ec == http::error::need_more && used > 0)
            ec = {};
        if (ec)
            break;
    }
    if (ec == http::error::body_limit) {
        fuzzbridge::CheckAnswer(afx::bridge::beastio::TooLarge().status, "");
        return 0;
    }
    if (ec || !parser.is_done())
        return 0; // no whole request: a connection would close without a word
    afx::bridge::HttpResponse response = s.server.Routes().Handle(afx::bridge::beastio::ToRequest(parser.get()));
    // The answer must also be one the transport can write: it is written
    // out whole, as a connection would send it.
    std::ostringstream written;
    written << afx::bridge::beastio::ToMessage(response, request.head, parser.get().version(), false);
    fuzzbridge::CheckAnswer(response.status, response.body);
    return 0;
}
