// Fuzzes the page server's request handling over loopback: whatever a local
// program sends (method, target, headers, a body of any shape and size) is
// answered, and every refusal is a 4xx answer; nothing crashes, hangs or
// answers 5xx. The server runs with a stand-in dialog that answers every
// event and a page folder with a page, a style sheet and a link out of it.
//
// The input is a request in lines: the method, the target, header lines up
// to an empty line, then the body. "$P" becomes the server's port and "$T"
// its token, so that inputs get past the guard; a Host header is added
// unless the input gives one, and Content-Length always. A method line
// ending in "+BIG" repeats the body beyond the server's 1 MiB limit.
//
// The addresses the server resolves go through the page folder as well;
// its decoding and encoding are checked to round-trip.
#include "framework/bridge/BridgeServer.h"
#include "framework/bridge/PageFolder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Server {
    fs::path dir;
    plat::ui::BridgeState state;
    // Short waits: an event poll or an unanswered click must not stall a run.
    plat::ui::BridgeServer server{state, plat::ui::BridgeTimings{2000ms, 5ms, 1ms}};
    std::atomic<bool> stop{false};
    std::thread dialog;

    Server()
    {
        char pattern[] = "/tmp/ravlin-bridge-fuzz-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        dir = pattern;
        fs::create_directories(dir / "htm/Lang0409");
        fs::create_directories(dir / "htm/common");
        std::ofstream(dir / "htm/Lang0409/start.htm") << "<html><head></head><body><b id=\"x\">x</b></body></html>";
        std::ofstream(dir / "htm/common/style.css") << "body{}";
        std::ofstream(dir / "secret.txt") << "secret";
        fs::create_directory_symlink(dir, dir / "htm/up");
        if (!server.Start())
            std::abort();
        server.SetRoot((dir / "htm").string());
        server.SetIcon(std::string("\0\0\1\0", 4));
        state.Navigate("/Lang0409/start.htm");
        state.AcceptDocument("/Lang0409/start.htm", {{"x", "x"}});
        state.SetBound({"x"});
        dialog = std::thread([this] {
            while (!stop) {
                for (auto& event : state.TakeEvents())
                    state.Reply(event.seq, {200, {{"answered", event.id}}});
                std::this_thread::sleep_for(200us);
            }
        });
    }
    ~Server()
    {
        stop = true;
        dialog.join();
        server.Stop();
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

Server& server()
{
    static auto* s = new Server; // lives for the fuzzing process
    return *s;
}

std::string substitute(std::string_view text, const std::string& port, const std::string& token)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '$' && i + 1 < text.size() && (text[i + 1] == 'P' || text[i + 1] == 'T')) {
            out += text[i + 1] == 'P' ? port : token;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string_view takeLine(std::string_view* rest)
{
    size_t end = rest->find('\n');
    std::string_view line = rest->substr(0, end);
    *rest = end == std::string_view::npos ? std::string_view() : rest->substr(end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// Sends the request and returns the whole answer ("" when the server
// closed without one). Traps when no answer comes in time.
std::string exchange(int port, const std::string& request)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        std::abort();
    timeval limit{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
    // Closing with a reset leaves no TIME_WAIT behind, so millions of
    // connections do not use up the loopback's ports.
    linger reset{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof(reset));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // A connect can fail for the client's own reasons (interrupted by the
    // fuzzer's timers, the loopback's ports briefly used up): it is tried
    // again on a fresh socket. Only a server that refuses for seconds on end
    // is a finding, and that is said before the trap.
    for (int attempt = 0; ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0; ++attempt) {
        int error = errno;
        if (attempt == 50) {
            std::fprintf(stderr, "bridge fuzzer: the server accepts no connection: %s\n", std::strerror(error));
            __builtin_trap();
        }
        ::close(fd);
        std::this_thread::sleep_for(100ms);
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            std::abort();
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof(reset));
    }
    for (size_t sent = 0; sent < request.size();) {
        ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break; // the server may refuse before the body is all there
        sent += static_cast<size_t>(n);
    }
    std::string answer;
    size_t wanted = std::string::npos;
    char buffer[65536];
    while (answer.size() < wanted) {
        ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            __builtin_trap(); // the server neither answered nor closed
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<size_t>(n));
        size_t head = answer.find("\r\n\r\n");
        if (wanted == std::string::npos && head != std::string::npos) {
            size_t length = 0;
            size_t at = answer.find("Content-Length: ");
            if (at != std::string::npos && at < head)
                length = std::strtoull(answer.c_str() + at + 16, nullptr, 10);
            wanted = head + 4 + (request.compare(0, 5, "HEAD ") == 0 ? 0 : length);
        }
    }
    ::close(fd);
    return answer;
}

void checkPageFolder(const std::string& target)
{
    std::string path = target.substr(0, target.find('?'));
    std::string decoded = plat::ui::pages::DecodePath(path);
    if (plat::ui::pages::DecodePath(plat::ui::pages::EncodePath(decoded)) != decoded)
        __builtin_trap();
    if (!plat::ui::pages::SamePage(decoded, decoded))
        __builtin_trap();
    const std::string root = (server().dir / "htm").string();
    if (auto file = plat::ui::pages::Resolve(root, decoded)) {
        // Whatever is resolved lies inside the folder once links are followed.
        std::error_code ec;
        std::string real = fs::canonical(*file, ec).string();
        if (ec || real.compare(0, root.size() + 1, root + "/") != 0)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Server& s = server();
    const std::string port = std::to_string(s.server.Port());
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string method(takeLine(&rest));
    bool big = method.size() >= 4 && method.compare(method.size() - 4, 4, "+BIG") == 0;
    if (big)
        method.resize(method.size() - 4);
    std::string target = substitute(takeLine(&rest), port, s.server.Token());
    std::string headers;
    bool host = false;
    while (!rest.empty()) {
        std::string_view line = takeLine(&rest);
        if (line.empty())
            break;
        if (line.size() >= 5 && strncasecmp(line.data(), "host:", 5) == 0)
            host = true;
        if (line.size() >= 15 && strncasecmp(line.data(), "content-length:", 15) == 0)
            continue; // the fuzzer frames the body itself
        headers += substitute(line, port, s.server.Token()) + "\r\n";
    }
    std::string body = substitute(rest, port, s.server.Token());
    if (big && !body.empty()) {
        std::string grown;
        while (grown.size() <= (1u << 20))
            grown += body;
        body = std::move(grown);
    }
    if (!host)
        headers = "Host: 127.0.0.1:" + port + "\r\n" + headers;
    std::string request = method + " " + target + " HTTP/1.1\r\n" + headers +
                          "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;

    checkPageFolder(target);
    std::string answer = exchange(s.server.Port(), request);
    if (answer.empty())
        return 0; // not HTTP at all: the server may close without a word
    if (answer.compare(0, 9, "HTTP/1.1 ") != 0 || answer.size() < 12)
        __builtin_trap();
    int status = std::atoi(answer.c_str() + 9);
    if (status < 200 || status >= 500)
        __builtin_trap();
    // Only the guard's rules and the files' existence decide; a secret
    // outside the folder is never served.
    size_t head = answer.find("\r\n\r\n");
    if (status == 200 && head != std::string::npos && answer.compare(head + 4, std::string::npos, "secret") == 0)
        __builtin_trap();
    return 0;
}
