// Test support: a pseudo-terminal to configure as a "device" COM port whose
// other end the test reads (or leaves unread, so that writes to the port
// back up and stay pending).
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace plat::tapi::testing {

class PtyPort {
public:
    PtyPort()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        termios raw{};
        tcgetattr(m_master, &raw);
        cfmakeraw(&raw);
        tcsetattr(m_master, TCSANOW, &raw);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        const char* name = ptsname(m_master);
        m_slave = name ? name : "";
        // Holding the slave open keeps the master from seeing a hang-up
        // between the port's opens.
        m_keepSlave = open(m_slave.c_str(), O_RDWR | O_NOCTTY);
    }
    ~PtyPort()
    {
        if (m_keepSlave >= 0)
            close(m_keepSlave);
        if (m_master >= 0)
            close(m_master);
    }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    const std::string& SlavePath() const { return m_slave; }

    // Everything the port has written so far (never waits).
    std::string Drain()
    {
        std::string out;
        char buffer[4096];
        ssize_t n;
        while ((n = read(m_master, buffer, sizeof(buffer))) > 0)
            out.append(buffer, static_cast<size_t>(n));
        return out;
    }

private:
    int m_master = -1;
    int m_keepSlave = -1;
    std::string m_slave;
};

} // namespace plat::tapi::testing
