// CDHtmlDialog driven through its page bridge, as a browser (or a script)
// would: documents complete and get their texts (DDX) and click bindings,
// clicks reach the handlers on the dialog's thread, posted messages from
// other threads reach the dialog, and the modal loop ends on OK, on Cancel
// and when the page goes away.
#include <afxdhtml.h>

#include "framework/DHtmlTesting.h"

#include "core/testing/TempProfile.h"

#include "TestHttpClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using nlohmann::json;

namespace {

constexpr UINT WM_TEST_RESULT = WM_USER + 100;
const char kStart[] = "C:\\App\\htm\\Lang0409\\start.htm";
const char kNext[] = "C:\\App\\htm\\Lang0409\\next.htm";

class CTestDlg : public CDHtmlDialog {
public:
    CTestDlg() : CDHtmlDialog(102U)
    {
        m_nHtmlResID = 0;
        m_strCurrentUrl = kStart;
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDHtmlDialog::DoDataExchange(pDX);
        DDX_DHtml_ElementInnerText(pDX, _T("mdmName"), m_strModemName);
        DDX_DHtml_ElementInnerText(pDX, _T("mdmCountry"), m_strCountry);
    }
    void OnDocumentComplete(LPDISPATCH pDisp, LPCTSTR szUrl) override
    {
        m_documents.push_back(szUrl);
        CDHtmlDialog::OnDocumentComplete(pDisp, szUrl);
    }

    void OnPageHostNote(LPCTSTR szNote) override { m_notes.push_back(szNote); }

    CString m_strModemName = "Modem X";
    CString m_strCountry = "Generic";
    std::vector<CString> m_documents;
    std::vector<std::string> m_notes; // read once the dialog has ended
    std::atomic<int> m_oks{0};
    std::atomic<DWORD> m_handlerThread{0};

protected:
    HRESULT OnButtonOK(IHTMLElement*)
    {
        ++m_oks;
        m_handlerThread = GetCurrentThreadId();
        Navigate(kNext);
        return S_OK;
    }
    HRESULT OnButtonCancel(IHTMLElement*)
    {
        OnCancel();
        return S_OK;
    }
    HRESULT OnButtonSpecial(IHTMLElement*)
    {
        OnOK();
        return S_FALSE;
    }
    LRESULT OnTestResult(WPARAM wParam, LPARAM)
    {
        m_handlerThread = GetCurrentThreadId();
        m_strModemName.Format("result %d", static_cast<int>(wParam));
        UpdateData(FALSE);
        return 0;
    }
    DECLARE_DHTML_EVENT_MAP()
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDlg, CDHtmlDialog)
    ON_MESSAGE(WM_TEST_RESULT, OnTestResult)
END_MESSAGE_MAP()

BEGIN_DHTML_EVENT_MAP(CTestDlg)
    DHTML_EVENT_ONCLICK(_T("ButtonOK"), OnButtonOK)
    DHTML_EVENT_ONCLICK(_T("ButtonCancel"), OnButtonCancel)
    DHTML_EVENT_ONCLICK(_T("ButtonSpecial"), OnButtonSpecial)
END_DHTML_EVENT_MAP()

// Plays the browser's part over HTTP.
class Page {
public:
    explicit Page(const std::string& address)
    {
        size_t portAt = address.find(':', 7) + 1;
        m_port = std::stoi(address.substr(portAt));
        auto entry = Send("GET", address.substr(address.find('/', portAt)), {});
        if (entry && entry->status == 303) {
            m_location = entry->get_header_value("Location");
            std::string cookie = entry->get_header_value("Set-Cookie");
            m_headers = {{"Cookie", cookie.substr(0, cookie.find(';'))}};
        }
    }
    const std::string& Location() const { return m_location; }

    std::pair<int, json> Post(const char* path, const json& body)
    {
        auto result = Send("POST", path, m_headers, body.dump(), "application/json");
        if (!result)
            return {0, json()};
        return {result->status, json::parse(result->body, nullptr, false)};
    }
    json State() { return Get("/bridge/state"); }
    std::optional<afx::bridge::testing::HttpReply> Raw(const char* path) { return Send("GET", path, m_headers); }
    json Poll(uint64_t since, int waitMs)
    {
        return Get("/bridge/events?since=" + std::to_string(since) + "&wait=" + std::to_string(waitMs));
    }

private:
    json Get(const std::string& path)
    {
        auto result = Send("GET", path, m_headers);
        return result ? json::parse(result->body, nullptr, false) : json();
    }
    std::optional<afx::bridge::testing::HttpReply> Send(const std::string& method, const std::string& path,
                                                     afx::bridge::HttpHeaders headers, const std::string& body = "",
                                                     const std::string& type = "")
    {
        return afx::bridge::testing::SendHttp("127.0.0.1", m_port, method, path, std::move(headers), body, type);
    }
    int m_port = 0;
    afx::bridge::HttpHeaders m_headers;
    std::string m_location;
};

const json kStartTexts = {{"mdmName", "Unknown"}, {"ButtonOK", "Start"}, {"ButtonCancel", "Exit"}};
const json kNextTexts = {{"mdmName", "Unknown"}, {"mdmCountry", ""}, {"ButtonOK", "Again"},
                         {"ButtonCancel", "Exit"}, {"ButtonSpecial", "Done"}};

class DHtmlDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("RAVLIN_BROWSER", "none", 1);
        m_profile.Write("drive_c/App/htm/Lang0409/start.htm", "<html><body>start</body></html>");
        m_profile.Write("drive_c/App/htm/Lang0409/next.htm", "<html><body>next</body></html>");
        ASSERT_EQ(m_profile.Load(), "");
    }
    // Runs the dialog on a thread of its own and opens its first page.
    void Open(std::chrono::milliseconds closeGrace = 5s, const char* firstPage = "/Lang0409/start.htm")
    {
        afx::DHtmlDialogAccess::SetCloseGrace(m_dlg, closeGrace);
        m_result = std::async(std::launch::async, [this] {
            m_dialogThread = GetCurrentThreadId();
            return m_dlg.DoModal();
        });
        std::string address = afx::DHtmlDialogAccess::WaitForAddress(m_dlg, 5s);
        ASSERT_FALSE(address.empty());
        m_page = std::make_unique<Page>(address);
        ASSERT_EQ(m_page->Location(), firstPage);
    }
    INT_PTR Result(std::chrono::seconds within = 5s)
    {
        if (m_result.wait_for(within) != std::future_status::ready)
            return -99;
        return m_result.get();
    }

    plat::testing::TempProfile m_profile;
    CTestDlg m_dlg;
    std::future<INT_PTR> m_result;
    std::atomic<DWORD> m_dialogThread{0};
    std::unique_ptr<Page> m_page;
};

} // namespace

TEST_F(DHtmlDialogTest, DocumentCompleteBindsPresentIdsAndPushesTexts)
{
    Open();
    auto [status, loaded] = m_page->Post("/bridge/loaded", {{"url", "/Lang0409/start.htm"}, {"texts", kStartTexts}});
    EXPECT_EQ(status, 200);
    EXPECT_TRUE(loaded["accepted"]);
    const json& state = loaded["state"];
    EXPECT_EQ(state["bound"], json({"ButtonCancel", "ButtonOK"})) << "ButtonSpecial is not on this page";
    EXPECT_EQ(state["updates"], json({{"mdmName", "Modem X"}})) << "mdmCountry is not on this page";
    EXPECT_FALSE(state["pending"]);
    EXPECT_FALSE(state["scroll"]) << "the default host flags keep pages from scrolling";

    auto [refused, body] = m_page->Post("/bridge/click", {{"id", "ButtonSpecial"}});
    EXPECT_EQ(refused, 409) << body.dump();
    auto [cancelled, reply] = m_page->Post("/bridge/click", {{"id", "ButtonCancel"}});
    EXPECT_EQ(cancelled, 200);
    EXPECT_EQ(Result(), IDCANCEL);
    ASSERT_EQ(m_dlg.m_documents.size(), 1u);
    EXPECT_STREQ(m_dlg.m_documents[0], kStart);
    EXPECT_STREQ(m_dlg.m_strCurrentUrl, kStart);
}

TEST_F(DHtmlDialogTest, ClicksRunOnTheDialogThreadAndNavigationLeavesOldPagesBehind)
{
    Open();
    m_page->Post("/bridge/loaded", {{"url", "/Lang0409/start.htm"}, {"texts", kStartTexts}});
    auto [status, clicked] = m_page->Post("/bridge/click", {{"id", "ButtonOK"}, {"doc", 1}});
    EXPECT_EQ(status, 200);
    EXPECT_EQ(clicked["result"], S_OK);
    EXPECT_EQ(clicked["state"]["url"], "/Lang0409/next.htm");
    EXPECT_TRUE(clicked["state"]["pending"]);
    EXPECT_EQ(m_dlg.m_handlerThread, m_dialogThread);

    EXPECT_EQ(m_page->Post("/bridge/click", {{"id", "ButtonOK"}}).first, 409) << "no clicks while navigating";
    auto [staleStatus, stale] = m_page->Post("/bridge/loaded", {{"url", "/Lang0409/start.htm"}});
    EXPECT_FALSE(stale["accepted"]) << "the old page reloading is left behind";
    auto [nextStatus, next] = m_page->Post("/bridge/loaded", {{"url", "/Lang0409/NEXT.htm"}, {"texts", kNextTexts}});
    EXPECT_TRUE(next["accepted"]);
    EXPECT_EQ(next["doc"], 2);
    EXPECT_EQ(next["state"]["updates"], json({{"mdmCountry", "Generic"}, {"mdmName", "Modem X"}}));
    EXPECT_EQ(m_page->Post("/bridge/click", {{"id", "ButtonOK"}, {"doc", 1}}).first, 409) << "a click from the old page";
    EXPECT_EQ(m_dlg.m_oks, 1);

    m_page->Post("/bridge/click", {{"id", "ButtonCancel"}});
    EXPECT_EQ(Result(), IDCANCEL);
    EXPECT_STREQ(m_dlg.m_strCurrentUrl, "C:\\App\\htm\\Lang0409\\NEXT.htm");
}

TEST_F(DHtmlDialogTest, OkReadsThePagesTextsBack)
{
    m_dlg.m_strCurrentUrl = kNext;
    Open(5s, "/Lang0409/next.htm");
    m_page->Post("/bridge/loaded", {{"url", "/Lang0409/next.htm"}, {"texts", kNextTexts}});
    auto [status, reply] =
        m_page->Post("/bridge/click", {{"id", "ButtonSpecial"}, {"texts", {{"mdmName", "Typed on the page"}}}});
    EXPECT_EQ(status, 200);
    EXPECT_EQ(reply["result"], S_FALSE);
    EXPECT_EQ(Result(), IDOK);
    EXPECT_STREQ(m_dlg.m_strModemName, "Typed on the page");
    EXPECT_STREQ(m_dlg.m_strCountry, "Generic") << "the page's last text for it was what the dialog set";
}

TEST_F(DHtmlDialogTest, MessagesPostedByAnotherThreadReachTheDialog)
{
    Open();
    auto [status, loaded] = m_page->Post("/bridge/loaded", {{"url", "/Lang0409/start.htm"}, {"texts", kStartTexts}});
    uint64_t version = loaded["state"]["version"];
    std::thread engine([this] { EXPECT_TRUE(::PostMessage(m_dlg.m_hWnd, WM_TEST_RESULT, 3, 0)); });
    engine.join();
    json state = m_page->Poll(version, 5000);
    EXPECT_EQ(state["updates"]["mdmName"], "result 3");
    EXPECT_EQ(m_dlg.m_handlerThread, m_dialogThread);
    m_page->Post("/bridge/click", {{"id", "ButtonCancel"}});
    EXPECT_EQ(Result(), IDCANCEL);
}

TEST_F(DHtmlDialogTest, TextsPushedBeforeTheDocumentLoadsArriveWithIt)
{
    Open();
    std::thread engine([this] { ::PostMessage(m_dlg.m_hWnd, WM_TEST_RESULT, 1, 0); });
    engine.join();
    while (m_dlg.m_handlerThread == 0)
        std::this_thread::sleep_for(1ms);
    auto [status, loaded] = m_page->Post("/bridge/loaded", {{"url", "/Lang0409/start.htm"}, {"texts", kStartTexts}});
    EXPECT_EQ(loaded["state"]["updates"]["mdmName"], "result 1");
    m_page->Post("/bridge/click", {{"id", "ButtonCancel"}});
    EXPECT_EQ(Result(), IDCANCEL);
}

TEST_F(DHtmlDialogTest, TheDialogEndsWhenThePageHasGone)
{
    Open(300ms);
    std::this_thread::sleep_for(600ms);
    EXPECT_EQ(m_result.wait_for(0ms), std::future_status::timeout) << "no page has loaded yet";
    m_page->Post("/bridge/loaded", {{"url", "/Lang0409/start.htm"}, {"texts", kStartTexts}});
    // A poll longer than the grace period keeps the dialog alive while it lasts.
    json state = m_page->Poll(1u << 30, 800);
    EXPECT_FALSE(state["ended"]);
    EXPECT_EQ(m_result.wait_for(0ms), std::future_status::timeout);
    EXPECT_EQ(Result(), IDCANCEL) << "then nothing: the tab was closed";
}

TEST_F(DHtmlDialogTest, TheDialogNotesHowItsPagesAreShownAndAFirstPageThatIsLate)
{
    afx::DHtmlDialogAccess::SetFirstPageWait(m_dlg, 200ms);
    Open(300ms);
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(m_result.wait_for(0ms), std::future_status::timeout)
        << "a late first page is said, and the dialog still waits for it";
    std::thread closer([this] { ::PostMessage(m_dlg.m_hWnd, WM_CLOSE, 0, 0); });
    closer.join();
    EXPECT_EQ(Result(), IDCANCEL) << "closing the window is Cancel";
    EXPECT_EQ(m_dlg.m_notes, (std::vector<std::string>{"Pages shown by RAVLIN_BROWSER: none",
                                                       "The page server has been reached with the token",
                                                       "No page has loaded yet"}));
}

TEST_F(DHtmlDialogTest, APageThatLoadsInTimeIsNotLate)
{
    afx::DHtmlDialogAccess::SetFirstPageWait(m_dlg, 300ms);
    Open();
    m_page->Post("/bridge/loaded", {{"url", "/Lang0409/start.htm"}, {"texts", kStartTexts}});
    std::this_thread::sleep_for(500ms);
    m_page->Post("/bridge/click", {{"id", "ButtonCancel"}});
    EXPECT_EQ(Result(), IDCANCEL);
    EXPECT_EQ(std::count(m_dlg.m_notes.begin(), m_dlg.m_notes.end(), "No page has loaded yet"), 0);
}

TEST_F(DHtmlDialogTest, WaitingPagesLearnThatTheDialogEnded)
{
    Open();
    m_page->Post("/bridge/loaded", {{"url", "/Lang0409/start.htm"}, {"texts", kStartTexts}});
    std::string address = afx::DHtmlDialogAccess::WaitForAddress(m_dlg, 1s);
    auto poll = std::async(std::launch::async, [&] {
        Page other(address);
        return other.Poll(1u << 30, 10000);
    });
    std::this_thread::sleep_for(100ms);
    m_page->Post("/bridge/click", {{"id", "ButtonCancel"}});
    EXPECT_EQ(Result(), IDCANCEL);
    json last = poll.get();
    EXPECT_TRUE(last["ended"]);
    EXPECT_EQ(last["result"], IDCANCEL);
}

TEST_F(DHtmlDialogTest, TheTemplateCaptionAndMainIconDressThePage)
{
    Open();
    json state = m_page->State();
    EXPECT_EQ(state["caption"], "Modem Diagnostic Tool");
    auto icon = m_page->Raw("/favicon.ico");
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->status, 200);
    EXPECT_EQ(icon->get_header_value("Content-Type"), "image/x-icon");
    std::ifstream file(RAVLIN_SOURCE_DIR "/framework/tests/DialogIcon.ico", std::ios::binary);
    std::string original((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(icon->body, original) << "the icon group and its image make the same .ico file again";
    m_page->Post("/bridge/loaded", {{"url", "/Lang0409/start.htm"}, {"texts", kStartTexts}});
    m_page->Post("/bridge/click", {{"id", "ButtonCancel"}});
    EXPECT_EQ(Result(), IDCANCEL);
}
