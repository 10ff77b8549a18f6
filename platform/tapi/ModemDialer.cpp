#include "tapi/ModemDialer.h"

#include "core/Clock.h"
#include "tapi/OwnedHandle.h"

#include <tapi.h>

#include <cctype>
#include <chrono>

namespace plat::tapi {
namespace {

// How long the modem may take to answer the CR that abandons a dial.
constexpr auto kAbortGrace = std::chrono::seconds(2);
// How often a waiting read looks at the abort flag.
constexpr DWORD kPollMs = 20;

std::string trimmed(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// Reads and writes on the provider's port; every request is finished
// (completed or cancelled) before the next one starts.
class PortIo {
public:
    explicit PortIo(HANDLE port) : m_port(port), m_event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    bool Write(const std::string& bytes)
    {
        OVERLAPPED ov{};
        ov.hEvent = m_event.Get();
        ResetEvent(m_event.Get());
        DWORD done = 0;
        if (WriteFile(m_port, bytes.data(), static_cast<DWORD>(bytes.size()), &done, &ov))
            return true;
        if (GetLastError() != ERROR_IO_PENDING)
            return false;
        return GetOverlappedResult(m_port, &ov, &done, TRUE) != FALSE;
    }

    enum class Got { Byte, Nothing, Stopped, Failed };

    // One byte, waiting until `deadline` (machine time) or until `stop` says so.
    template <typename Stop>
    Got ReadByte(char* out, clock::TimePoint deadline, Stop stop)
    {
        OVERLAPPED ov{};
        ov.hEvent = m_event.Get();
        ResetEvent(m_event.Get());
        DWORD got = 0;
        if (!ReadFile(m_port, out, 1, &got, &ov)) {
            if (GetLastError() != ERROR_IO_PENDING)
                return Got::Failed;
            while (WaitForSingleObject(m_event.Get(), kPollMs) != WAIT_OBJECT_0) {
                if (stop() || clock::Now() > deadline) {
                    PurgeComm(m_port, PURGE_RXABORT);
                    GetOverlappedResult(m_port, &ov, &got, TRUE);
                    return Got::Stopped;
                }
            }
            if (!GetOverlappedResult(m_port, &ov, &got, FALSE))
                return Got::Failed;
        }
        return got == 1 ? Got::Byte : Got::Nothing;
    }

private:
    HANDLE m_port;
    OwnedHandle m_event;
};

// Reads lines until a final result, the deadline, or `stop`.
template <typename Stop>
std::optional<DialResult> readResult(PortIo& io, clock::TimePoint deadline, Stop stop, bool* failed)
{
    std::string line;
    for (;;) {
        char c = 0;
        switch (io.ReadByte(&c, deadline, stop)) {
        case PortIo::Got::Failed:
            *failed = true;
            return std::nullopt;
        case PortIo::Got::Stopped:
            return std::nullopt;
        case PortIo::Got::Nothing:
            Sleep(1);
            continue;
        case PortIo::Got::Byte:
            break;
        }
        if (c != '\r' && c != '\n') {
            if (line.size() < 256)
                line += c;
            continue;
        }
        if (auto result = ClassifyModemLine(line))
            return result;
        line.clear();
    }
}

} // namespace

std::optional<DialResult> ClassifyModemLine(const std::string& raw)
{
    std::string line = trimmed(raw);
    if (line.empty() || startsWith(line, "AT") || startsWith(line, "at"))
        return std::nullopt;
    bool numeric = true;
    for (char c : line)
        numeric = numeric && std::isdigit(static_cast<unsigned char>(c));
    if (numeric && line.size() <= 3) {
        // Hayes numeric codes; 2 (RING) is no result, every other code
        // from 5 on is a CONNECT with a speed.
        int code = std::stoi(line);
        switch (code) {
        case 0: return DialResult::Connected;
        case 1: return DialResult::Connected;
        case 2: return std::nullopt;
        case 3: return DialResult::NoCarrier;
        case 4: return DialResult::Error;
        case 6: return DialResult::NoDialtone;
        case 7: return DialResult::Busy;
        case 8: return DialResult::NoAnswer;
        default: return DialResult::Connected;
        }
    }
    if (line == "OK" || startsWith(line, "CONNECT"))
        return DialResult::Connected;
    if (line == "BUSY")
        return DialResult::Busy;
    if (line == "NO ANSWER")
        return DialResult::NoAnswer;
    if (line == "NO DIALTONE" || line == "NO DIAL TONE")
        return DialResult::NoDialtone;
    if (line == "NO CARRIER")
        return DialResult::NoCarrier;
    if (line == "ERROR")
        return DialResult::Error;
    return std::nullopt;
}

DWORD DisconnectModeOf(DialResult result)
{
    switch (result) {
    case DialResult::Busy: return LINEDISCONNECTMODE_BUSY;
    case DialResult::NoAnswer: return LINEDISCONNECTMODE_NOANSWER;
    case DialResult::NoDialtone: return LINEDISCONNECTMODE_NODIALTONE;
    // The number was dialled but no modem answered with a carrier: the
    // far end cannot be reached, which is not a normal hang-up.
    case DialResult::NoCarrier: return LINEDISCONNECTMODE_UNAVAIL;
    case DialResult::Error: return LINEDISCONNECTMODE_UNKNOWN;
    case DialResult::PortFailed: return LINEDISCONNECTMODE_OUTOFORDER;
    case DialResult::Aborted: return LINEDISCONNECTMODE_NORMAL;
    case DialResult::Connected: break;
    }
    return LINEDISCONNECTMODE_NORMAL;
}

DialResult DialModem(HANDLE port, const std::string& number, const std::atomic<bool>& abort, DWORD timeoutMs)
{
    PortIo io(port);
    if (!io.Write("ATDT" + number + "\r"))
        return DialResult::PortFailed;
    bool failed = false;
    clock::TimePoint deadline = clock::Now() + std::chrono::milliseconds(timeoutMs);
    std::optional<DialResult> result = readResult(io, deadline, [&] { return abort.load(); }, &failed);
    if (failed)
        return DialResult::PortFailed;
    if (result)
        return *result;
    // Dropped, or no result in time: any character makes the modem give up
    // the dial; its answer (NO CARRIER, OK) is read and dropped.
    if (!io.Write("\r"))
        return DialResult::PortFailed;
    readResult(io, clock::Now() + kAbortGrace, [] { return false; }, &failed);
    return abort.load() ? DialResult::Aborted : DialResult::NoAnswer;
}

} // namespace plat::tapi
