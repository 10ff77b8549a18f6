#include "framework/bridge/BridgeServer.h"

#include "framework/bridge/BeastMessages.h"
#include "framework/bridge/Token.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <list>
#include <mutex>
#include <thread>

namespace afx::bridge {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

using beastio::kBodyLimit;
using beastio::ToMessage;
using beastio::ToRequest;

// An idle connection is closed after this long; a started request must
// arrive whole within the longer time.
constexpr auto kKeepAlive = std::chrono::seconds(2);
constexpr auto kRequestTime = std::chrono::seconds(10);
// An answer must be taken within this time.
constexpr auto kWriteTime = std::chrono::seconds(30);

// One connection: its own I/O context and thread, so that a request that
// waits for the dialog holds up nobody else.
struct Session {
    asio::io_context io;
    beast::tcp_stream stream{io};
    std::thread thread;
    std::atomic<bool> done{false};

    // Runs the I/O operation started by `start` to its end.
    beast::error_code Await(const std::function<void(std::function<void(beast::error_code)>)>& start)
    {
        beast::error_code result = asio::error::operation_aborted;
        start([&result](beast::error_code ec) { result = ec; });
        io.restart();
        io.run();
        return result;
    }

    void Serve(BridgeRoutes& routes, const std::atomic<bool>& stopping)
    {
        beast::flat_buffer buffer;
        while (!stopping) {
            http::request_parser<http::string_body> parser;
            parser.body_limit(kBodyLimit);
            stream.expires_after(kKeepAlive);
            beast::error_code ec = Await([&](auto done) {
                http::async_read_header(stream, buffer, parser,
                                        [done](beast::error_code e, size_t) { done(e); });
            });
            if (!ec && !parser.is_done()) {
                stream.expires_after(kRequestTime);
                ec = Await([&](auto done) {
                    http::async_read(stream, buffer, parser, [done](beast::error_code e, size_t) { done(e); });
                });
            }
            if (ec == http::error::body_limit) {
                Write(ToMessage(beastio::TooLarge(), false, parser.get().version(), false));
                break;
            }
            if (ec || stopping)
                break;
            const auto& message = parser.get();
            HttpResponse response = routes.Handle(ToRequest(message));
            bool keepAlive = message.keep_alive() && !stopping;
            bool head = message.method() == http::verb::head;
            if (Write(ToMessage(std::move(response), head, message.version(), keepAlive)) || !keepAlive)
                break;
        }
        beast::error_code ignored;
        stream.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream.socket().close(ignored);
        done = true;
    }

    beast::error_code Write(http::response<http::string_body> message)
    {
        stream.expires_after(kWriteTime);
        return Await([&](auto done) {
            http::async_write(stream, message, [done](beast::error_code e, size_t) { done(e); });
        });
    }

    // From another thread: ends the connection's I/O at once.
    void Close()
    {
        asio::post(io, [this] { stream.cancel(); });
    }
};

} // namespace

struct BridgeServer::Listener {
    asio::io_context io;
    tcp::acceptor acceptor{io};
    std::thread thread;
    std::atomic<bool> stopping{false};
    std::mutex mutex; // guards sessions
    std::list<std::unique_ptr<Session>> sessions;

    void Accept(BridgeRoutes& routes)
    {
        auto session = std::make_unique<Session>();
        Session* next = session.get();
        acceptor.async_accept(next->io, [this, &routes, session = std::move(session)](
                                            beast::error_code ec, tcp::socket socket) mutable {
            if (ec || stopping)
                return;
            session->stream.socket() = std::move(socket);
            Session* s = session.get();
            {
                std::lock_guard<std::mutex> lock(mutex);
                ReapLocked();
                sessions.push_back(std::move(session));
            }
            s->thread = std::thread([this, s, &routes] { s->Serve(routes, stopping); });
            Accept(routes);
        });
    }

    // Joins the threads of connections that have ended.
    void ReapLocked()
    {
        for (auto it = sessions.begin(); it != sessions.end();) {
            if ((*it)->done) {
                (*it)->thread.join();
                it = sessions.erase(it);
            } else {
                ++it;
            }
        }
    }

    void Stop()
    {
        stopping = true;
        asio::post(io, [this] {
            beast::error_code ignored;
            acceptor.close(ignored);
        });
        if (thread.joinable())
            thread.join();
        std::lock_guard<std::mutex> lock(mutex);
        for (auto& session : sessions)
            session->Close();
        for (auto& session : sessions)
            session->thread.join();
        sessions.clear();
    }
};

BridgeServer::BridgeServer(BridgeState& state, BridgeTimings timings) : m_routes(state, timings, m_settings)
{
}

BridgeServer::~BridgeServer()
{
    Stop();
}

bool BridgeServer::Start()
{
    if (m_listener)
        return true;
    m_settings.token = MakeToken();
    if (m_settings.token.empty())
        return false;
    auto listener = std::make_unique<Listener>();
    beast::error_code ec;
    tcp::endpoint loopback(asio::ip::make_address_v4("127.0.0.1"), 0);
    listener->acceptor.open(loopback.protocol(), ec);
    if (!ec)
        listener->acceptor.bind(loopback, ec);
    if (!ec)
        listener->acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec)
        return false;
    m_settings.port = listener->acceptor.local_endpoint(ec).port();
    if (ec || m_settings.port <= 0)
        return false;
    listener->Accept(m_routes);
    Listener* l = listener.get();
    listener->thread = std::thread([l] { l->io.run(); });
    m_listener = std::move(listener);
    return true;
}

void BridgeServer::Stop()
{
    if (!m_listener)
        return;
    m_listener->Stop();
    m_listener.reset();
}

std::string BridgeServer::Address() const
{
    return "http://127.0.0.1:" + std::to_string(m_settings.port) + "/?token=" + m_settings.token;
}

} // namespace afx::bridge
