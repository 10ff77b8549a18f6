// CDHtmlDialog with a real browser (headless Chromium): the injected bridge
// reports the load, receives the texts and the bindings, follows the
// dialog's navigation, reports clicks, and its silence after the browser
// ends closes the dialog. Skipped when no Chromium is installed.
#include <afxdhtml.h>

#include "framework/DHtmlTesting.h"

#include "core/testing/TempProfile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using namespace std::chrono_literals;

namespace {

const char kStart[] = "C:\\App\\htm\\Lang0409\\start.htm";
const char kNext[] = "C:\\App\\htm\\Lang0409\\next.htm";

// Presses `button` once the dialog has put a modem name into the page.
std::string autoPage(const char* button)
{
    return std::string("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>page</title></head><body>"
                       "<p id=\"mdmName\">Unknown</p><button id=\"ButtonOK\">OK</button>"
                       "<button id=\"ButtonSpecial\">Done</button><script>"
                       "var timer = setInterval(function () {"
                       "  if (document.getElementById('mdmName').innerText !== 'Unknown') {"
                       "    clearInterval(timer); document.getElementById('") +
           button + "').click(); } }, 50);</script></body></html>";
}

class CBrowserDlg : public CDHtmlDialog {
public:
    CBrowserDlg() : CDHtmlDialog(102U) { m_strCurrentUrl = kStart; }
    void DoDataExchange(CDataExchange* pDX) override { DDX_DHtml_ElementInnerText(pDX, _T("mdmName"), m_strName); }
    void OnDocumentComplete(LPDISPATCH pDisp, LPCTSTR szUrl) override
    {
        m_documents.push_back(szUrl);
        ++m_completed;
        CDHtmlDialog::OnDocumentComplete(pDisp, szUrl);
    }
    CString m_strName = "Modem X";
    std::vector<CString> m_documents;
    std::atomic<int> m_completed{0};

protected:
    HRESULT OnButtonOK(IHTMLElement*)
    {
        m_strName = "Modem Y";
        Navigate(kNext);
        return S_OK;
    }
    HRESULT OnButtonSpecial(IHTMLElement*)
    {
        OnOK();
        return S_OK;
    }
    DECLARE_DHTML_EVENT_MAP()
};

BEGIN_DHTML_EVENT_MAP(CBrowserDlg)
    DHTML_EVENT_ONCLICK(_T("ButtonOK"), OnButtonOK)
    DHTML_EVENT_ONCLICK(_T("ButtonSpecial"), OnButtonSpecial)
END_DHTML_EVENT_MAP()

std::string findChromium()
{
    for (const char* candidate : {"/usr/bin/chromium", "/usr/bin/chromium-browser", "/usr/bin/google-chrome"}) {
        if (std::filesystem::exists(candidate))
            return candidate;
    }
    return "";
}

// A headless browser showing one address; ended with the object.
class Browser {
public:
    Browser(const std::string& binary, const std::string& address, const std::string& profile)
    {
        std::vector<std::string> args = {binary,          "--headless=new", "--no-sandbox",
                                         "--disable-gpu", "--no-first-run",  "--disable-extensions",
                                         "--user-data-dir=" + profile,       address};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Browser() { End(); }
    void End()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
    }
    bool Running() const { return m_pid > 0; }

private:
    pid_t m_pid = 0;
};

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_chromium = findChromium();
        if (m_chromium.empty())
            GTEST_SKIP() << "no Chromium installed";
        ::setenv("RAVLIN_BROWSER", "none", 1);
    }
    std::string m_chromium;
    plat::testing::TempProfile m_profile;
};

} // namespace

TEST_F(BrowserTest, APageDrivesTheDialogToItsEnd)
{
    m_profile.Write("drive_c/App/htm/Lang0409/start.htm", autoPage("ButtonOK"));
    m_profile.Write("drive_c/App/htm/Lang0409/next.htm", autoPage("ButtonSpecial"));
    ASSERT_EQ(m_profile.Load(), "");
    CBrowserDlg dlg;
    auto result = std::async(std::launch::async, [&] { return dlg.DoModal(); });
    std::string address = afx::DHtmlDialogAccess::WaitForAddress(dlg, 5s);
    ASSERT_FALSE(address.empty());
    Browser browser(m_chromium, address, m_profile.Path("chromium"));
    ASSERT_TRUE(browser.Running());
    ASSERT_EQ(result.wait_for(60s), std::future_status::ready) << "the pages never finished";
    EXPECT_EQ(result.get(), IDOK);
    ASSERT_EQ(dlg.m_documents.size(), 2u);
    EXPECT_STREQ(dlg.m_documents[0], kStart);
    EXPECT_STREQ(dlg.m_documents[1], kNext);
    EXPECT_STREQ(dlg.m_strName, "Modem Y") << "OK read the text back from the page";
}

TEST_F(BrowserTest, EndingTheBrowserClosesTheDialog)
{
    m_profile.Write("drive_c/App/htm/Lang0409/start.htm", "<html><body><p id=\"mdmName\">Unknown</p></body></html>");
    ASSERT_EQ(m_profile.Load(), "");
    CBrowserDlg dlg;
    afx::DHtmlDialogAccess::SetCloseGrace(dlg, 1s);
    auto result = std::async(std::launch::async, [&] { return dlg.DoModal(); });
    std::string address = afx::DHtmlDialogAccess::WaitForAddress(dlg, 5s);
    Browser browser(m_chromium, address, m_profile.Path("chromium"));
    auto deadline = std::chrono::steady_clock::now() + 60s;
    while (dlg.m_completed == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    ASSERT_EQ(dlg.m_completed, 1) << "the page never loaded";
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(result.wait_for(0s), std::future_status::timeout) << "the open page keeps the dialog alive";
    auto ended = std::chrono::steady_clock::now();
    browser.End();
    ASSERT_EQ(result.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(result.get(), IDCANCEL);
    RecordProperty("closeNoticedMs", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                          std::chrono::steady_clock::now() - ended)
                                                          .count()));
}
