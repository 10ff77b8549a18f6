// A minimal HTTP/1.1 client for the soak: one request per connection to
// 127.0.0.1, carrying the run's token as the bridge asks.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace soak {

struct Answer {
    int status = 0;
    std::string location;
    std::string body;
};

class Client {
public:
    Client(int port, std::string token) : m_port(port), m_token(std::move(token)) {}

    Answer Send(const std::string& method, const std::string& target, const std::string& body) const
    {
        Answer answer;
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return answer;
        timeval limit{20, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(m_port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
            std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(m_port) +
                                  "\r\nX-Ravlin-Token: " + m_token + "\r\nConnection: close\r\n";
            if (method == "POST")
                request += "Content-Type: application/json\r\n";
            request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
            if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
                std::string text;
                char buffer[16384];
                for (ssize_t n; (n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0;)
                    text.append(buffer, static_cast<size_t>(n));
                if (text.compare(0, 9, "HTTP/1.1 ") == 0)
                    answer.status = std::atoi(text.c_str() + 9);
                size_t head = text.find("\r\n\r\n");
                if (head != std::string::npos) {
                    answer.body = text.substr(head + 4);
                    size_t at = text.find("\r\nLocation: ");
                    if (at != std::string::npos && at < head)
                        answer.location = text.substr(at + 12, text.find("\r\n", at + 12) - at - 12);
                }
            }
        }
        ::close(fd);
        return answer;
    }

private:
    int m_port;
    std::string m_token;
};

} // namespace soak
