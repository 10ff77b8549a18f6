// The dial tone test: the modem's own dial tone detection, or, for a modem
// without it, a dial without a number that shows whether a tone was there.
#include "TestThread.h"

#include "Trace.h"

#include <string.h>

int CTestThread::TestDialTone()
{
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
        switch (SendATCommand("AT|DT=7000\r\n", 9)) {
        case AT_FAIL:
            TraceWrite(20, "Dial Tone test aborted");
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE:
            m_nSendPos = -1;
            if (strstr(m_szResponse, "\nPASS\n")) {
                m_Line.Close();
                return STEP_PASS;
            }
            if (strstr(m_szResponse, "\nERROR\n")) {
                // No built-in detection: dialling nothing tells instead.
                TraceWrite(20, "Sending ATDT command to detect the dial tone ...");
                m_nStep = 9;
                break;
            }
            TraceWrite(20, "Dial Tone test failed");
            m_Line.Close();
            return STEP_FAIL;
        }
        return STEP_WAIT;
    case 9:
        // S7: wait at most 5 seconds for a carrier after dialling.
        switch (SendATCommand("ATS7=5\r\n", 3)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE:
            m_nSendPos = -1;
            m_nStep = 10;
            break;
        }
        return STEP_WAIT;
    case 10:
        switch (SendATCommand("ATDT\r\n", 20)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE:
            // NO CARRIER: there was a tone, and no carrier came to it.
            if (strstr(m_szResponse, "\nNO CARRIER\n")) {
                m_Line.Close();
                return STEP_PASS;
            }
            TraceWrite(20, "Dial Tone test failed");
            m_Line.Close();
            return STEP_FAIL;
        }
        return STEP_WAIT;
    default:
        return STEP_WAIT;
    }
}
