// user32's message functions over the per-thread queues and the window table.
#include "user/MessageQueue.h"
#include "user/WindowTable.h"

#include "core/LastError.h"
#include "kernel/Threads.h"

#include <win/errors.h>
#include <win/kernel.h>

using plat::ui::CurrentQueue;
using plat::ui::MessageFilter;
namespace windows = plat::ui::windows;

namespace {

MSG makeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg = {};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    return msg;
}

// A read filter names no window, "thread messages only" ((HWND)-1) or an
// existing window.
bool validFilterWindow(HWND hwnd)
{
    return hwnd == NULL || hwnd == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)) ||
           windows::Find(hwnd).has_value();
}

} // namespace

extern "C" BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    // A thread that has not read its messages yet has no queue: the
    // message is lost, as on Windows.
    auto queue = plat::ui::FindQueue(idThread);
    if (!queue)
        return plat::Fail(ERROR_INVALID_THREAD_ID);
    queue->Post(makeMessage(NULL, Msg, wParam, lParam));
    return TRUE;
}

extern "C" BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (hWnd == NULL) {
        CurrentQueue().Post(makeMessage(NULL, Msg, wParam, lParam));
        return TRUE;
    }
    auto window = windows::Find(hWnd);
    if (!window)
        return plat::Fail(ERROR_INVALID_WINDOW_HANDLE);
    auto queue = plat::ui::FindQueue(window->threadId);
    if (!queue)
        return plat::Fail(ERROR_INVALID_WINDOW_HANDLE); // its thread has ended
    queue->Post(makeMessage(hWnd, Msg, wParam, lParam));
    return TRUE;
}

extern "C" void WINAPI PostQuitMessage(int nExitCode)
{
    CurrentQueue().PostQuit(nExitCode);
}

extern "C" LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    auto window = windows::Find(hWnd);
    if (!window) {
        plat::Fail(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (window->threadId != GetCurrentThreadId()) {
        // Sending across threads would need the owner to reply from its
        // loop; nothing in the system sends to another thread's window.
        plat::Fail(ERROR_ACCESS_DENIED);
        return 0;
    }
    return window->proc(hWnd, Msg, wParam, lParam);
}

extern "C" BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax)
{
    if (!lpMsg)
        return plat::FailWith<BOOL>(ERROR_INVALID_PARAMETER, -1);
    if (!validFilterWindow(hWnd))
        return plat::FailWith<BOOL>(ERROR_INVALID_WINDOW_HANDLE, -1);
    plat::threads::SuspensionPoint();
    CurrentQueue().Get(lpMsg, MessageFilter{hWnd, wMsgFilterMin, wMsgFilterMax}, INFINITE);
    return lpMsg->message != WM_QUIT;
}

extern "C" BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                                    UINT wRemoveMsg)
{
    if (!lpMsg)
        return plat::Fail(ERROR_INVALID_PARAMETER);
    if (!validFilterWindow(hWnd))
        return plat::Fail(ERROR_INVALID_WINDOW_HANDLE);
    plat::threads::SuspensionPoint();
    return CurrentQueue().Peek(lpMsg, MessageFilter{hWnd, wMsgFilterMin, wMsgFilterMax},
                               (wRemoveMsg & PM_REMOVE) != 0);
}

extern "C" BOOL WINAPI WaitMessage(void)
{
    plat::threads::SuspensionPoint();
    return CurrentQueue().WaitForAny(INFINITE);
}

extern "C" DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL bWaitAll,
                                                  DWORD dwMilliseconds, DWORD dwWakeMask)
{
    // Only the wait for messages alone is offered: no handles.
    if (nCount != 0 || pHandles || bWaitAll) {
        plat::Fail(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    if (dwWakeMask == 0)
        return dwMilliseconds == INFINITE ? WAIT_FAILED : (Sleep(dwMilliseconds), WAIT_TIMEOUT);
    plat::threads::SuspensionPoint();
    return CurrentQueue().WaitForAny(dwMilliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

extern "C" LRESULT WINAPI DefWindowProcA(HWND, UINT Msg, WPARAM, LPARAM)
{
    // A window without a screen: nothing to paint, size or activate. A
    // window being created is let through.
    return Msg == WM_NCCREATE ? TRUE : 0;
}

extern "C" LRESULT WINAPI DispatchMessageA(const MSG* lpMsg)
{
    if (!lpMsg || lpMsg->hwnd == NULL)
        return 0;
    auto window = windows::Find(lpMsg->hwnd);
    if (!window) {
        plat::Fail(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return window->proc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

extern "C" BOOL WINAPI TranslateMessage(const MSG*)
{
    return FALSE; // no keyboard: nothing to translate
}

extern "C" BOOL WINAPI IsWindow(HWND hWnd)
{
    return windows::Find(hWnd).has_value();
}

extern "C" BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    auto previous = windows::SetVisible(hWnd, nCmdShow != SW_HIDE);
    if (!previous)
        return plat::Fail(ERROR_INVALID_WINDOW_HANDLE);
    return *previous;
}

extern "C" DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId)
{
    auto window = windows::Find(hWnd);
    if (!window) {
        plat::Fail(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (lpdwProcessId)
        *lpdwProcessId = GetCurrentProcessId();
    return window->threadId;
}
