// The AT command exchange: opening the modem's line and port, and sending
// one command and collecting its reply one character per call, so that the
// thread never blocks on the modem.
#include "TestThread.h"

#include "Trace.h"

#include <string.h>

namespace {

// Index at which a byte that would overflow the reply lands; it is
// overwritten by every later byte and then by the terminator.
const int kMaxReply = 1022;
// How many stale bytes a new command drains from the port at most.
const int kMaxDrain = 1000;
// The time a modem has to answer "ATZ\r\n", in seconds.
const int kAtzLimit = 10;

// Final replies that accept the command, looked for before ERROR.
const char* const kAccepted[] = {"\nOK\n", "\nCONNECT 1200\n", "\nNO CARRIER\n", "\nNO DIALTONE\n"};

bool IsAccepted(const char* szReply)
{
    for (const char* token : kAccepted) {
        if (strstr(szReply, token))
            return true;
    }
    return false;
}

} // namespace

int CTestThread::OpenModem(const char* szNumber, int nNextStep)
{
    TraceWrite(20, "open modem ...");
    if (m_bAbort)
        return STEP_FAIL;

    LONG lResult = m_Line.Open(m_Modem);
    if (lResult != 0) {
        // A failed Open has shut TAPI down itself (or left it for Close,
        // which the next Open or the stage runs).
        TraceWrite(20, "Open modem failed.");
        if (lResult == (LONG)LINEERR_NOMEM)
            return LineWithoutResources();
        return lResult == (LONG)LINEERR_RESOURCEUNAVAIL ? STEP_PORT_BROKEN : STEP_PORT_BUSY;
    }
    m_tOpenFailed = 0;
    TraceWrite(20, "Open modem OK.");

    lResult = m_Line.MakeCall(szNumber);
    if (lResult != 0) {
        TraceWrite(20, "Make Outgoing Call failed. (number = %s)", szNumber ? szNumber : "(null)");
        m_Line.Close();
        return STEP_FAIL;
    }
    TraceWrite(20, "Make Outgoing Call passed");
    m_nSendPos = -1;
    m_nStep = nNextStep;
    return STEP_WAIT;
}

// The line could not start its message thread: not a port that another
// program may free, so the tries of the dial tone and dialing tests end as
// a modem that does not answer ATZ ends them, once ATZ's time limit has
// passed since the first failed try.
int CTestThread::LineWithoutResources()
{
    __time64_t now = _time64(NULL);
    if (m_tOpenFailed == 0) {
        m_tOpenFailed = now;
    } else if (now - m_tOpenFailed > kAtzLimit) {
        m_tOpenFailed = 0;
        return STEP_FAIL;
    }
    return STEP_PORT_BUSY;
}

int CTestThread::SendATCommand(const char* szCommand, int nTimeout)
{
    if (m_nSendPos == -1) {
        TraceWrite(20, "Send AT Command = %s", szCommand);
        m_tMark = _time64(NULL);
        m_nSendPos = 0;
        m_nRespLen = 0;
        m_szResponse[0] = '\0';
        // Echo and replies left over from earlier commands are not part of
        // this command's reply.
        char chStale;
        for (int n = 0; n < kMaxDrain && m_Line.ReadByte(&chStale); ++n) {
        }
    }

    char ch = szCommand[m_nSendPos];
    if (ch != '\0' && m_Line.WriteByte(ch) == 1)
        ch = szCommand[++m_nSendPos];

    // CRs and NULs are not kept: the next byte lands on them (a NUL kept
    // would end the reply for the token search). Past the cap every byte
    // lands on the same last slot and is lost.
    if (m_Line.ReadByte(&m_szResponse[m_nRespLen])) {
        char chRead = m_szResponse[m_nRespLen];
        if (chRead != '\r' && chRead != '\0' && m_nRespLen < kMaxReply)
            ++m_nRespLen;
    } else {
        Sleep(1);
    }

    int nResult = AT_WAIT;
    if (ch == '\0') {
        m_szResponse[m_nRespLen] = '\0';
        if (IsAccepted(m_szResponse)) {
            TraceWrite(20, " Response = %s", m_szResponse);
            nResult = m_bAbort ? AT_FAIL : AT_DONE;
        } else if (strstr(m_szResponse, "\nERROR\n")) {
            TraceWrite(20, "AT Command = %s not supported, Response = %s", szCommand, m_szResponse);
            nResult = m_bAbort ? AT_FAIL : AT_DONE;
        }
    }

    // The limit wins even over a final reply found in this very call.
    if (SecondsSinceMark() > nTimeout) {
        m_szResponse[m_nRespLen] = '\0';
        TraceWrite(20, "AT Command = %s timeout, Response = %s", szCommand, m_szResponse);
        return AT_FAIL;
    }
    return nResult;
}
