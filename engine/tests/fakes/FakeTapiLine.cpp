// CTapiLine over a scripted port: Open and MakeCall answer what the test
// set, and the port is a small Hayes modem that echoes command lines,
// answers them from the script's table, and loops data bytes back.
#include "TapiLine.h"

#include "FakeMachine.h"
#include "Trace.h"

#include "core/Clock.h"

namespace fake {

ModemScript& Modem()
{
    static ModemScript script;
    return script;
}

LineScript& Line()
{
    static LineScript script;
    return script;
}

std::atomic<bool>& LineOpen()
{
    static std::atomic<bool> open{false};
    return open;
}

void PumpClock()
{
    if (!LineOpen())
        plat::clock::Advance(std::chrono::milliseconds(200));
}

void Reset()
{
    LineOpen() = false;
    Modem() = ModemScript();
    Line() = LineScript();
}

std::string Reply(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "\r\n" + line + "\r\n";
    return text;
}

} // namespace fake

namespace {

// The engine waits for something that does not come: let time pass.
int Idle()
{
    if (fake::Line().idleStepMs > 0)
        plat::clock::Advance(std::chrono::milliseconds(fake::Line().idleStepMs));
    return 0;
}

// The port is there once the call has connected.
bool PortReady()
{
    fake::LineScript& line = fake::Line();
    if (!line.connected)
        return false;
    if (line.portCallsUntilConnected > 0) {
        --line.portCallsUntilConnected;
        return false;
    }
    return true;
}

void ModemReceives(char ch)
{
    fake::LineScript& line = fake::Line();
    if (line.lineBuffer.empty() && ch != 'A' && ch != 'a') {
        if (ch == '\r' || ch == '\n')
            return; // the LF of a command's CR LF
        line.dataWritten += ch;
        if (ch == '*')
            line.Queue(line.loopback);
        if (line.onData)
            line.onData(ch);
        return;
    }
    if (line.echo)
        line.Queue(std::string(1, ch));
    if (ch != '\r') {
        line.lineBuffer += ch;
        return;
    }
    std::string command = line.lineBuffer;
    line.lineBuffer.clear();
    line.commands.push_back(command);
    if (line.onCommand)
        line.onCommand(command); // may change this command's reply
    auto reply = line.replies.find(command);
    line.Queue(reply != line.replies.end() ? reply->second : line.unknownReply);
}

} // namespace

CTapiLine::CTapiLine()
    : m_hLineApp(0), m_hLine(0), m_hCall(0), m_nDeviceID(0), m_hTapiEvent(NULL), m_hThread(NULL), m_bStop(true),
      m_hComm(NULL), m_hCommDead(NULL), m_nCallResult(CALLRESULT_PENDING), m_bReadPending(FALSE), m_ovRead(),
      m_chRead(0), m_bWritePending(FALSE), m_ovWrite(), m_chWrite(0)
{
}

CTapiLine::~CTapiLine()
{
    Close();
}

int CTapiLine::Open(CModemDevice&)
{
    fake::LineScript& line = fake::Line();
    ++line.opens;
    int result = line.openResult;
    if (!line.openResults.empty()) {
        result = line.openResults.front();
        line.openResults.pop_front();
    }
    if (result != 0)
        return result;
    line.lineOpen = true;
    fake::LineOpen() = true;
    return 0;
}

int CTapiLine::MakeCall(const char* pszNumber)
{
    fake::LineScript& line = fake::Line();
    ++line.makeCalls;
    line.numbers.push_back(pszNumber ? pszNumber : "(null)");
    m_nCallResult = CALLRESULT_PENDING;
    if (line.onMakeCall)
        line.onMakeCall(pszNumber);
    if (line.makeCallResult != 0)
        return line.makeCallResult;
    m_nCallResult = line.callResult;
    line.connected = true;
    line.portCallsUntilConnected = line.connectDelay;
    return 0;
}

int CTapiLine::ReadByte(char* pch)
{
    fake::LineScript& line = fake::Line();
    if (!PortReady() || line.toHost.empty())
        return Idle();
    *pch = line.toHost.front();
    line.toHost.pop_front();
    return 1;
}

int CTapiLine::WriteByte(char ch)
{
    fake::LineScript& line = fake::Line();
    if (!PortReady())
        return Idle();
    bool data = line.lineBuffer.empty() && ch != 'A' && ch != 'a' && ch != '\r' && ch != '\n';
    if (line.refuseWrites > 0 || (data && line.refuseData)) {
        if (line.refuseWrites > 0)
            --line.refuseWrites;
        if (line.onRefusedWrite)
            line.onRefusedWrite();
        return Idle();
    }
    ModemReceives(ch);
    return 1;
}

int CTapiLine::Close()
{
    TraceWrite(20, "Close TapiLine");
    fake::LineScript& line = fake::Line();
    if (line.lineOpen || line.connected)
        ++line.closes;
    line.lineOpen = false;
    fake::LineOpen() = false;
    line.connected = false;
    line.lineBuffer.clear();
    TraceWrite(20, "TapiLine closed");
    return 0;
}
