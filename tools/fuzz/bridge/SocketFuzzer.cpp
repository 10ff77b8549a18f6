// Fuzzes the page server over loopback: whatever a local program sends
// (method, target, headers, a body of any shape and size) reaches the real
// server through a socket, and is answered with a 2xx to 4xx, or the
// connection closed when it is no HTTP; nothing crashes or hangs. Slower
// than the in-process fuzzer (a connection and a server thread for each
// input), it covers the transport: reading in pieces, keep-alive, the size
// limit on the wire. The input is described in FuzzedServer.h.
#include "FuzzedServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace {

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzbridge::FuzzedServer& s = fuzzbridge::Server();
    fuzzbridge::FuzzedRequest request = fuzzbridge::BuildRequest(data, size);
    fuzzbridge::CheckPageFolder(request.target);
    std::string answer = exchange(s.server.Port(), request.text);
    if (answer.empty())
        return 0; // not HTTP at all: the server may close without a word
    if (answer.compare(0, 9, "HTTP/1.1 ") != 0 || answer.size() < 12)
        __builtin_trap();
    size_t head = answer.find("\r\n\r\n");
    fuzzbridge::CheckAnswer(std::atoi(answer.c_str() + 9),
                            head == std::string::npos ? std::string() : answer.substr(head + 4));
    return 0;
}
