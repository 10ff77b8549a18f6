// The line test: the modem measures the loop current of the telephone line
// ("AT|LC"); a connected line draws 20 to 65 mA.
//
// A run does not enter it: the card test goes straight on to the dial tone
// test. A modem without the command answers ERROR, and the stage would turn
// that into a "no dial tone" verdict for a line that may be fine, while the
// dial tone test already tells a dead line from a live one, on every modem.
#include "TestThread.h"

#include "Trace.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char kLoopCurrent[] = "\n<LOOP CURRENT: ";
const long kMinLoopCurrent = 20;
const long kMaxLoopCurrent = 65;

// The loop current the reply reports, or -1 when it reports none.
long LoopCurrent(const char* szReply)
{
    const char* szToken = strstr(szReply, kLoopCurrent);
    if (!szToken)
        return -1;
    const char* szNumber = szToken + sizeof(kLoopCurrent) - 1;
    char* szEnd = NULL;
    long nValue = strtol(szNumber, &szEnd, 10);
    return szEnd == szNumber ? -1 : nValue;
}

} // namespace

int CTestThread::TestLine()
{
    TraceWrite(20, "Line Test--Uses AT|LC=2000 command, timeout=4 seconds");
    switch (m_nStep) {
    case 0:
        return OpenModem(NULL, 4);
    case 4:
        switch (SendATCommand("ATZ\r\n", 10)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE:
            m_nSendPos = -1;
            m_nStep = 5;
            break;
        }
        return STEP_WAIT;
    case 5:
        switch (SendATCommand("AT|LC=2000\r\n", 10)) {
        case AT_FAIL:
            TraceWrite(20, "ERROR: Line Test Aborted!");
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE: {
            m_Line.Close();
            if (!strstr(m_szResponse, "\nPASS\n")) {
                TraceWrite(20, "ERROR: Line Test RESULT_LINETEST_NOT_DETECTED");
                return STEP_FAIL;
            }
            long nCurrent = LoopCurrent(m_szResponse);
            if (nCurrent < kMinLoopCurrent || nCurrent > kMaxLoopCurrent) {
                TraceWrite(20, "ERROR: Line Test failed");
                return STEP_FAIL;
            }
            TraceWrite(20, "Line Test passed");
            return STEP_PASS;
        }
        }
        return STEP_WAIT;
    default:
        return STEP_WAIT;
    }
}
