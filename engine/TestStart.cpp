// The start stage: detection on the engine's first run; on every later run
// the installation checks, then a reset and the identification queries.
#include "TestThread.h"

#include "Trace.h"

#include <string.h>

int CTestThread::TestStart()
{
    switch (m_nStep) {
    case 0: {
        if (m_bDetected) {
            if (!m_Modem.m_bFound)
                return STEP_FAIL;
            m_nStep = 1;
            return STEP_WAIT;
        }
        BOOL bFound = m_Modem.SearchModem();
        WPARAM nDetect = bFound ? DETECT_FOUND : m_Modem.m_bHardwareFound ? DETECT_NO_DRIVER : DETECT_NO_HARDWARE;
        m_bDetected = 1;
        EndRun(WM_DETECT_RESULT, nDetect, NULL, NULL);
        return bFound ? STEP_WAIT : STEP_DETECTED;
    }
    case 1:
        if (!m_Modem.CheckDeviceStatus())
            return STEP_FAIL;
        m_nStep = 2;
        return STEP_WAIT;
    case 2:
        if (!m_Modem.VerifyModemFiles())
            return STEP_FAIL;
        m_nStep = 3;
        return STEP_WAIT;
    case 3:
        // The line is opened once and closed again before the registry is
        // compared, then opened for the AT commands.
        OpenModem(NULL, 4);
        m_Line.Close();
        if (!m_Modem.VerifyModemRegistry()) {
            TraceWrite(20, "Verify Modem Registry failed ");
            return STEP_FAIL;
        }
        TraceWrite(20, "Verify Modem Registry passed ");
        return OpenModem(NULL, 4);
    case 4:
        switch (SendATCommand("ATZ\r\n", 10)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_PORT_BUSY;
        case AT_DONE:
            m_nSendPos = -1;
            m_nRespLen = 0;
            m_nStep = 5;
            break;
        }
        return STEP_WAIT;
    case 5:
        switch (SendATCommand("ATI9\r\n", 10)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE:
            // Modems without ATI9 answer ERROR and are asked ATI5 instead.
            m_nStep = strstr(m_szResponse, "\nERROR\n") ? 7 : 8;
            m_nSendPos = -1;
            m_nRespLen = 0;
            break;
        }
        return STEP_WAIT;
    case 7:
        switch (SendATCommand("ATI5\r\n", 5)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE:
            m_nSendPos = -1;
            m_nRespLen = 0;
            m_nStep = 8;
            break;
        }
        return STEP_WAIT;
    case 8:
        switch (SendATCommand("ATI3\r\n", 5)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE:
            m_Line.Close();
            return STEP_PASS;
        }
        return STEP_WAIT;
    default:
        return STEP_WAIT;
    }
}
