// user32 messages: posting to windows and threads, reading with filters,
// and windows whose messages are handled on the thread that created them.
#include <afxwin.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr UINT WM_TEST_RESULT = WM_USER + 100;

class CRecordingWnd : public CWnd {
public:
    struct Call {
        UINT message;
        WPARAM wParam;
        DWORD threadId;
    };
    std::vector<Call> m_calls;
    int m_closes = 0;

protected:
    LRESULT OnTestResult(WPARAM wParam, LPARAM lParam)
    {
        m_calls.push_back({WM_TEST_RESULT, wParam, GetCurrentThreadId()});
        return lParam + 1;
    }
    void OnClose()
    {
        ++m_closes;
        CWnd::OnClose();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingWnd, CWnd)
    ON_MESSAGE(WM_TEST_RESULT, OnTestResult)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

// Dispatches every message that is already queued for the calling thread.
int pumpPending()
{
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
        ++count;
    }
    return count;
}

} // namespace

TEST(Messages, PostedFromOtherThreadsRunOnTheWindowsThreadInOrder)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateMessageWindow());
    HWND hwnd = wnd.m_hWnd;
    std::vector<std::thread> posters;
    for (int t = 0; t < 3; ++t) {
        posters.emplace_back([hwnd, t] {
            for (int i = 0; i < 50; ++i)
                EXPECT_TRUE(PostMessageA(hwnd, WM_TEST_RESULT, static_cast<WPARAM>(t * 1000 + i), 0));
        });
    }
    for (auto& p : posters)
        p.join();
    EXPECT_EQ(pumpPending(), 150);
    ASSERT_EQ(wnd.m_calls.size(), 150u);
    int next[3] = {0, 0, 0};
    for (const auto& call : wnd.m_calls) {
        EXPECT_EQ(call.threadId, GetCurrentThreadId());
        int t = static_cast<int>(call.wParam / 1000);
        EXPECT_EQ(static_cast<int>(call.wParam % 1000), next[t]++) << "one poster's messages keep their order";
    }
}

TEST(Messages, WindowOfAnotherThreadGetsItsMessagesThere)
{
    std::atomic<HWND> hwnd{NULL};
    std::atomic<DWORD> ownerId{0};
    std::atomic<bool> stop{false};
    CRecordingWnd wnd;
    std::thread owner([&] {
        wnd.CreateMessageWindow();
        ownerId = GetCurrentThreadId();
        hwnd = wnd.m_hWnd;
        MSG msg;
        while (GetMessageA(&msg, NULL, 0, 0))
            DispatchMessageA(&msg);
        stop = true;
    });
    while (!hwnd)
        std::this_thread::yield();
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), ownerId.load());
    EXPECT_TRUE(wnd.PostMessage(WM_TEST_RESULT, 5, 0));
    EXPECT_TRUE(PostThreadMessageA(ownerId, WM_QUIT, 0, 0));
    owner.join();
    ASSERT_EQ(wnd.m_calls.size(), 1u);
    EXPECT_EQ(wnd.m_calls[0].threadId, ownerId.load());
    EXPECT_EQ(pumpPending(), 0) << "nothing landed in the poster's queue";
}

TEST(Messages, ConformanceOfFailures)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateMessageWindow());
    HWND gone = wnd.m_hWnd;
    ASSERT_TRUE(wnd.DestroyWindow());

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(PostMessageA(gone, WM_TEST_RESULT, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(PostThreadMessageA(0, WM_TEST_RESULT, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_FALSE(ShowWindow(gone, SW_SHOW));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    MSG msg;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetMessageA(&msg, gone, 0, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    SetLastError(0xdeadbeef);
    EXPECT_TRUE(PostMessageA(NULL, WM_TEST_RESULT, 1, 2)) << "no window: a thread message to the caller";
    EXPECT_EQ(GetLastError(), 0xdeadbeefu) << "success leaves the last error alone";
    ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, 1u);
}

TEST(Messages, PeekFiltersAndQuitComesLast)
{
    CRecordingWnd a, b;
    ASSERT_TRUE(a.CreateMessageWindow());
    ASSERT_TRUE(b.CreateMessageWindow());
    PostQuitMessage(3);
    a.PostMessage(WM_USER + 1);
    b.PostMessage(WM_USER + 2);
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 3, 0, 0);

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, b.m_hWnd, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER + 2u);
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 3u) << "(HWND)-1 reads thread messages only";
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, b.m_hWnd);
    EXPECT_FALSE(PeekMessageA(&msg, NULL, WM_USER + 5, WM_USER + 9, PM_REMOVE));

    EXPECT_EQ(GetMessageA(&msg, NULL, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_USER + 1u) << "posted messages come before the quit";
    EXPECT_EQ(GetMessageA(&msg, NULL, 0, 0), FALSE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) << "the quit is reported once";
}

TEST(Messages, SendRunsAtOnceOnTheOwnerThreadOnly)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateMessageWindow());
    EXPECT_EQ(wnd.SendMessage(WM_TEST_RESULT, 9, 41), 42);
    ASSERT_EQ(wnd.m_calls.size(), 1u);

    HWND hwnd = wnd.m_hWnd;
    std::thread other([hwnd] {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(SendMessageA(hwnd, WM_TEST_RESULT, 1, 1), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    });
    other.join();
    EXPECT_EQ(wnd.m_calls.size(), 1u);
}

TEST(Messages, DefaultHandlingOfIconsAndClose)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateMessageWindow());
    HICON icon = reinterpret_cast<HICON>(0x1234);
    EXPECT_EQ(wnd.SetIcon(icon, TRUE), nullptr);
    EXPECT_EQ(wnd.SetIcon(icon, FALSE), nullptr);
    EXPECT_EQ(wnd.SetIcon(NULL, TRUE), icon) << "WM_SETICON answers the previous icon";
    EXPECT_EQ(wnd.GetIcon(FALSE), icon);

    EXPECT_FALSE(wnd.ShowWindow(SW_MAXIMIZE));
    EXPECT_TRUE(wnd.ShowWindow(SW_SHOW)) << "visible before";
    EXPECT_EQ(wnd.GetShowCmd(), SW_SHOW);

    HWND hwnd = wnd.m_hWnd;
    wnd.PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    wnd.PostMessage(WM_TEST_RESULT, 1, 0);
    pumpPending();
    EXPECT_EQ(wnd.m_closes, 1) << "SC_CLOSE becomes WM_CLOSE";
    EXPECT_EQ(wnd.m_hWnd, nullptr) << "and the default close destroys the window";
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(wnd.m_calls.size(), 1u);
}
