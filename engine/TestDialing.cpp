// The dialing test: a data call to the configured number passes once the
// call is connected and the port takes a byte.
#include "TestThread.h"

#include "Trace.h"

int CTestThread::TestDialing()
{
    TraceWrite(20, "Dialing test");
    switch (m_nStep) {
    case 0:
        TraceWrite(20, "open modem");
        return OpenModem(m_szNumber, 13);
    case 13:
        // The limit counts from the last command of the dial tone test.
        if (SecondsSinceMark() > 120)
            m_bAbort = 1;
        if (m_bAbort) {
            m_Line.Close();
            TraceWrite(20, "ERROR: Dialing test aborted");
            return STEP_FAIL;
        }
        if (m_Line.GetCallResult() != CALLRESULT_PENDING) {
            // Busy, no answer, no dial tone...: the call was disconnected.
            m_Line.Close();
            TraceWrite(20, "ERROR: Dialing test not tested");
            return STEP_FAIL;
        }
        if (m_Line.WriteByte('*')) {
            TraceWrite(20, "Dialing test passed");
            m_Line.Close();
            return STEP_PASS;
        }
        Sleep(1);
        return STEP_WAIT;
    default:
        return STEP_WAIT;
    }
}
