// user32: window and thread messages. The emulated PC has no window
// manager; a window is a handle whose messages land in the queue of the
// thread that created it, and each thread's queue is created the first time
// the thread reads its messages or creates a window.
#pragma once

#include "types.h"

// ---- messages -------------------------------------------------------------
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_PAINT 0x000F
#define WM_QUERYDRAGICON 0x0037
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_USER 0x0400
#define WM_APP 0x8000

// WM_ACTIVATE
#define WA_INACTIVE 0

// WM_SETICON
#define ICON_SMALL 0
#define ICON_BIG 1

// WM_SYSCOMMAND
#define SC_CLOSE 0xF060

// ShowWindow
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// PeekMessage
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// MsgWaitForMultipleObjects
#define QS_POSTMESSAGE 0x0008
#define QS_SENDMESSAGE 0x0040
#define QS_ALLPOSTMESSAGE 0x0100
#define QS_ALLINPUT 0x04FF

// Dialog results and the standard command ids.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

#ifdef __cplusplus
extern "C" {
#endif

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int nExitCode);
// Only to a window of the calling thread: the window procedure runs at once.
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// GetMessage returns 0 for WM_QUIT, -1 on failure, otherwise nonzero.
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
BOOL WINAPI WaitMessage(void);
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
// Waits for a message only: nCount must be 0 (no handles).
DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL bWaitAll, DWORD dwMilliseconds,
                                       DWORD dwWakeMask);
// The default handling of a window without a screen: 0 (TRUE for WM_NCCREATE).
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI TranslateMessage(const MSG* lpMsg);

BOOL WINAPI IsWindow(HWND hWnd);
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);

// Implemented by the resources family.
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);

#ifdef __cplusplus
}
#endif

#ifndef PostMessage
#define PostMessage PostMessageA
#define PostThreadMessage PostThreadMessageA
#define SendMessage SendMessageA
#define GetMessage GetMessageA
#define PeekMessage PeekMessageA
#define DispatchMessage DispatchMessageA
// Only the name: the framework's CWnd::DefWindowProc is renamed as under the
// SDK; the emulated PC has no window procedures of its own.
#define DefWindowProc DefWindowProcA
#endif
#ifndef LoadIcon
#define LoadIcon LoadIconA
#endif
