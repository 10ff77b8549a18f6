// CWnd: a window. On Windows a dialog's window is a real top-level window
// made from its dialog template (WndWindows.cpp). On the emulated PC a
// window has no screen of its own: it is a handle whose messages land in
// the queue of the thread that created it and reach WindowProc through that
// thread's message loop (WndLinux.cpp). The handle can be given to other
// threads, which PostMessage to it.
#pragma once

#include "afx/MessageMap.h"

class CWnd;

// Context of one data exchange (UpdateData): the direction and the window.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }
    BOOL m_bSaveAndValidate; // TRUE: window to members; FALSE: members to window
    CWnd* m_pDlgWnd;
};

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd() = default;
    ~CWnd() override; // destroys the window if it still exists
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates the window handle, owned by the calling thread. The window
    // only receives messages.
    BOOL CreateMessageWindow();
    // Creates the window of a dialog from its template in the resources
    // (AfxGetResourceHandle), hidden until it is shown; a module without
    // the template, or a machine without a screen (Wine without a display),
    // gets a message-only window. On the emulated PC the window is a
    // message window in any case.
    BOOL CreateDialogWindow(LPCTSTR lpszTemplateName, HWND hWndParent);
    virtual BOOL DestroyWindow();

    // Sees each message of the modal loop before it is dispatched; TRUE
    // when the message has been handled (keyboard shortcuts and the like).
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL ShowWindow(int nCmdShow);
    int GetShowCmd() const { return m_nShowCmd; }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const { return bBigIcon ? m_hIconBig : m_hIconSmall; }

    // Runs DoDataExchange in the given direction.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual void DoDataExchange(CDataExchange* pDX);

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnClose();
    afx_msg void OnDestroy();

    HWND m_hWnd = NULL;

    DECLARE_MESSAGE_MAP()

private:
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own default handling: the procedure the window had
    // before the framework took it over, or DefWindowProcA.
    LRESULT CallDefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = NULL;

    HICON m_hIconBig = NULL;
    HICON m_hIconSmall = NULL;
    int m_nShowCmd = SW_HIDE;
};
