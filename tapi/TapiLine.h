// CTapiLine: the modem's telephony line, the call that yields the modem's
// serial port, and one-byte overlapped reads and writes on that port.
//
// The test thread calls every operation; a message thread of the line,
// running from a successful Open to Close, reads TAPI's messages and keeps
// the call handle, the port handle and the call result current.
#pragma once

#include <windows.h>
#include <tapi.h>

#include <atomic>
#include <mutex>

class CModemDevice;

// Call results (GetCallResult). MakeCall sets CALLRESULT_PENDING; a
// disconnect replaces it by the result of its disconnect mode.
enum {
    CALLRESULT_NORMAL = 0,
    CALLRESULT_PENDING = 1,
    CALLRESULT_NOANSWER = 3,
    CALLRESULT_BUSY = 4,
    CALLRESULT_FAILED = 5,
    CALLRESULT_NODIALTONE = 6,
    CALLRESULT_BLOCKED = 7,
};

class CTapiLine {
public:
    CTapiLine();
    virtual ~CTapiLine();

    CTapiLine(const CTapiLine&) = delete;
    CTapiLine& operator=(const CTapiLine&) = delete;

    // Opens the TAPI line named like the modem as owner of data-modem calls
    // and starts the message thread: 0, or a LINEERR code.
    int Open(CModemDevice& modem);
    // The same with the modem's friendly name and attached port.
    int Open(const char* pszFriendlyName, const char* pszAttachedTo);

    // Places a call: passthrough without a number (null), else a dialled
    // data-modem call. 0 when TAPI took the request, else its LINEERR code.
    int MakeCall(const char* pszNumber);

    // 1 = a byte was read into *pch; 0 = no byte now. Never waits.
    int ReadByte(char* pch);
    // 1 = the byte was written or is being written; 0 = not taken (offer it
    // again). Never waits.
    int WriteByte(char ch);

    int GetCallResult() const { return m_nCallResult.load(); }
    // The current call's handle: 0 until TAPI has completed the MakeCall
    // request, and again once the call has gone idle or the line is closed.
    HCALL GetCall() const { return m_hCall.load(); }

    // Releases port, call, line, message thread and TAPI; always 0.
    int Close();

private:
    static DWORD WINAPI LineMessageThread(LPVOID pParam);
    DWORD RunMessageLoop();
    void OnCallState(const LINEMESSAGE& msg);
    void OnReply(const LINEMESSAGE& msg);
    void TakePort();
    void GiveUpPort();
    void CollectDeadPort();
    void ClosePort(HANDLE hComm);
    static BOOL PrepareOverlapped(OVERLAPPED* pOverlapped);
    static void ClearPortError(HANDLE hComm);
    static void DebugByte(char ch);
    static int CallResultOf(DWORD dwDisconnectMode);

    // Written by the test thread in Open and Close, read by the message
    // thread while it runs (m_hLine is cleared while it may still run).
    HLINEAPP m_hLineApp;
    std::atomic<HLINE> m_hLine;
    std::atomic<HCALL> m_hCall;
    // Where TAPI writes the handle of the call that MakeCall placed, and the
    // number of that request until its LINE_REPLY; both under m_requestLock.
    HCALL m_hNewCall = 0;
    LONG m_lCallRequest = 0;
    std::mutex m_requestLock;
    int m_nDeviceID;
    HANDLE m_hTapiEvent;
    HANDLE m_hThread;
    std::atomic<bool> m_bStop;

    // The port of the connected call. The message thread sets it when a call
    // connects and clears it when the call disconnects, but never closes it:
    // a port it gives up goes to m_hCommDead. Only the test thread issues
    // requests on the port and only the test thread closes it (in its next
    // ReadByte, WriteByte or Close, after finishing its outstanding
    // requests), so no request is ever issued on a closed handle, and no
    // lock is needed. The message thread takes a new port only while
    // m_hCommDead is empty, so one slot is enough.
    std::atomic<HANDLE> m_hComm;
    std::atomic<HANDLE> m_hCommDead;
    std::atomic<LONG> m_nCallResult;

    // Used by the test thread only. Each direction has one event, created
    // with its first request and reused (reset) for every later one; it is
    // closed by Close once no request is outstanding.
    BOOL m_bReadPending;
    OVERLAPPED m_ovRead;
    char m_chRead;
    BOOL m_bWritePending;
    OVERLAPPED m_ovWrite;
    char m_chWrite;
};
