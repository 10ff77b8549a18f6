// A CWnd's window on the emulated PC: an entry of the window table, whose
// procedure finds the CWnd again through the entry's pointer.
#include <afx/Wnd.h>

#include "user/WindowTable.h"

CWnd::~CWnd()
{
    if (m_hWnd)
        plat::ui::windows::Destroy(m_hWnd);
}

BOOL CWnd::CreateMessageWindow()
{
    if (m_hWnd)
        return FALSE;
    m_hWnd = plat::ui::windows::Create(&CWnd::StaticWndProc, this);
    return m_hWnd != NULL;
}

BOOL CWnd::CreateDialogWindow(LPCTSTR, HWND)
{
    return CreateMessageWindow();
}

LRESULT CWnd::CallDefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    SendMessage(WM_DESTROY);
    plat::ui::windows::Destroy(m_hWnd);
    m_hWnd = NULL;
    return TRUE;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto window = plat::ui::windows::Find(hWnd);
    if (!window || !window->user)
        return 0;
    return static_cast<CWnd*>(window->user)->WindowProc(message, wParam, lParam);
}
