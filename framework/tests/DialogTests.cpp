// CDialog's modal loop (ending on OK, Cancel and close, pumping the thread's
// own messages, leaving WM_QUIT to the outer loop) and the application
// object's start.
#include <afxwin.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr UINT WM_TEST_RESULT = WM_USER + 100;
constexpr UINT WM_APP_PING = WM_USER + 200;

class CPlainDlg : public CDialog {
public:
    CPlainDlg() : CDialog(102U) {}
    void DoDataExchange(CDataExchange* pDX) override
    {
        (pDX->m_bSaveAndValidate ? m_saves : m_loads)++;
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_hwnd = m_hWnd;
        return TRUE;
    }
    void OnModalIdle() override { ++m_idles; }

    std::atomic<HWND> m_hwnd{NULL};
    std::atomic<int> m_saves{0};
    std::atomic<int> m_loads{0};
    std::atomic<int> m_idles{0};
    std::atomic<int> m_results{0};

protected:
    LRESULT OnTestResult(WPARAM, LPARAM)
    {
        ++m_results;
        if (m_results == 2)
            EndDialog(77);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPlainDlg, CDialog)
    ON_MESSAGE(WM_TEST_RESULT, OnTestResult)
END_MESSAGE_MAP()

HWND waitForWindow(CPlainDlg& dlg)
{
    while (!dlg.m_hwnd)
        std::this_thread::yield();
    return dlg.m_hwnd;
}

} // namespace

TEST(Dialog, EndsOnOkCancelCloseAndByItsHandlers)
{
    struct Case {
        UINT message;
        WPARAM wParam;
        INT_PTR result;
        int saves;
    } cases[] = {
        {WM_COMMAND, IDOK, IDOK, 1},             // OK reads the data back first
        {WM_COMMAND, IDCANCEL, IDCANCEL, 0},
        {WM_CLOSE, 0, IDCANCEL, 0},              // the close box is Cancel
        {WM_SYSCOMMAND, SC_CLOSE, IDCANCEL, 0},
        {WM_TEST_RESULT, 0, 77, 0},              // a handler calls EndDialog (on the 2nd)
    };
    for (const Case& c : cases) {
        CPlainDlg dlg;
        INT_PTR result = 0;
        std::thread ui([&] { result = dlg.DoModal(); });
        HWND hwnd = waitForWindow(dlg);
        EXPECT_TRUE(PostMessageA(hwnd, c.message, c.wParam, 0));
        if (c.message == WM_TEST_RESULT) {
            EXPECT_TRUE(PostMessageA(hwnd, c.message, c.wParam, 0));
        }
        ui.join();
        EXPECT_EQ(result, c.result) << "message " << c.message;
        EXPECT_EQ(dlg.m_saves, c.saves);
        EXPECT_EQ(dlg.m_loads, 1) << "OnInitDialog pushes the data once";
        EXPECT_FALSE(IsWindow(hwnd)) << "the window is gone when DoModal returns";
    }
}

TEST(Dialog, IdleHookRunsWhileNothingArrives)
{
    CPlainDlg dlg;
    INT_PTR result = 0;
    std::thread ui([&] { result = dlg.DoModal(); });
    HWND hwnd = waitForWindow(dlg);
    while (dlg.m_idles < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    ui.join();
    EXPECT_EQ(result, IDCANCEL);
}

namespace {

// A user-interface thread that runs a dialog from InitInstance, as the
// application object does.
class CUiThread : public CWinThread {
public:
    CUiThread() { m_bAutoDelete = FALSE; }
    BOOL InitInstance() override
    {
        m_result = m_dlg.DoModal();
        MSG msg;
        m_quitLeft = PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        return FALSE;
    }
    CPlainDlg m_dlg;
    std::atomic<INT_PTR> m_result{0};
    std::atomic<int> m_pings{0};
    std::atomic<DWORD> m_pingThread{0};
    std::atomic<bool> m_quitLeft{false};

protected:
    void OnPing(WPARAM, LPARAM)
    {
        ++m_pings;
        m_pingThread = GetCurrentThreadId();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CUiThread, CWinThread)
    ON_THREAD_MESSAGE(WM_APP_PING, OnPing)
END_MESSAGE_MAP()

} // namespace

TEST(Dialog, ModalLoopDeliversTheThreadsOwnMessages)
{
    CUiThread thread;
    ASSERT_TRUE(thread.CreateThread());
    HWND hwnd = waitForWindow(thread.m_dlg);
    EXPECT_TRUE(thread.PostThreadMessage(WM_APP_PING, 0, 0));
    while (thread.m_pings == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(thread.m_pingThread, thread.m_nThreadID);
    PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForSingleObject(thread.m_hThread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(thread.m_result, IDOK);
    EXPECT_FALSE(thread.m_quitLeft);
}

TEST(Dialog, QuitEndsTheModalLoopAndStaysForTheOuterLoop)
{
    CUiThread thread;
    ASSERT_TRUE(thread.CreateThread());
    waitForWindow(thread.m_dlg);
    EXPECT_TRUE(thread.PostThreadMessage(WM_QUIT, 4, 0));
    EXPECT_EQ(WaitForSingleObject(thread.m_hThread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(thread.m_result, -1);
    EXPECT_TRUE(thread.m_quitLeft);
}

namespace {

class CTestApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        CWinApp::InitInstance();
        SetRegistryKey(_T("Local AppWizard-Generated Applications"));
        m_sawSelf = AfxGetApp() == this && AfxGetThread() == this && m_nThreadID == GetCurrentThreadId();
        return m_bRunLoop;
    }
    int ExitInstance() override { return 5; }
    BOOL m_bRunLoop = FALSE;
    bool m_sawSelf = false;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

} // namespace

TEST(WinApp, RunsInitInstanceThenExitsOrRuns)
{
    for (BOOL runLoop : {FALSE, TRUE}) {
        CTestApp app;
        app.m_bRunLoop = runLoop;
        EXPECT_EQ(AfxWinMain(&app), 5) << "without a main window Run ends at once too";
        EXPECT_TRUE(app.m_sawSelf);
        EXPECT_STREQ(app.m_pszRegistryKey, "Local AppWizard-Generated Applications");
        EXPECT_EQ(AfxGetThread(), nullptr);
        EXPECT_TRUE(app.OnCmdMsg(ID_HELP)) << "the help command is mapped";
        EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1));
    }
    EXPECT_EQ(AfxGetApp(), nullptr) << "the application object is gone";
}
