// CDHtmlDialog: a modal dialog whose client area is a web browser showing
// HTML pages. The dialog serves its pages from 127.0.0.1 (see
// docs/bridge.md for how a page and the dialog talk); on Windows the
// system's browser control in the dialog's window shows them, on the
// emulated PC (or when RAVLIN_BROWSER names a browser, or the control cannot
// be created) the user's own browser does, and the window says where.
// The dialog navigates to page files, binds click events by element id
// (DHTML event map), exchanges element inner texts
// (DDX_DHtml_ElementInnerText), and calls OnDocumentComplete after each
// page has loaded. Closing an external browser's tab closes the dialog.
#pragma once

#include <afxwin.h>

#include <memory>

// The browser's objects stay opaque: handlers receive no element (NULL).
struct IHTMLElement;
struct IDispatch;
typedef IDispatch* LPDISPATCH;
typedef LONG DISPID;

#define DISPID_HTMLELEMENTEVENTS_ONCLICK (-600)

// Browser host flags (SetHostFlags).
#define DOCHOSTUIFLAG_DIALOG 0x00000001
#define DOCHOSTUIFLAG_DISABLE_HELP_MENU 0x00000002
#define DOCHOSTUIFLAG_NO3DBORDER 0x00000004
#define DOCHOSTUIFLAG_SCROLL_NO 0x00000008
#define DOCHOSTUIFLAG_DISABLE_SCRIPT_INACTIVE 0x00000010
#define DOCHOSTUIFLAG_OPENNEWWIN 0x00000020
#define DOCHOSTUIFLAG_DISABLE_OFFSCREEN 0x00000040
#define DOCHOSTUIFLAG_FLAT_SCROLLBAR 0x00000080

class CDHtmlDialog;

struct DHtmlEventMapEntry {
    LPCTSTR szName; // element id; NULL ends the table
    DISPID dispId;
    HRESULT (*pfn)(CDHtmlDialog* dialog, IHTMLElement* element);
};

// In the class: DECLARE_DHTML_EVENT_MAP(). In the source file:
//   BEGIN_DHTML_EVENT_MAP(CMyDlg)
//       DHTML_EVENT_ONCLICK(_T("ButtonOK"), OnButtonOK)   // HRESULT OnButtonOK(IHTMLElement*)
//   END_DHTML_EVENT_MAP()
#define DECLARE_DHTML_EVENT_MAP() \
protected:                        \
    const DHtmlEventMapEntry* GetDHtmlEventMap() override;

#define BEGIN_DHTML_EVENT_MAP(className)                         \
    const DHtmlEventMapEntry* className::GetDHtmlEventMap()      \
    {                                                            \
        using DHtmlThisClass [[maybe_unused]] = className;       \
        static const DHtmlEventMapEntry _dhtmlEventMap[] = {

#define DHTML_EVENT(dispid, elemName, memberFxn)                                    \
    {elemName, dispid, [](CDHtmlDialog* dialog, IHTMLElement* element) -> HRESULT { \
         return static_cast<DHtmlThisClass*>(dialog)->memberFxn(element);           \
     }},

#define DHTML_EVENT_ONCLICK(elemName, memberFxn) DHTML_EVENT(DISPID_HTMLELEMENTEVENTS_ONCLICK, elemName, memberFxn)

#define END_DHTML_EVENT_MAP()         \
            {NULL, 0, nullptr}};      \
        return &_dhtmlEventMap[0];    \
    }

namespace afx {
struct DHtmlDialogAccess;
}

class CDHtmlDialog : public CDialog {
    DECLARE_DYNAMIC(CDHtmlDialog)

public:
    CDHtmlDialog();
    CDHtmlDialog(UINT nIDTemplate, UINT nHtmlResID = 0, CWnd* pParentWnd = NULL);
    CDHtmlDialog(LPCTSTR lpszTemplateName, LPCTSTR szHtmlResID = NULL, CWnd* pParentWnd = NULL);
    ~CDHtmlDialog() override;

    // Starts the page server and navigates to m_strCurrentUrl, the initial
    // address (HTML resources are not supported: pages are files).
    BOOL OnInitDialog() override;

    // Shows a page file: a Windows path (C:\...\htm\Lang0409\start.htm) or a
    // file: URL. Asynchronous: OnDocumentComplete follows once it has loaded.
    void Navigate(LPCTSTR lpszURL, DWORD dwFlags = 0, LPCTSTR lpszTargetFrameName = NULL,
                  LPCTSTR lpszHeaders = NULL, LPVOID lpvPostData = NULL, DWORD dwPostDataLen = 0);
    // The browser control's host flags for the documents it loads from now
    // on; DOCHOSTUIFLAG_SCROLL_NO also keeps an external browser's pages
    // from scrolling.
    void SetHostFlags(DWORD dwFlags);
    void GetCurrentUrl(CString& szUrl) const { szUrl = m_strCurrentUrl; }

    // Called on the dialog's thread after a page has loaded in the top-level
    // frame, once its click events are bound; the base runs UpdateData(FALSE).
    virtual void OnDocumentComplete(LPDISPATCH pDisp, LPCTSTR szUrl);

    // How the pages are shown: in the window's control or an external
    // browser (and why), the first request that reached the page server,
    // no page loaded in time. The base ignores these notes.
    virtual void OnPageHostNote(LPCTSTR szNote);

    // Inner text of an element of the current page: FALSE (text unchanged)
    // when the page lacks the element.
    BOOL GetElementText(LPCTSTR szElementId, CString& strText);
    // Sets the inner text; ignored when the page lacks the element.
    void SetElementText(LPCTSTR szElementId, LPCTSTR szText);

    CString m_strCurrentUrl; // the initial address, then the page shown
    LPTSTR m_szHTMLResource = NULL;
    UINT m_nHtmlResID = 0;
    DWORD m_dwHostFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;

protected:
    virtual const DHtmlEventMapEntry* GetDHtmlEventMap();
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    INT_PTR RunModalLoop() override;
    void OnModalIdle() override;
    BOOL DestroyWindow() override;

private:
    friend struct afx::DHtmlDialogAccess;
    struct Impl;
    void ProcessPageEvents();
    void ShowPages();
    std::unique_ptr<Impl> m_pImpl;
};

// DDX: the element's inner text to the member (save) or back.
void DDX_DHtml_ElementInnerText(CDataExchange* pDX, LPCTSTR szId, CString& value);
