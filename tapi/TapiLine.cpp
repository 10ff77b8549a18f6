#include "TapiLine.h"

#include "ModemDevice.h"
#include "Trace.h"

#include <cstring>
#include <vector>

namespace {

// Sizes of the TAPI structures the line fills (fixed part + room for the
// variable part).
const DWORD kInitParamsSize = 28;
const DWORD kDevCapsSize = 1292;
const DWORD kCallParamsSize = 1200;
const DWORD kCallParamsFixedSize = 176;
const DWORD kDeviceIdSize = 279;
const DWORD kCallStatusSize = 56;

const DWORD kApiVersion = 0x00020002;
const DWORD kAllLineStates = 0x01FFFFFF; // LINEDEVSTATE_OTHER .. LINEDEVSTATE_REMOVED
const DWORD_PTR kCallbackInstance = 1;
const DWORD kPollMs = 10;

} // namespace

CTapiLine::CTapiLine()
    : m_hLineApp(0), m_hLine(0), m_hCall(0), m_nDeviceID(0), m_hTapiEvent(NULL), m_hThread(NULL), m_bStop(true),
      m_hComm(NULL), m_hCommDead(NULL), m_nCallResult(CALLRESULT_NORMAL), m_bReadPending(FALSE), m_ovRead(),
      m_chRead(0), m_bWritePending(FALSE), m_ovWrite(), m_chWrite(0)
{
}

CTapiLine::~CTapiLine()
{
    Close();
}

int CTapiLine::Open(CModemDevice& modem)
{
    return Open(modem.GetFriendlyName(), modem.GetAttachedTo());
}

int CTapiLine::Open(const char* pszFriendlyName, const char* pszAttachedTo)
{
    // A line still open (Open without Close) is released first, so that
    // no TAPI instance is overwritten and lost.
    if (m_hLineApp != 0 || m_hThread != NULL)
        Close();
    std::vector<BYTE> initBuffer(kInitParamsSize);
    LINEINITIALIZEEXPARAMS* pInit = reinterpret_cast<LINEINITIALIZEEXPARAMS*>(initBuffer.data());
    pInit->dwTotalSize = kInitParamsSize;
    pInit->dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    DWORD dwAPIVersion = kApiVersion;
    DWORD dwNumDevs = 0;
    HLINEAPP hLineApp = 0;
    LONG lResult = lineInitializeExA(&hLineApp, NULL, NULL, "VuzaVuvizu", &dwNumDevs, &dwAPIVersion, pInit);
    if (lResult != 0) {
        TraceWrite(20, "ERROR: lineInitializeEx error. Return code = %d", static_cast<int>(lResult));
        return lResult;
    }
    m_hLineApp = hLineApp;
    m_hTapiEvent = pInit->Handles.hEvent;
    m_nDeviceID = -1;

    for (DWORD dwDevice = 0; dwDevice < dwNumDevs; ++dwDevice) {
        DWORD dwNegotiated = 0;
        LINEEXTENSIONID extension;
        if (lineNegotiateAPIVersion(m_hLineApp, dwDevice, dwAPIVersion, dwAPIVersion, &dwNegotiated, &extension) != 0)
            continue;
        std::vector<BYTE> capsBuffer(kDevCapsSize);
        LINEDEVCAPS* pCaps = reinterpret_cast<LINEDEVCAPS*>(capsBuffer.data());
        pCaps->dwTotalSize = kDevCapsSize;
        if (lineGetDevCapsA(m_hLineApp, dwDevice, dwNegotiated, 0, pCaps) != 0)
            continue;
        // The name must lie inside the buffer; a name that did not fit has size 0.
        if (pCaps->dwLineNameSize == 0 || pCaps->dwLineNameOffset >= kDevCapsSize ||
            pCaps->dwLineNameSize > kDevCapsSize - pCaps->dwLineNameOffset)
            continue;
        const char* pszName = reinterpret_cast<const char*>(capsBuffer.data() + pCaps->dwLineNameOffset);
        if (memchr(pszName, '\0', pCaps->dwLineNameSize) == NULL)
            continue;
        if (strcmp(pszName, pszFriendlyName) == 0 && (pCaps->dwMediaModes & LINEMEDIAMODE_DATAMODEM) != 0) {
            m_nDeviceID = static_cast<int>(dwDevice);
            break;
        }
    }
    if (m_nDeviceID == -1) {
        // TAPI is given back at once: the stages try again and again.
        lineShutdown(m_hLineApp);
        m_hLineApp = 0;
        m_hTapiEvent = NULL;
        TraceWrite(20, "ERROR: No device available. Return LINEERR_BADDEVICEID");
        return LINEERR_BADDEVICEID;
    }

    HLINE hLine = 0;
    lResult = lineOpenA(m_hLineApp, static_cast<DWORD>(m_nDeviceID), &hLine, dwAPIVersion, 0, kCallbackInstance,
                        LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM, NULL);
    if (lResult != 0) {
        if (lResult == static_cast<LONG>(LINEERR_OPERATIONFAILED)) {
            // TAPI cannot open the line: ask the port itself whether another
            // program holds it or whether it is not there at all.
            HANDLE hPort = CreateFileA(pszAttachedTo, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
            if (hPort == INVALID_HANDLE_VALUE) {
                DWORD dwError = GetLastError();
                TraceWrite(20, "ERROR: GetLastError(). Return code = %d", static_cast<int>(dwError));
                if (dwError != ERROR_ACCESS_DENIED)
                    lResult = LINEERR_RESOURCEUNAVAIL;
            } else {
                TraceWrite(20, "ERROR: Can not open via TAPI, but COM port works OK");
                CloseHandle(hPort);
            }
        }
        lineShutdown(m_hLineApp);
        m_hLineApp = 0;
        m_hTapiEvent = NULL;
        TraceWrite(20, "ERROR: Open the line error. Return code = %d", static_cast<int>(lResult));
        return lResult;
    }
    m_hLine = hLine;

    lResult = lineSetStatusMessages(m_hLine, kAllLineStates, 0);
    if (lResult != 0) {
        lineShutdown(m_hLineApp); // closes the line as well
        m_hLineApp = 0;
        m_hLine = 0;
        m_hTapiEvent = NULL;
        TraceWrite(20, "ERROR: lineSetStatusMessages. Return code = %d", static_cast<int>(lResult));
        return lResult;
    }

    m_bStop = false;
    m_hThread = CreateThread(NULL, 0, LineMessageThread, this, 0, NULL);
    if (m_hThread == NULL) {
        // Without the message thread no call would ever connect.
        DWORD dwError = GetLastError();
        m_bStop = true;
        lineShutdown(m_hLineApp); // closes the line as well
        m_hLineApp = 0;
        m_hLine = 0;
        m_hTapiEvent = NULL;
        TraceWrite(20, "ERROR: CreateThread. Return code = %d", static_cast<int>(dwError));
        return LINEERR_NOMEM;
    }
    return 0;
}

int CTapiLine::MakeCall(const char* pszNumber)
{
    m_nCallResult = CALLRESULT_PENDING;
    const char* pszAddress = pszNumber ? pszNumber : "";
    size_t nLength = strlen(pszAddress);
    // The displayable address and its NUL go behind the fixed part.
    if (nLength >= kCallParamsSize - kCallParamsFixedSize)
        return LINEERR_INVALADDRESS;

    std::vector<BYTE> paramsBuffer(kCallParamsSize);
    LINECALLPARAMS* pParams = reinterpret_cast<LINECALLPARAMS*>(paramsBuffer.data());
    pParams->dwTotalSize = kCallParamsSize;
    pParams->dwBearerMode = pszNumber ? LINEBEARERMODE_VOICE : LINEBEARERMODE_PASSTHROUGH;
    pParams->dwMediaMode = LINEMEDIAMODE_DATAMODEM;
    pParams->dwCallParamFlags = LINECALLPARAMFLAGS_IDLE;
    pParams->dwAddressMode = LINEADDRESSMODE_ADDRESSID;
    pParams->dwAddressID = 0;
    memcpy(paramsBuffer.data() + kCallParamsFixedSize, pszAddress, nLength + 1);
    pParams->dwDisplayableAddressOffset = kCallParamsFixedSize;
    pParams->dwDisplayableAddressSize = static_cast<DWORD>(nLength);

    // TAPI writes the call's handle into m_hNewCall when the request
    // completes, before it queues the request's LINE_REPLY; the message
    // thread takes it from there (OnReply). The lock keeps the reply from
    // being handled before the request's number is known.
    LONG lResult;
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        m_hNewCall = 0;
        lResult = lineMakeCallA(m_hLine, &m_hNewCall, pszAddress, 0, pParams);
        m_lCallRequest = lResult > 0 ? lResult : 0;
    }
    if (lResult < 0)
        return lResult;
    return 0;
}

DWORD WINAPI CTapiLine::LineMessageThread(LPVOID pParam)
{
    return static_cast<CTapiLine*>(pParam)->RunMessageLoop();
}

DWORD CTapiLine::RunMessageLoop()
{
    while (!m_bStop) {
        DWORD dwWait = WaitForSingleObject(m_hTapiEvent, kPollMs);
        if (dwWait == WAIT_FAILED) {
            // The event is gone: waiting again would fail at once, forever.
            DWORD dwError = GetLastError();
            TraceWrite(20, "ERROR: WaitForSingleObject. Return code = %d", static_cast<int>(dwError));
            return dwError;
        }
        if (dwWait != WAIT_OBJECT_0)
            continue;
        LINEMESSAGE msg;
        LONG lResult = lineGetMessage(m_hLineApp, &msg, 0);
        if (lResult != 0)
            return static_cast<DWORD>(lResult);
        if (msg.dwMessageID == LINE_CALLSTATE)
            OnCallState(msg);
        else if (msg.dwMessageID == LINE_REPLY)
            OnReply(msg);
    }
    return 0;
}

// Message thread: the reply to MakeCall's request carries its call handle.
void CTapiLine::OnReply(const LINEMESSAGE& msg)
{
    std::lock_guard<std::mutex> lock(m_requestLock);
    if (m_lCallRequest == 0 || msg.dwParam1 != static_cast<DWORD_PTR>(m_lCallRequest))
        return;
    m_lCallRequest = 0;
    if (msg.dwParam2 == 0)
        m_hCall = m_hNewCall;
}

void CTapiLine::OnCallState(const LINEMESSAGE& msg)
{
    switch (msg.dwParam1) {
    case LINECALLSTATE_IDLE:
        lineDrop(m_hCall, NULL, 0);
        m_hCall = 0;
        break;
    case LINECALLSTATE_OFFERING:
        m_hCall = msg.hDevice;
        break;
    case LINECALLSTATE_CONNECTED:
        if (msg.dwCallbackInstance == kCallbackInstance)
            TakePort();
        break;
    case LINECALLSTATE_DISCONNECTED:
        m_nCallResult = CallResultOf(static_cast<DWORD>(msg.dwParam2));
        lineDrop(msg.hDevice, NULL, 0);
        GiveUpPort();
        break;
    default:
        break;
    }
}

// Message thread: the port of the connected call, as the line's
// "comm/datamodem" device class gives it.
void CTapiLine::TakePort()
{
    std::vector<BYTE> idBuffer(kDeviceIdSize);
    VARSTRING* pId = reinterpret_cast<VARSTRING*>(idBuffer.data());
    pId->dwTotalSize = kDeviceIdSize;
    if (lineGetIDA(m_hLine, 0, m_hCall, LINECALLSELECT_LINE, pId, "comm/datamodem") != 0)
        return;
    if (pId->dwStringSize < sizeof(HANDLE) || pId->dwStringOffset > kDeviceIdSize - sizeof(HANDLE))
        return;
    HANDLE hComm = NULL;
    memcpy(&hComm, idBuffer.data() + pId->dwStringOffset, sizeof(HANDLE));
    COMMTIMEOUTS timeouts;
    if (!GetCommTimeouts(hComm, &timeouts)) {
        CloseHandle(hComm);
        return;
    }
    // A port given up earlier that the test thread has not closed yet keeps
    // the slot busy; the new one is not taken then.
    if (m_hCommDead.load() != NULL || m_hComm.load() != NULL) {
        CloseHandle(hComm);
        return;
    }
    m_hComm = hComm;
}

// Message thread: the call is gone; the test thread closes the port.
void CTapiLine::GiveUpPort()
{
    HANDLE hComm = m_hComm.exchange(NULL);
    if (hComm != NULL)
        m_hCommDead = hComm;
}

// Test thread: closes a port that the message thread gave up.
void CTapiLine::CollectDeadPort()
{
    HANDLE hComm = m_hCommDead.exchange(NULL);
    if (hComm != NULL)
        ClosePort(hComm);
}

// Test thread: outstanding requests are cancelled and finished first, so
// that nothing writes to m_ovRead, m_chRead, m_ovWrite or m_chWrite later.
void CTapiLine::ClosePort(HANDLE hComm)
{
    if (m_bReadPending || m_bWritePending) {
        // PurgeComm aborts them on Windows; CancelIoEx too where a port
        // driver's purge leaves requests running (as Wine's does), whichever
        // thread issued them (CancelIo would end only this thread's).
        PurgeComm(hComm, PURGE_RXABORT | PURGE_TXABORT);
        CancelIoEx(hComm, NULL);
        DWORD dwTransferred = 0;
        if (m_bReadPending)
            GetOverlappedResult(hComm, &m_ovRead, &dwTransferred, TRUE);
        if (m_bWritePending)
            GetOverlappedResult(hComm, &m_ovWrite, &dwTransferred, TRUE);
        m_bReadPending = FALSE;
        m_bWritePending = FALSE;
    }
    CloseHandle(hComm);
}

// A request that ended with an error (a purge, a line error while the port
// aborts on errors) is over: the port's errors are cleared, so that with
// fAbortOnError set the next request is not refused as well.
void CTapiLine::ClearPortError(HANDLE hComm)
{
    DWORD dwErrors = 0;
    COMSTAT stat;
    ClearCommError(hComm, &dwErrors, &stat);
}

// The bytes go to the debugger's output only when a debugger listens: the
// call costs a switch into the system for every byte otherwise.
void CTapiLine::DebugByte(char ch)
{
    if (!IsDebuggerPresent())
        return;
    char szByte[2] = {ch, '\0'};
    OutputDebugStringA(szByte);
}

BOOL CTapiLine::PrepareOverlapped(OVERLAPPED* pOverlapped)
{
    HANDLE hEvent = pOverlapped->hEvent;
    if (hEvent == NULL)
        hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    else
        ResetEvent(hEvent);
    if (hEvent == NULL)
        return FALSE;
    memset(pOverlapped, 0, sizeof(OVERLAPPED));
    pOverlapped->hEvent = hEvent;
    return TRUE;
}

int CTapiLine::ReadByte(char* pch)
{
    CollectDeadPort();
    HANDLE hComm = m_hComm.load();
    if (hComm == NULL)
        return 0;
    if (m_bReadPending) {
        DWORD dwRead = 0;
        if (!GetOverlappedResult(hComm, &m_ovRead, &dwRead, FALSE)) {
            if (GetLastError() == ERROR_IO_INCOMPLETE)
                return 0;
            m_bReadPending = FALSE;
            ClearPortError(hComm);
            return 0;
        }
        m_bReadPending = FALSE;
        if (dwRead != 1)
            return 0;
        *pch = m_chRead;
    } else {
        if (!PrepareOverlapped(&m_ovRead))
            return 0;
        DWORD dwRead = 0;
        if (!ReadFile(hComm, &m_chRead, 1, &dwRead, &m_ovRead)) {
            if (GetLastError() == ERROR_IO_PENDING)
                m_bReadPending = TRUE;
            else
                ClearPortError(hComm);
            return 0;
        }
        if (dwRead == 0)
            return 0;
        *pch = m_chRead;
    }
    DebugByte(*pch);
    return 1;
}

int CTapiLine::WriteByte(char ch)
{
    CollectDeadPort();
    HANDLE hComm = m_hComm.load();
    if (hComm == NULL)
        return 0;
    if (m_bWritePending) {
        DWORD dwWritten = 0;
        if (!GetOverlappedResult(hComm, &m_ovWrite, &dwWritten, FALSE)) {
            if (GetLastError() == ERROR_IO_INCOMPLETE)
                return 0;
            // The earlier byte is lost; this one is offered again next time.
            m_bWritePending = FALSE;
            ClearPortError(hComm);
            return 0;
        }
        m_bWritePending = FALSE;
    }
    if (!PrepareOverlapped(&m_ovWrite))
        return 0;
    m_chWrite = ch;
    DWORD dwWritten = 0;
    if (!WriteFile(hComm, &m_chWrite, 1, &dwWritten, &m_ovWrite)) {
        if (GetLastError() != ERROR_IO_PENDING) {
            ClearPortError(hComm);
            return 0;
        }
        m_bWritePending = TRUE;
    } else if (dwWritten == 0) {
        return 0;
    }
    DebugByte(ch);
    return 1;
}

int CTapiLine::Close()
{
    TraceWrite(20, "Close TapiLine");
    HANDLE hComm = m_hComm.exchange(NULL);
    if (hComm != NULL)
        ClosePort(hComm);
    CollectDeadPort();

    HCALL hCall = m_hCall.exchange(0);
    if (hCall != 0) {
        std::vector<BYTE> statusBuffer(kCallStatusSize);
        LINECALLSTATUS* pStatus = reinterpret_cast<LINECALLSTATUS*>(statusBuffer.data());
        pStatus->dwTotalSize = kCallStatusSize;
        LONG lResult = lineGetCallStatus(hCall, pStatus);
        if (lResult != 0)
            TraceWrite(20, "ERROR: lineGetCallStatus. Return code = %d", static_cast<int>(lResult));
        else
            lineDrop(hCall, NULL, 0);
    }

    HLINE hLine = m_hLine.exchange(0);
    if (hLine != 0)
        lineClose(hLine);

    if (m_hThread != NULL) {
        m_bStop = true;
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = NULL;
        // The thread may have handled the line's last messages meanwhile.
        hComm = m_hComm.exchange(NULL);
        if (hComm != NULL)
            ClosePort(hComm);
        CollectDeadPort();
        m_hCall = 0;
    }
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        m_lCallRequest = 0;
    }
    if (m_ovRead.hEvent != NULL) {
        CloseHandle(m_ovRead.hEvent);
        m_ovRead.hEvent = NULL;
    }
    if (m_ovWrite.hEvent != NULL) {
        CloseHandle(m_ovWrite.hEvent);
        m_ovWrite.hEvent = NULL;
    }

    if (m_hLineApp != 0) {
        lineShutdown(m_hLineApp);
        m_hLineApp = 0;
        m_hTapiEvent = NULL;
    }
    m_nDeviceID = -1;
    TraceWrite(20, "TapiLine closed");
    return 0;
}

int CTapiLine::CallResultOf(DWORD dwDisconnectMode)
{
    switch (dwDisconnectMode) {
    case LINEDISCONNECTMODE_NORMAL:
        return CALLRESULT_NORMAL;
    case LINEDISCONNECTMODE_NOANSWER:
        return CALLRESULT_NOANSWER;
    case LINEDISCONNECTMODE_BUSY:
    case LINEDISCONNECTMODE_CONGESTION:
        return CALLRESULT_BUSY;
    case LINEDISCONNECTMODE_NODIALTONE:
        return CALLRESULT_NODIALTONE;
    case LINEDISCONNECTMODE_BLOCKED:
        return CALLRESULT_BLOCKED;
    default:
        return CALLRESULT_FAILED;
    }
}
