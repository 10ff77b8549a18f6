// A COM port handle's object. Reads and writes follow Win32's rules for
// serial ports: requests complete at once when they can, otherwise they are
// queued (FIFO per direction) and a thread of the port completes them,
// setting the OVERLAPPED's event; COMMTIMEOUTS decide when a request is done.
// When the device goes away, queued requests end with
// ERROR_OPERATION_ABORTED and later ones fail with ERROR_BAD_COMMAND, as for
// a surprise-removed serial device on Windows.
#pragma once

#include "core/Clock.h"
#include "core/Handles.h"
#include "serial/Timeouts.h"
#include "serial/TtyDevice.h"

#include <win/kernel.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace plat::serial {

class SerialPort : public KernelObject {
public:
    enum class Io { Synchronous, Overlapped };

    // `onClosed` runs once when the last handle is closed (the port's DTR drops).
    SerialPort(ExclusiveTty tty, Io io, std::function<void()> onClosed);
    ~SerialPort() override;

    BOOL Read(void* buffer, DWORD size, DWORD* transferred, OVERLAPPED* overlapped) override;
    BOOL Write(const void* buffer, DWORD size, DWORD* transferred, OVERLAPPED* overlapped) override;
    BOOL OverlappedResult(OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) override;
    void OnClose() override;

    BOOL GetTimeouts(COMMTIMEOUTS* timeouts);
    BOOL SetTimeouts(const COMMTIMEOUTS& timeouts);
    BOOL Purge(DWORD flags);
    int CancelRequests(CancelScope scope) override;
    BOOL GetState(DCB* dcb);
    BOOL SetState(const DCB& dcb);
    // ClearCommError: hands out and clears the line errors, and lets
    // requests through again after an abort on error.
    BOOL ClearError(DWORD* errors, COMSTAT* stat);
    // The line reports errors (CE_FRAME, CE_OVERRUN...), as a noisy line or a
    // mismatched speed gives them. With fAbortOnError set, outstanding
    // requests end with ERROR_OPERATION_ABORTED and new ones fail so until
    // ClearCommError.
    void LineError(DWORD errors);
    // Requests queued and not yet complete (-1 once closed).
    int Queued();

private:
    struct Request;
    using RequestPtr = std::shared_ptr<Request>;
    using Lock = std::unique_lock<std::mutex>;

    BOOL Submit(RequestPtr request, DWORD* transferred);
    void Activate(Request& request, clock::TimePoint now);
    // Moves the front requests on with what the tty can do now; completes
    // the ones that are done.
    void Progress(clock::TimePoint now);
    bool ProgressRead(Request& request, clock::TimePoint now);
    bool ProgressWrite(Request& request, clock::TimePoint now);
    void Complete(Request& request, DWORD error);
    void AbortAll(std::deque<RequestPtr>& queue, DWORD error);
    int AbortMatching(std::deque<RequestPtr>& queue, const CancelScope& scope);
    void DeviceGone();
    void Run();
    void Wake();

    std::mutex m_mutex;
    std::condition_variable m_done; // a request finished
    ExclusiveTty m_tty;
    const Io m_io;
    std::function<void()> m_onClosed;
    COMMTIMEOUTS m_timeouts{};
    DCB m_dcb{};
    DWORD m_lineErrors = 0; // CE_* since the last ClearCommError
    std::deque<RequestPtr> m_reads;
    std::deque<RequestPtr> m_writes;
    bool m_gone = false;
    bool m_closed = false;
    UniqueFd m_wake;
    std::thread m_thread;
};

} // namespace plat::serial
