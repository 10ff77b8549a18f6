#include "modemfw/PtyModem.h"

#include "core/Clock.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace plat::modemfw {
namespace {

// Output the port's reader has not taken is dropped beyond this, as a UART
// overruns.
constexpr size_t kMaxPendingOutput = 64 * 1024;
// While a timer runs the loop looks at the machine's clock at least this
// often, so a test that moves the clock forward is noticed promptly.
constexpr int kMaxTimerSliceMs = 10;

} // namespace

PtyModem::PtyModem(const ModemSettings& settings) : m_firmware(settings) {}

std::unique_ptr<PtyModem> PtyModem::Start(const ModemSettings& settings, std::string* error)
{
    std::unique_ptr<PtyModem> modem(new PtyModem(settings));
    auto fail = [&](const char* what) {
        if (error)
            *error = std::string(what) + ": " + std::strerror(errno);
        return nullptr;
    };
    modem->m_master.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!modem->m_master)
        return fail("posix_openpt");
    if (::grantpt(modem->m_master.Get()) != 0 || ::unlockpt(modem->m_master.Get()) != 0)
        return fail("unlockpt");
    char name[128];
    if (::ptsname_r(modem->m_master.Get(), name, sizeof(name)) != 0)
        return fail("ptsname");
    modem->m_slavePath = name;
    // A serial line has no line discipline: raw bytes both ways.
    termios tio{};
    if (::tcgetattr(modem->m_master.Get(), &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(modem->m_master.Get(), TCSANOW, &tio);
    }
    modem->m_keepSlave.Reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!modem->m_keepSlave)
        return fail("open pty slave");
    int flags = ::fcntl(modem->m_master.Get(), F_GETFL);
    ::fcntl(modem->m_master.Get(), F_SETFL, flags | O_NONBLOCK);
    modem->m_wake.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!modem->m_wake)
        return fail("eventfd");
    modem->m_thread = std::thread([m = modem.get()] { m->Run(); });
    return modem;
}

PtyModem::~PtyModem()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_dtrHandled.notify_all();
    }
    Wake();
    if (m_thread.joinable())
        m_thread.join();
}

void PtyModem::Wake()
{
    uint64_t one = 1;
    if (m_wake)
        (void)!::write(m_wake.Get(), &one, sizeof(one));
}

void PtyModem::GoAway()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_goAway = true;
    }
    Wake();
}

void PtyModem::DropDtr()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_stop || m_gone)
        return;
    const uint64_t request = ++m_dtrRequested;
    Wake();
    // Whatever the port sends after this call reaches a modem that has hung up.
    m_dtrHandled.wait_for(lock, std::chrono::seconds(2),
                          [&] { return m_dtrDone >= request || m_stop || m_gone; });
}

void PtyModem::Run()
{
    while (Pump()) {
    }
}

bool PtyModem::TakeRequests()
{
    uint64_t dtrRequested = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stop)
            return false;
        dtrRequested = m_dtrRequested;
        m_goingAway = m_goingAway || std::exchange(m_goAway, false);
    }
    if (dtrRequested != m_dtrSeen) {
        m_dtrSeen = dtrRequested;
        m_firmware.DropDtr();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_dtrDone = dtrRequested;
        m_dtrHandled.notify_all();
    }
    return true;
}

bool PtyModem::Pump()
{
    if (!TakeRequests())
        return false;

    clock::TimePoint now = clock::Now();
    m_firmware.Tick(now);
    std::string out = m_firmware.TakeOutput();
    m_pendingOutput += out.substr(0, kMaxPendingOutput - std::min(kMaxPendingOutput, m_pendingOutput.size()));
    while (!m_pendingOutput.empty()) {
        ssize_t n = ::write(m_master.Get(), m_pendingOutput.data(), m_pendingOutput.size());
        if (n <= 0)
            break;
        m_pendingOutput.erase(0, static_cast<size_t>(n));
    }

    if (m_goingAway || m_firmware.Gone()) {
        // Closing the master hangs the slave up: open ports see EIO, and the
        // device node disappears.
        m_keepSlave.Reset();
        m_master.Reset();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_gone = true;
            m_dtrHandled.notify_all();
        }
        // Stay until stopped, so the owner's join is the only way out.
        pollfd wake{m_wake.Get(), POLLIN, 0};
        while (true) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_stop)
                    return false;
            }
            ::poll(&wake, 1, -1);
            uint64_t count;
            (void)!::read(m_wake.Get(), &count, sizeof(count));
        }
    }

    int timeout = -1;
    if (auto deadline = m_firmware.NextDeadline()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - now).count() + 1;
        timeout = static_cast<int>(std::clamp<long long>(left, 0, kMaxTimerSliceMs));
    }
    pollfd fds[2] = {
        {m_master.Get(), static_cast<short>(POLLIN | (m_pendingOutput.empty() ? 0 : POLLOUT)), 0},
        {m_wake.Get(), POLLIN, 0},
    };
    if (::poll(fds, 2, timeout) < 0 && errno != EINTR)
        return false;
    if (fds[1].revents & POLLIN) {
        uint64_t count;
        (void)!::read(m_wake.Get(), &count, sizeof(count));
    }
    // A DTR drop that came with the bytes was earlier than they were: the
    // port was closed before it was opened again and written to.
    if (!TakeRequests())
        return false;
    if (fds[0].revents & POLLIN) {
        char buffer[4096];
        ssize_t n = ::read(m_master.Get(), buffer, sizeof(buffer));
        if (n > 0)
            m_firmware.Receive(std::string_view(buffer, static_cast<size_t>(n)), clock::Now());
    } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        // The slave is held open, so this means the pty itself broke.
        GoAway();
    }
    return true;
}

} // namespace plat::modemfw
