// A CWnd's window on Windows, created on the calling thread: a dialog's
// real top-level window made from its template, or a message-only window
// (HWND_MESSAGE) of the framework's own class. The CWnd rides in the
// window's user data (from WM_NCCREATE on, or from the moment a dialog
// window is taken over).
#include <afx/Wnd.h>

#include <afx/WinApp.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char kWindowClass[] = "RavlinFrameworkWnd";

CWnd* windowObject(HWND hWnd)
{
    return reinterpret_cast<CWnd*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

// The dialog manager's procedure for a window made from a template: every
// message gets the default handling, the framework's own comes first
// through the window procedure that replaces the dialog's.
INT_PTR CALLBACK defaultDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// A copy of a dialog template without WS_VISIBLE: the dialog shows its
// window once OnInitDialog has run, as it asks. Empty when the module has
// no such template.
std::vector<BYTE> hiddenTemplate(HINSTANCE module, LPCSTR name)
{
    HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(5)); // RT_DIALOG
    HGLOBAL loaded = info ? LoadResource(module, info) : NULL;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    DWORD size = info ? SizeofResource(module, info) : 0;
    if (!data || size < 18)
        return {};
    std::vector<BYTE> copy(data, data + size);
    // DLGTEMPLATEEX (version 1, signature FFFF) keeps its style at offset
    // 12, DLGTEMPLATE at 0.
    bool extended = copy[0] == 1 && copy[1] == 0 && copy[2] == 0xFF && copy[3] == 0xFF;
    size_t at = extended ? 12 : 0;
    DWORD style = 0;
    std::memcpy(&style, copy.data() + at, sizeof(style));
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(copy.data() + at, &style, sizeof(style));
    return copy;
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

BOOL CWnd::CreateDialogWindow(LPCTSTR lpszTemplateName, HWND hWndParent)
{
    if (m_hWnd)
        return FALSE;
    std::vector<BYTE> dialogTemplate =
        lpszTemplateName ? hiddenTemplate(AfxGetResourceHandle(), lpszTemplateName) : std::vector<BYTE>();
    if (dialogTemplate.empty())
        return CreateMessageWindow();
    HWND hwnd = CreateDialogIndirectParamA(AfxGetResourceHandle(),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), hWndParent,
                                           &defaultDialogProc, 0);
    if (!hwnd) {
        // Only where no screen can be had (Wine without a display): the
        // dialog still runs, as a message window.
        std::fprintf(stderr, "Ravlin: the dialog's window cannot be created (error %lu)\n", GetLastError());
        return CreateMessageWindow();
    }
    // The framework takes the window over: its messages reach WindowProc,
    // and what the framework leaves goes on to the dialog manager.
    m_hWnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    return TRUE;
}

LRESULT CWnd::CallDefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
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
        wnd->m_pfnSuper = NULL;
    }
    return result;
}
