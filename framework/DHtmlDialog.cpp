#include <afxdhtml.h>

#include "framework/DHtmlTesting.h"
#include "framework/DialogHost.h"
#include "framework/DialogResources.h"
#include "framework/bridge/BridgeServer.h"
#include "framework/bridge/BridgeState.h"
#include "framework/bridge/Browser.h"
#include "framework/bridge/PageFolder.h"
#include "framework/bridge/TextCodec.h"

#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>

namespace {

// Private framework message: page events are waiting (the range below
// WM_USER that the framework keeps for itself).
constexpr UINT WM_PAGE_EVENTS = 0x0371;
// Private framework message: the dialog has been activated; the keyboard
// goes to its pages once the dialog manager has done its part.
constexpr UINT WM_PAGE_FOCUS = 0x0372;

// The main icon of a framework program (IDR_MAINFRAME).
constexpr UINT kMainIcon = 128;

// What the window's address line says.
const char kPagesInBrowser[] = "The pages of this window are shown in your web browser at";
const char kNoPageYet[] = "No page has loaded yet. The pages of this window are at";

} // namespace

struct CDHtmlDialog::Impl {
    afx::bridge::BridgeState state;
    afx::bridge::BridgeServer server{state};
    std::unique_ptr<afx::DialogHost> host;
    std::string rootWindows; // the served folder as the program names it
    bool serving = false;
    bool pagesShown = false;
    bool shutDown = false;
    // An external browser shows the pages: when it goes away, so does the
    // dialog (the page-gone rule).
    bool external = false;
    std::chrono::milliseconds closeGrace{5000};
    std::chrono::steady_clock::time_point started;
    std::chrono::milliseconds firstPageWait{60000};
    bool lateNoted = false;
    bool reachedNoted = false;

    std::mutex addressMutex;
    std::condition_variable addressKnown;
    std::string address;

    void Shutdown(int result)
    {
        if (shutDown)
            return;
        shutDown = true;
        host.reset(); // the control leaves the window before the window goes
        state.End(result); // waiting pages learn that the dialog has ended
        server.Stop();
    }

    // The link of the address line: the browser opens again, and from then
    // on it is the external browser whose going ends the dialog.
    std::function<void()> OpenAgain()
    {
        return [this] {
            external = true;
            afx::bridge::OpenBrowser(address);
        };
    }
};

IMPLEMENT_DYNAMIC(CDHtmlDialog, CDialog)

CDHtmlDialog::CDHtmlDialog() : CDHtmlDialog(0U, 0U, NULL)
{
}

CDHtmlDialog::CDHtmlDialog(UINT nIDTemplate, UINT nHtmlResID, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd), m_nHtmlResID(nHtmlResID), m_pImpl(std::make_unique<Impl>())
{
}

CDHtmlDialog::CDHtmlDialog(LPCTSTR lpszTemplateName, LPCTSTR szHtmlResID, CWnd* pParentWnd)
    : CDialog(lpszTemplateName, pParentWnd), m_szHTMLResource(const_cast<LPTSTR>(szHtmlResID)),
      m_pImpl(std::make_unique<Impl>())
{
}

CDHtmlDialog::~CDHtmlDialog()
{
    m_pImpl->Shutdown(IDCANCEL);
}

const DHtmlEventMapEntry* CDHtmlDialog::GetDHtmlEventMap()
{
    return nullptr;
}

BOOL CDHtmlDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    Impl& impl = *m_pImpl;
    if (!impl.server.Start()) {
        std::fprintf(stderr, "Ravlin: cannot serve the dialog's pages on 127.0.0.1\n");
        EndDialog(-1); // no window can be shown
        return TRUE;
    }
    impl.serving = true;
    impl.started = std::chrono::steady_clock::now();
    impl.host = afx::DialogHost::Create(m_hWnd);
    SetHostFlags(m_dwHostFlags);
    HWND hwnd = m_hWnd;
    impl.state.SetNotifier([hwnd] { ::PostMessage(hwnd, WM_PAGE_EVENTS, 0, 0); });
    HINSTANCE module = AfxGetResourceHandle();
    if (m_lpszTemplateName)
        impl.state.SetCaption(afx::DialogCaption(module, m_lpszTemplateName));
    impl.server.SetIcon(afx::IconFile(module, MAKEINTRESOURCEA(kMainIcon)));
    if (!m_strCurrentUrl.IsEmpty())
        Navigate(m_strCurrentUrl);
    return TRUE;
}

void CDHtmlDialog::Navigate(LPCTSTR lpszURL, DWORD, LPCTSTR, LPCTSTR, LPVOID, DWORD)
{
    std::string target = lpszURL ? lpszURL : "";
    auto location = afx::bridge::pages::Locate(target);
    if (!location) {
        // Not a file of this machine: the window shows that the page is missing.
        std::string name = target.substr(target.find_last_of("\\/") + 1);
        std::string url = "/";
        url += afx::bridge::pages::EncodePath(name.empty() ? target : name);
        m_pImpl->state.Navigate(url);
        return;
    }
    m_pImpl->server.SetRoot(location->rootHost);
    m_pImpl->rootWindows = location->rootWindows;
    m_pImpl->state.Navigate(location->url);
}

void CDHtmlDialog::SetHostFlags(DWORD dwFlags)
{
    m_dwHostFlags = dwFlags;
    m_pImpl->state.SetScrolling(!(dwFlags & DOCHOSTUIFLAG_SCROLL_NO));
    if (m_pImpl->host)
        m_pImpl->host->SetHostFlags(dwFlags);
}

void CDHtmlDialog::OnPageHostNote(LPCTSTR)
{
}

void CDHtmlDialog::OnDocumentComplete(LPDISPATCH, LPCTSTR)
{
    UpdateData(FALSE);
}

BOOL CDHtmlDialog::GetElementText(LPCTSTR szElementId, CString& strText)
{
    auto text = m_pImpl->state.Text(szElementId ? szElementId : "");
    if (!text)
        return FALSE;
    strText = afx::bridge::Utf8ToAnsi(*text).c_str();
    return TRUE;
}

void CDHtmlDialog::SetElementText(LPCTSTR szElementId, LPCTSTR szText)
{
    m_pImpl->state.SetText(szElementId ? szElementId : "", afx::bridge::AnsiToUtf8(szText ? szText : ""));
}

BOOL CDHtmlDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_PAGE_EVENTS) {
        ProcessPageEvents();
        *pResult = 0;
        return TRUE;
    }
    afx::DialogHost* host = m_pImpl->host.get();
    if (message == WM_PAGE_FOCUS) {
        if (host)
            host->Focus();
        *pResult = 0;
        return TRUE;
    }
    if (message == WM_SIZE && host)
        host->Resize(); // and on to the default handling
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && host)
        PostMessage(WM_PAGE_FOCUS);
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CDHtmlDialog::PreTranslateMessage(MSG* pMsg)
{
    if (m_pImpl->host && m_pImpl->host->TranslateKey(pMsg))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CDHtmlDialog::ProcessPageEvents()
{
    using afx::bridge::EventReply;
    using afx::bridge::PageEvent;
    afx::bridge::BridgeState& state = m_pImpl->state;
    for (PageEvent& event : state.TakeEvents()) {
        EventReply reply;
        if (IsModalEnded()) {
            reply = {409, {{"error", "the dialog has ended"}, {"state", state.Snapshot()}}};
        } else if (event.kind == PageEvent::Kind::Loaded) {
            // A page that loads while the dialog is on its way to another one
            // is left behind; otherwise it becomes the current document
            // (including pages the user reached with the browser itself).
            std::string wanted = afx::bridge::pages::DecodePath(state.WantedUrl());
            if (wanted.empty() || (state.Pending() && !afx::bridge::pages::SamePage(event.url, wanted))) {
                reply = {200, {{"accepted", false}, {"state", state.Snapshot()}}};
            } else {
                afx::bridge::Texts texts = event.texts.value_or(afx::bridge::Texts{});
                int64_t doc = state.AcceptDocument(event.url, texts);
                m_strCurrentUrl = afx::bridge::pages::WindowsPathOf(m_pImpl->rootWindows, event.url).c_str();
                std::set<std::string> bound;
                for (const DHtmlEventMapEntry* entry = GetDHtmlEventMap(); entry && entry->szName; ++entry) {
                    if (texts.count(entry->szName))
                        bound.insert(entry->szName);
                }
                state.SetBound(bound);
                OnDocumentComplete(NULL, m_strCurrentUrl);
                reply = {200, {{"accepted", true}, {"doc", doc}, {"state", state.Snapshot()}}};
            }
        } else {
            std::string refusal = state.ClickRefusal(event.id, event.doc);
            if (!refusal.empty()) {
                reply = {409, {{"error", refusal}, {"state", state.Snapshot()}}};
            } else {
                if (event.texts)
                    state.ReportTexts(*event.texts);
                HRESULT result = S_OK;
                for (const DHtmlEventMapEntry* entry = GetDHtmlEventMap(); entry && entry->szName; ++entry) {
                    if (event.id == entry->szName && entry->dispId == DISPID_HTMLELEMENTEVENTS_ONCLICK) {
                        result = entry->pfn(this, NULL);
                        break;
                    }
                }
                reply = {200, {{"handled", true}, {"result", result}, {"state", state.Snapshot()}}};
            }
        }
        state.Reply(event.seq, std::move(reply));
    }
}

INT_PTR CDHtmlDialog::RunModalLoop()
{
    // The window has been initialised: its pages are shown from the
    // dialog's address, which now leads to the page it navigated to.
    Impl& impl = *m_pImpl;
    if (!impl.pagesShown && impl.serving) {
        impl.pagesShown = true;
        {
            std::lock_guard<std::mutex> lock(impl.addressMutex);
            impl.address = impl.server.Address();
        }
        impl.addressKnown.notify_all();
        ShowPages();
    }
    return CDialog::RunModalLoop();
}

void CDHtmlDialog::ShowPages()
{
    // The window's own browser control, unless RAVLIN_BROWSER names a
    // browser or the control cannot be had; then an external browser, and
    // the window says where the pages are.
    Impl& impl = *m_pImpl;
    std::string named = afx::bridge::NamedBrowser();
    std::string failure;
    if (named.empty() && impl.host->ShowPages(impl.address, m_dwHostFlags, failure)) {
        afx::bridge::PrintAddress(impl.address);
        OnPageHostNote("Pages shown in the window's browser control");
        return;
    }
    if (!named.empty())
        OnPageHostNote(("Pages shown by RAVLIN_BROWSER: " + named).c_str());
    else if (!failure.empty())
        OnPageHostNote(("ERROR: no browser control (" + failure + "): pages shown by the system's browser").c_str());
    impl.external = true;
    impl.host->ShowAddressLine(kPagesInBrowser, impl.address, impl.OpenAgain());
    afx::bridge::OpenBrowser(impl.address);
}

void CDHtmlDialog::OnModalIdle()
{
    Impl& impl = *m_pImpl;
    if (!impl.pagesShown)
        return;
    if (!impl.reachedNoted && impl.state.Reached()) {
        impl.reachedNoted = true;
        OnPageHostNote("The page server has been reached with the token");
    }
    // A window that waits for its first page says so instead of waiting
    // silently.
    auto now = std::chrono::steady_clock::now();
    if (!impl.lateNoted && now - impl.started >= impl.firstPageWait && !impl.state.HasDocument()) {
        impl.lateNoted = true;
        OnPageHostNote("No page has loaded yet");
        impl.host->ShowAddressLine(kNoPageYet, impl.address, impl.OpenAgain());
    }
    // An external browser's tab keeps a request open (or repeats one every
    // few seconds); when none has come for the grace period, it is gone.
    if (impl.external && impl.state.PageGone(now, impl.closeGrace))
        SendMessage(WM_CLOSE);
}

BOOL CDHtmlDialog::DestroyWindow()
{
    m_pImpl->Shutdown(static_cast<int>(GetModalResult()));
    return CDialog::DestroyWindow();
}

void DDX_DHtml_ElementInnerText(CDataExchange* pDX, LPCTSTR szId, CString& value)
{
    auto* dialog = dynamic_cast<CDHtmlDialog*>(pDX->m_pDlgWnd);
    if (!dialog)
        return;
    if (pDX->m_bSaveAndValidate)
        dialog->GetElementText(szId, value);
    else
        dialog->SetElementText(szId, value);
}

namespace afx {

std::string DHtmlDialogAccess::WaitForAddress(CDHtmlDialog& dialog, std::chrono::milliseconds timeout)
{
    CDHtmlDialog::Impl& impl = *dialog.m_pImpl;
    std::unique_lock<std::mutex> lock(impl.addressMutex);
    impl.addressKnown.wait_for(lock, timeout, [&] { return !impl.address.empty(); });
    return impl.address;
}

void DHtmlDialogAccess::SetCloseGrace(CDHtmlDialog& dialog, std::chrono::milliseconds grace)
{
    dialog.m_pImpl->closeGrace = grace;
}

void DHtmlDialogAccess::SetFirstPageWait(CDHtmlDialog& dialog, std::chrono::milliseconds wait)
{
    dialog.m_pImpl->firstPageWait = wait;
}

} // namespace afx
