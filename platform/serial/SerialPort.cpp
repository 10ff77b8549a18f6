#include "serial/SerialPort.h"

#include "core/LastError.h"

#include <win/errors.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace plat::serial {
namespace {

// OVERLAPPED.Internal holds an NTSTATUS, as on Windows.
constexpr ULONG_PTR kStatusSuccess = 0;
constexpr ULONG_PTR kStatusPending = 0x103;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;
constexpr ULONG_PTR kStatusInvalidDeviceState = 0xC0000184;
constexpr ULONG_PTR kStatusUnsuccessful = 0xC0000001;

ULONG_PTR statusOf(DWORD error)
{
    switch (error) {
    case 0:
        return kStatusSuccess;
    case ERROR_OPERATION_ABORTED:
        return kStatusCancelled;
    case ERROR_BAD_COMMAND:
        return kStatusInvalidDeviceState;
    default:
        return kStatusUnsuccessful;
    }
}

DWORD errorOf(ULONG_PTR status)
{
    switch (status) {
    case kStatusSuccess:
        return 0;
    case kStatusCancelled:
        return ERROR_OPERATION_ABORTED;
    case kStatusInvalidDeviceState:
        return ERROR_BAD_COMMAND;
    default:
        return ERROR_GEN_FAILURE;
    }
}

// The low bit of hEvent only asks Windows not to queue a completion packet.
HANDLE eventOf(const OVERLAPPED* overlapped)
{
    return reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(overlapped->hEvent) & ~uintptr_t{1});
}

// While a timeout runs the thread looks at the machine's clock at least this
// often, so that tests which move the clock are noticed promptly.
constexpr int kMaxTimerSliceMs = 10;

enum class Step { Waiting, Done, DeviceGone };

} // namespace

struct SerialPort::Request {
    bool write = false;
    char* in = nullptr;        // read buffer
    const char* out = nullptr; // write buffer
    DWORD size = 0;
    DWORD done = 0;
    OVERLAPPED* overlapped = nullptr;
    DWORD thread = 0; // the thread that issued it (CancelIo cancels its own)

    bool active = false; // at the front of its queue, timers running
    ReadRule rule;
    std::optional<clock::TimePoint> deadline;
    clock::TimePoint lastByte{};

    bool finished = false;
    DWORD error = 0;

    std::optional<clock::TimePoint> NextTimer() const
    {
        std::optional<clock::TimePoint> next = deadline;
        if (!write && rule.interval && done > 0) {
            clock::TimePoint gap = lastByte + *rule.interval;
            if (!next || gap < *next)
                next = gap;
        }
        return next;
    }
};

SerialPort::SerialPort(ExclusiveTty tty, Io io, std::function<void()> onClosed)
    : m_tty(std::move(tty)), m_io(io), m_onClosed(std::move(onClosed))
{
    // As a port driver starts: binary mode, 8 data bits, no parity, one stop bit.
    m_dcb.DCBlength = sizeof(DCB);
    m_dcb.BaudRate = 115200;
    m_dcb.fBinary = 1;
    m_dcb.fDtrControl = 1; // DTR_CONTROL_ENABLE
    m_dcb.fRtsControl = 1; // RTS_CONTROL_ENABLE
    m_dcb.ByteSize = 8;
    m_wake.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    m_thread = std::thread([this] { Run(); });
}

SerialPort::~SerialPort()
{
    OnClose();
}

void SerialPort::Wake()
{
    uint64_t one = 1;
    (void)!::write(m_wake.Get(), &one, sizeof(one));
}

BOOL SerialPort::Read(void* buffer, DWORD size, DWORD* transferred, OVERLAPPED* overlapped)
{
    auto request = std::make_shared<Request>();
    request->in = static_cast<char*>(buffer);
    request->size = size;
    request->overlapped = overlapped;
    return Submit(std::move(request), transferred);
}

BOOL SerialPort::Write(const void* buffer, DWORD size, DWORD* transferred, OVERLAPPED* overlapped)
{
    auto request = std::make_shared<Request>();
    request->write = true;
    request->out = static_cast<const char*>(buffer);
    request->size = size;
    request->overlapped = overlapped;
    return Submit(std::move(request), transferred);
}

BOOL SerialPort::Submit(RequestPtr request, DWORD* transferred)
{
    Lock lock(m_mutex);
    if (m_closed)
        return Fail(ERROR_INVALID_HANDLE);
    if (!m_gone) {
        pollfd p{m_tty.Fd(), 0, 0};
        if (::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            DeviceGone();
    }
    OVERLAPPED* ov = request->overlapped;
    request->thread = GetCurrentThreadId();
    if (m_dcb.fAbortOnError && m_lineErrors != 0) {
        // Nothing passes until ClearCommError.
        if (ov) {
            ov->Internal = statusOf(ERROR_OPERATION_ABORTED);
            ov->InternalHigh = 0;
        }
        return Fail(ERROR_OPERATION_ABORTED);
    }
    if (m_gone) {
        if (ov) {
            ov->Internal = statusOf(ERROR_BAD_COMMAND);
            ov->InternalHigh = 0;
        }
        return Fail(ERROR_BAD_COMMAND);
    }
    if (ov) {
        ov->Internal = kStatusPending;
        ov->InternalHigh = 0;
        if (HANDLE event = eventOf(ov))
            ResetEvent(event);
    }
    (request->write ? m_writes : m_reads).push_back(request);
    Progress(clock::Now());
    if (!request->finished) {
        Wake();
        if (m_io == Io::Overlapped && ov)
            return Fail(ERROR_IO_PENDING);
        m_done.wait(lock, [&] { return request->finished; });
    }
    if (transferred)
        *transferred = request->done;
    if (request->error != 0)
        return Fail(request->error);
    return TRUE;
}

void SerialPort::Activate(Request& request, clock::TimePoint now)
{
    request.active = true;
    std::optional<Milliseconds> limit;
    if (request.write) {
        limit = RuleForWrite(m_timeouts, request.size);
    } else {
        request.rule = RuleForRead(m_timeouts, request.size);
        limit = request.rule.total;
    }
    if (limit)
        request.deadline = now + *limit;
}

bool SerialPort::ProgressRead(Request& r, clock::TimePoint now)
{
    while (r.done < r.size) {
        ssize_t n = ::read(m_tty.Fd(), r.in + r.done, r.size - r.done);
        if (n > 0) {
            r.done += static_cast<DWORD>(n);
            r.lastByte = now;
            continue;
        }
        // A hung-up tty reads as end of file.
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
        break;
    }
    bool finished = r.done == r.size || r.rule.returnAtOnce || (r.rule.returnOnAny && r.done > 0) ||
                    (r.deadline && now >= *r.deadline) ||
                    (r.rule.interval && r.done > 0 && now - r.lastByte >= *r.rule.interval);
    if (finished)
        Complete(r, 0);
    return true;
}

bool SerialPort::ProgressWrite(Request& r, clock::TimePoint now)
{
    while (r.done < r.size) {
        ssize_t n = ::write(m_tty.Fd(), r.out + r.done, r.size - r.done);
        if (n > 0) {
            r.done += static_cast<DWORD>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        break;
    }
    if (r.done == r.size || (r.deadline && now >= *r.deadline))
        Complete(r, 0);
    return true;
}

void SerialPort::Progress(clock::TimePoint now)
{
    for (bool writes : {false, true}) {
        std::deque<RequestPtr>& queue = writes ? m_writes : m_reads;
        while (!m_gone && !queue.empty()) {
            Request& r = *queue.front();
            if (!r.active)
                Activate(r, now);
            if (!(writes ? ProgressWrite(r, now) : ProgressRead(r, now))) {
                DeviceGone();
                return;
            }
            if (!r.finished)
                break;
            queue.pop_front();
        }
    }
}

void SerialPort::Complete(Request& r, DWORD error)
{
    r.finished = true;
    r.error = error;
    if (OVERLAPPED* ov = r.overlapped) {
        ov->Internal = statusOf(error);
        ov->InternalHigh = r.done;
        // Set under the port's lock, so nobody sees the request finished
        // before its event is signalled.
        if (HANDLE event = eventOf(ov))
            SetEvent(event);
    }
    m_done.notify_all();
}

void SerialPort::AbortAll(std::deque<RequestPtr>& queue, DWORD error)
{
    for (RequestPtr& r : queue)
        Complete(*r, error);
    queue.clear();
}

int SerialPort::AbortMatching(std::deque<RequestPtr>& queue, const CancelScope& scope)
{
    int ended = 0;
    for (auto it = queue.begin(); it != queue.end();) {
        Request& r = **it;
        if ((scope.thread == 0 || r.thread == scope.thread) && (!scope.only || r.overlapped == scope.only)) {
            Complete(r, ERROR_OPERATION_ABORTED);
            it = queue.erase(it);
            ++ended;
        } else {
            ++it;
        }
    }
    return ended;
}

int SerialPort::CancelRequests(CancelScope scope)
{
    int ended = 0;
    {
        Lock lock(m_mutex);
        ended = AbortMatching(m_reads, scope) + AbortMatching(m_writes, scope);
    }
    Wake();
    return ended;
}

void SerialPort::DeviceGone()
{
    m_gone = true;
    AbortAll(m_reads, ERROR_OPERATION_ABORTED);
    AbortAll(m_writes, ERROR_OPERATION_ABORTED);
}

void SerialPort::Run()
{
    Lock lock(m_mutex);
    while (!m_closed) {
        clock::TimePoint now = clock::Now();
        Progress(now);
        short events = 0;
        std::optional<clock::TimePoint> next;
        for (bool writes : {false, true}) {
            std::deque<RequestPtr>& queue = writes ? m_writes : m_reads;
            if (queue.empty())
                continue;
            events |= writes ? POLLOUT : POLLIN;
            if (auto t = queue.front()->NextTimer(); t && (!next || *t < *next))
                next = t;
        }
        int timeout = -1;
        if (next) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*next - now).count() + 1;
            timeout = static_cast<int>(std::clamp<long long>(left, 0, kMaxTimerSliceMs));
        }
        // A gone device is not watched any more: it would report its hang-up forever.
        pollfd fds[2] = {{m_gone ? -1 : m_tty.Fd(), events, 0}, {m_wake.Get(), POLLIN, 0}};
        lock.unlock();
        ::poll(fds, 2, timeout);
        if (fds[1].revents & POLLIN) {
            uint64_t count;
            (void)!::read(m_wake.Get(), &count, sizeof(count));
        }
        lock.lock();
        if (!m_closed && !m_gone && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
            // A hung-up tty also reports itself readable: let waiting reads
            // take what is left, then the device is gone.
            Progress(clock::Now());
            if (!m_gone)
                DeviceGone();
        }
    }
}

BOOL SerialPort::OverlappedResult(OVERLAPPED* overlapped, DWORD* transferred, BOOL wait)
{
    Lock lock(m_mutex);
    RequestPtr pending;
    for (auto* queue : {&m_reads, &m_writes}) {
        for (RequestPtr& r : *queue) {
            if (r->overlapped == overlapped)
                pending = r;
        }
    }
    if (pending) {
        if (!wait)
            return Fail(ERROR_IO_INCOMPLETE);
        m_done.wait(lock, [&] { return pending->finished; });
    }
    if (overlapped->Internal == kStatusPending)
        return Fail(ERROR_IO_INCOMPLETE); // not a request of this port
    if (transferred)
        *transferred = static_cast<DWORD>(overlapped->InternalHigh);
    if (overlapped->Internal != kStatusSuccess)
        return Fail(errorOf(overlapped->Internal));
    return TRUE;
}

void SerialPort::OnClose()
{
    {
        Lock lock(m_mutex);
        if (m_closed)
            return;
        // Closing cancels what is outstanding; every OVERLAPPED's event is
        // set, so nobody waits for it forever.
        m_closed = true;
        AbortAll(m_reads, ERROR_OPERATION_ABORTED);
        AbortAll(m_writes, ERROR_OPERATION_ABORTED);
    }
    Wake();
    if (m_thread.joinable())
        m_thread.join();
    m_tty.Close();
    if (m_onClosed)
        std::exchange(m_onClosed, nullptr)();
}

int SerialPort::Queued()
{
    Lock lock(m_mutex);
    if (m_closed)
        return -1;
    return static_cast<int>(m_reads.size() + m_writes.size());
}

BOOL SerialPort::GetTimeouts(COMMTIMEOUTS* timeouts)
{
    Lock lock(m_mutex);
    if (m_closed)
        return Fail(ERROR_INVALID_HANDLE);
    if (m_gone)
        return Fail(ERROR_BAD_COMMAND);
    *timeouts = m_timeouts;
    return TRUE;
}

BOOL SerialPort::SetTimeouts(const COMMTIMEOUTS& timeouts)
{
    if (!ValidTimeouts(timeouts))
        return Fail(ERROR_INVALID_PARAMETER);
    Lock lock(m_mutex);
    if (m_closed)
        return Fail(ERROR_INVALID_HANDLE);
    if (m_gone)
        return Fail(ERROR_BAD_COMMAND);
    m_timeouts = timeouts;
    return TRUE;
}

BOOL SerialPort::Purge(DWORD flags)
{
    if (flags & ~DWORD{PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR})
        return Fail(ERROR_INVALID_PARAMETER);
    Lock lock(m_mutex);
    if (m_closed)
        return Fail(ERROR_INVALID_HANDLE);
    if (m_gone)
        return Fail(ERROR_BAD_COMMAND);
    if (flags & PURGE_TXABORT)
        AbortAll(m_writes, ERROR_OPERATION_ABORTED);
    if (flags & PURGE_RXABORT)
        AbortAll(m_reads, ERROR_OPERATION_ABORTED);
    if (flags & PURGE_TXCLEAR)
        ::tcflush(m_tty.Fd(), TCOFLUSH);
    if (flags & PURGE_RXCLEAR)
        ::tcflush(m_tty.Fd(), TCIFLUSH);
    return TRUE;
}

BOOL SerialPort::GetState(DCB* dcb)
{
    Lock lock(m_mutex);
    if (m_closed)
        return Fail(ERROR_INVALID_HANDLE);
    if (m_gone)
        return Fail(ERROR_BAD_COMMAND);
    *dcb = m_dcb;
    return TRUE;
}

BOOL SerialPort::SetState(const DCB& dcb)
{
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.BaudRate == 0)
        return Fail(ERROR_INVALID_PARAMETER);
    Lock lock(m_mutex);
    if (m_closed)
        return Fail(ERROR_INVALID_HANDLE);
    if (m_gone)
        return Fail(ERROR_BAD_COMMAND);
    m_dcb = dcb;
    m_dcb.DCBlength = sizeof(DCB);
    return TRUE;
}

BOOL SerialPort::ClearError(DWORD* errors, COMSTAT* stat)
{
    Lock lock(m_mutex);
    if (m_closed)
        return Fail(ERROR_INVALID_HANDLE);
    if (m_gone)
        return Fail(ERROR_BAD_COMMAND);
    if (errors)
        *errors = m_lineErrors;
    m_lineErrors = 0;
    if (stat) {
        *stat = COMSTAT{};
        int waiting = 0;
        if (::ioctl(m_tty.Fd(), FIONREAD, &waiting) == 0 && waiting > 0)
            stat->cbInQue = static_cast<DWORD>(waiting);
        for (const RequestPtr& r : m_writes)
            stat->cbOutQue += r->size - r->done;
    }
    return TRUE;
}

void SerialPort::LineError(DWORD errors)
{
    {
        Lock lock(m_mutex);
        if (m_closed || m_gone)
            return;
        m_lineErrors |= errors;
        if (!m_dcb.fAbortOnError)
            return;
        AbortAll(m_reads, ERROR_OPERATION_ABORTED);
        AbortAll(m_writes, ERROR_OPERATION_ABORTED);
    }
    Wake();
}

} // namespace plat::serial
