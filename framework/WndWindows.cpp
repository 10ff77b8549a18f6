// A CWnd's window on Windows: a message-only window (HWND_MESSAGE) of the
// framework's own class, created on the calling thread. The CWnd rides in
// the window's user data from WM_NCCREATE on.
#include <afx/Wnd.h>

#include <afx/WinApp.h>

namespace {

const char kWindowClass[] = "RavlinFrameworkWnd";

CWnd* windowObject(HWND hWnd)
{
    return reinterpret_cast<CWnd*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

} // namespace

CWnd::~CWnd()
{
    if (m_hWnd) {
        // The object is going: its window must not call it any more.
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CWnd::CreateMessageWindow()
{
    if (m_hWnd)
        return FALSE;
    HINSTANCE module = AfxGetInstanceHandle();
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExA(module, kWindowClass, &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &CWnd::StaticWndProc;
        windowClass.hInstance = module;
        windowClass.lpszClassName = kWindowClass;
        if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return FALSE;
    }
    HWND hwnd = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, module, this);
    return hwnd != NULL && m_hWnd == hwnd;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    BOOL destroyed = ::DestroyWindow(m_hWnd); // WM_DESTROY and WM_NCDESTROY reach WindowProc
    m_hWnd = NULL;
    return destroyed;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* wnd = static_cast<CWnd*>(create->lpCreateParams);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wnd));
        wnd->m_hWnd = hWnd;
    }
    CWnd* wnd = windowObject(hWnd);
    if (!wnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        wnd->m_hWnd = NULL;
    }
    return result;
}
