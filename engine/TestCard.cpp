// The card test: the modem's DMA/interrupt self-test, then a loop-back of
// one test byte, then a settling wait before the next stage opens the line.
#include "TestThread.h"

#include "Trace.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char kTestByte = '*';

// Drivers before this version do not loop the test byte back reliably.
const double kFirstLoopbackVersion = 7.39;

// The leading decimal number of a version text: digits, then a point and
// more digits ("7.100.0.0" reads 7.1). An empty or non-numeric text reads
// 0; exponents, hexadecimal, "inf" and "nan" are not read as numbers.
double LeadingDecimal(const char* szText)
{
    char szNumber[64];
    size_t n = 0;
    const char* p = szText;
    while (*p >= '0' && *p <= '9' && n < sizeof(szNumber) - 1)
        szNumber[n++] = *p++;
    if (*p == '.' && n < sizeof(szNumber) - 1) {
        szNumber[n++] = *p++;
        while (*p >= '0' && *p <= '9' && n < sizeof(szNumber) - 1)
            szNumber[n++] = *p++;
    }
    szNumber[n] = '\0';
    // Only digits and a point are left, so strtod reads exactly them.
    return strtod(szNumber, NULL);
}

// Whether a missing echo of the test byte is the driver's known fault
// rather than the card's: HD-audio modems, and drivers older than 7.39.
bool LoopbackExcused(const char* szDeviceId, const char* szDriverVersion)
{
    return strstr(szDeviceId, "HDAUDIO") != NULL || LeadingDecimal(szDriverVersion) < kFirstLoopbackVersion;
}

} // namespace

int CTestThread::TestCard()
{
    switch (m_nStep) {
    case 0:
        return OpenModem(NULL, 4);
    case 4:
        switch (SendATCommand("ATZ\r\n", 10)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_PORT_BUSY;
        case AT_DONE:
            m_nSendPos = -1;
            m_nStep = 5;
            break;
        }
        return STEP_WAIT;
    case 5:
        switch (SendATCommand("AT|DMA=10000\r\n", 12)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE:
            // ERROR: the modem has no self-test, which is no fault.
            if (!strstr(m_szResponse, "\nPASS\n") && !strstr(m_szResponse, "\nERROR\n")) {
                m_Line.Close();
                return STEP_FAIL;
            }
            m_nSendPos = -1;
            m_nRespLen = 0;
            m_nStep = 8;
            break;
        }
        return STEP_WAIT;
    case 8:
        switch (SendATCommand("AT&T1\r\n", 10)) {
        case AT_FAIL:
            m_Line.Close();
            return STEP_FAIL;
        case AT_DONE:
            m_tMark = _time64(NULL);
            m_nStep = 11;
            break;
        }
        return STEP_WAIT;
    case 11:
        TraceWrite(20, "Send test byte *");
        if (m_bAbort) {
            m_Line.Close();
            m_nStep = 13;
        } else if (m_Line.WriteByte(kTestByte)) {
            m_tMark = _time64(NULL);
            m_nStep = 12;
        } else if (SecondsSinceMark() > 2) {
            m_Line.Close();
            return STEP_FAIL;
        } else {
            Sleep(1);
        }
        return STEP_WAIT;
    case 12: {
        if (m_bAbort) {
            TraceWrite(20, "ERROR:  Aborted. Not receive test byte");
            m_Line.Close();
            m_nStep = 13;
            return STEP_WAIT;
        }
        char ch;
        if (m_Line.ReadByte(&ch)) {
            TraceWrite(20, "... receive byte %c", ch);
            if (ch == kTestByte) {
                m_tMark = _time64(NULL);
                m_nStep = 13;
                TraceWrite(20, "Receive test byte passed");
                m_Line.Close();
            }
        } else if (SecondsSinceMark() <= 2) {
            Sleep(1);
        } else if (LoopbackExcused(m_Modem.GetDeviceId(), m_Modem.GetDriverVersion())) {
            m_tMark = _time64(NULL);
            m_nStep = 13;
            TraceWrite(20, "This driver doesn't support AT&T1 command properly. Update the driver to 7.39 or "
                           "above if the modem doesn't work properly.");
            m_Line.Close();
        } else {
            m_Line.Close();
            TraceWrite(20, "ERROR: Receive test byte timeout");
            return STEP_FAIL;
        }
        return STEP_WAIT;
    }
    case 13:
        // Gives the modem time to settle after the loop-back. The wait only
        // watches the clock, so it yields the processor between looks.
        if (SecondsSinceMark() > 8)
            return m_bAbort ? STEP_FAIL : STEP_PASS;
        Sleep(1);
        return STEP_WAIT;
    default:
        return STEP_WAIT;
    }
}
