// CWinThread: the idle loop, thread messages through the message map, and
// the thread's start, suspension and end.
#include <afxwin.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr UINT WM_TEST_STOP = WM_USER + 101;
constexpr UINT WM_TEST_PING = WM_USER + 7;

bool waitUntil(const std::function<bool()>& done, int milliseconds = 5000)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Counts idle calls; stays busy (OnIdle TRUE) for m_busyCalls calls after
// each message, then lets the loop wait.
class CCountingThread : public CWinThread {
    DECLARE_DYNCREATE(CCountingThread)
public:
    CCountingThread() { m_bAutoDelete = FALSE; } // the tests own their objects
    BOOL InitInstance() override
    {
        m_threadIdSeen = GetCurrentThreadId();
        m_threadSeen = AfxGetThread();
        return m_bInit;
    }
    BOOL OnIdle(LONG lCount) override
    {
        m_lastIdleCount = lCount;
        ++m_idleCalls;
        return lCount + 1 < m_busyCalls;
    }
    int ExitInstance() override
    {
        m_exited = true;
        return CWinThread::ExitInstance() + 100;
    }

    std::atomic<LONG> m_lastIdleCount{-1};
    std::atomic<int> m_idleCalls{0};
    std::atomic<int> m_stops{0};
    std::atomic<WPARAM> m_lastW{0};
    std::atomic<LPARAM> m_lastL{0};
    std::atomic<bool> m_exited{false};
    std::atomic<DWORD> m_threadIdSeen{0};
    std::atomic<DWORD> m_handlerThreadId{0};
    CWinThread* m_threadSeen = nullptr;
    LONG m_busyCalls = 5;
    BOOL m_bInit = TRUE;

protected:
    void OnTestStop(WPARAM wParam, LPARAM lParam)
    {
        m_lastW = wParam;
        m_lastL = lParam;
        m_handlerThreadId = GetCurrentThreadId();
        ++m_stops;
    }
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CCountingThread, CWinThread)

BEGIN_MESSAGE_MAP(CCountingThread, CWinThread)
    ON_THREAD_MESSAGE(WM_TEST_STOP, OnTestStop)
END_MESSAGE_MAP()

DWORD exitCodeOf(HANDLE thread)
{
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    return code;
}

} // namespace

TEST(WinThread, IdleRunsUntilFalseThenWaitsForAMessage)
{
    CCountingThread thread;
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(waitUntil([&] { return thread.m_idleCalls == 5; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(thread.m_idleCalls, 5) << "after OnIdle returned FALSE the loop waits";
    EXPECT_EQ(thread.m_lastIdleCount, 4) << "counts run 0..4";

    ASSERT_TRUE(thread.PostThreadMessage(WM_TEST_PING, 0, 0)); // not in the map: idle again
    ASSERT_TRUE(waitUntil([&] { return thread.m_idleCalls == 10; }));
    EXPECT_EQ(thread.m_lastIdleCount, 4) << "the idle count starts again at 0 after a message";

    ASSERT_TRUE(thread.PostThreadMessage(WM_QUIT, 7, 0));
    EXPECT_EQ(exitCodeOf(thread.m_hThread), 107u) << "Run returns ExitInstance, which sees the WM_QUIT code";
    EXPECT_TRUE(thread.m_exited);
}

TEST(WinThread, IdleTrueKeepsCallingAndMessagesGetThrough)
{
    CCountingThread thread;
    thread.m_busyCalls = 1 << 30; // always busy, like a stage machine
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(waitUntil([&] { return thread.m_idleCalls > 1000; }));

    ASSERT_TRUE(thread.PostThreadMessage(WM_TEST_STOP, 11, 22));
    ASSERT_TRUE(waitUntil([&] { return thread.m_stops == 1; }));
    EXPECT_EQ(thread.m_lastW, 11u);
    EXPECT_EQ(thread.m_lastL, 22);
    EXPECT_EQ(thread.m_handlerThreadId, thread.m_nThreadID) << "handlers run on the thread itself";

    int before = thread.m_idleCalls;
    ASSERT_TRUE(waitUntil([&] { return thread.m_idleCalls > before + 1000; })) << "idle continues after the message";
    ::PostThreadMessage(thread.m_nThreadID, WM_QUIT, 0, 0);
    EXPECT_EQ(exitCodeOf(thread.m_hThread), 100u);
}

TEST(WinThread, StartsWithItsIdentityFilledIn)
{
    CCountingThread thread;
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(waitUntil([&] { return thread.m_idleCalls > 0; }));
    EXPECT_NE(thread.m_nThreadID, 0u);
    EXPECT_NE(thread.m_hThread, nullptr);
    EXPECT_EQ(thread.m_threadIdSeen, thread.m_nThreadID);
    EXPECT_EQ(thread.m_threadSeen, &thread) << "AfxGetThread on the thread is the object";
    EXPECT_EQ(AfxGetThread(), nullptr) << "the test's own thread has no CWinThread";
    thread.PostThreadMessage(WM_QUIT, 0, 0);
    exitCodeOf(thread.m_hThread);
}

TEST(WinThread, FailedInitInstanceSkipsTheLoop)
{
    CCountingThread thread;
    thread.m_bInit = FALSE;
    ASSERT_TRUE(thread.CreateThread());
    EXPECT_EQ(exitCodeOf(thread.m_hThread), 100u);
    EXPECT_EQ(thread.m_idleCalls, 0);
    EXPECT_TRUE(thread.m_exited);
}

TEST(WinThread, CreateSuspendedHoldsTheThreadUntilResumed)
{
    CCountingThread thread;
    ASSERT_TRUE(thread.CreateThread(CREATE_SUSPENDED));
    ASSERT_TRUE(thread.PostThreadMessage(WM_TEST_STOP, 1, 2)) << "the queue exists before the thread runs";
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(thread.m_idleCalls, 0);
    EXPECT_EQ(thread.m_threadIdSeen, 0u);
    EXPECT_EQ(thread.ResumeThread(), 1u);
    ASSERT_TRUE(waitUntil([&] { return thread.m_stops == 1; })) << "the early message is delivered";
    thread.PostThreadMessage(WM_QUIT, 0, 0);
    exitCodeOf(thread.m_hThread);
}

namespace {

// Suspends itself from its idle handler when it has nothing to do, as the
// test engine does between runs.
class CSelfSuspendingThread : public CWinThread {
public:
    CSelfSuspendingThread() { m_bAutoDelete = FALSE; }
    BOOL InitInstance() override { return TRUE; }
    BOOL OnIdle(LONG) override
    {
        if (m_quit)
            ::PostQuitMessage(0);
        else if (m_work > 0)
            --m_work, ++m_done;
        else {
            ++m_suspends;
            SuspendThread();
        }
        return TRUE;
    }
    std::atomic<int> m_suspends{0};
    std::atomic<int> m_work{0};
    std::atomic<int> m_done{0};
    std::atomic<bool> m_quit{false};
};

} // namespace

TEST(WinThread, SuspendsItselfAndIsResumedFromOutside)
{
    CSelfSuspendingThread thread;
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(waitUntil([&] { return thread.m_suspends == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(thread.m_done, 0);
    thread.m_work = 3;
    EXPECT_EQ(thread.ResumeThread(), 1u) << "the thread had suspended itself";
    ASSERT_TRUE(waitUntil([&] { return thread.m_done == 3; }));
    ASSERT_TRUE(waitUntil([&] { return thread.m_suspends == 2; })) << "and suspends again when the work is done";

    thread.m_quit = true;
    ASSERT_TRUE(waitUntil([&] {
        thread.ResumeThread(); // a resume that finds it still running changes nothing
        return WaitForSingleObject(thread.m_hThread, 10) == WAIT_OBJECT_0;
    }));
}

namespace {

// Tells when its object is destroyed, on which thread.
class CReportingThread : public CWinThread {
public:
    explicit CReportingThread(std::atomic<DWORD>* destroyedOn) : m_destroyedOn(destroyedOn) {}
    ~CReportingThread() override { *m_destroyedOn = GetCurrentThreadId(); }
    BOOL InitInstance() override { return FALSE; } // ends at once
    std::atomic<DWORD>* m_destroyedOn;
};

} // namespace

TEST(WinThread, TheObjectIsDeletedAsItsThreadEndsUnlessAutoDeleteIsCleared)
{
    std::atomic<DWORD> destroyedOn{0};
    auto* owned = new CReportingThread(&destroyedOn);
    EXPECT_TRUE(owned->m_bAutoDelete) << "set by default";
    // Held until its id is read: once running, the thread may delete the
    // object at any moment.
    ASSERT_TRUE(owned->CreateThread(CREATE_SUSPENDED));
    DWORD threadId = owned->m_nThreadID;
    owned->ResumeThread();
    // The handle belongs to the object and is closed with it.
    ASSERT_TRUE(waitUntil([&] { return destroyedOn != 0u; }));
    EXPECT_EQ(destroyedOn, threadId) << "the thread deletes its own object";

    std::atomic<DWORD> keptDestroyedOn{0};
    {
        CReportingThread kept(&keptDestroyedOn);
        kept.m_bAutoDelete = FALSE;
        ASSERT_TRUE(kept.CreateThread());
        EXPECT_EQ(WaitForSingleObject(kept.m_hThread, 5000), WAIT_OBJECT_0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(keptDestroyedOn, 0u) << "a cleared m_bAutoDelete leaves the object to its owner";
    }
    EXPECT_EQ(keptDestroyedOn, GetCurrentThreadId());
}

namespace {

struct QueueProbe {
    HANDLE makeQueue;
    HANDLE queueMade;
    std::atomic<UINT> firstMessage{0};
};

// Waits without touching messages, then makes its queue and reports the
// first message it finds there.
DWORD WINAPI lateQueueThread(LPVOID param)
{
    auto* probe = static_cast<QueueProbe*>(param);
    WaitForSingleObject(probe->makeQueue, INFINITE);
    MSG msg;
    PeekMessageA(&msg, NULL, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(probe->queueMade);
    if (GetMessageA(&msg, NULL, 0, 0))
        probe->firstMessage = msg.message;
    return 0;
}

} // namespace

TEST(WinThread, PostingToAThreadWithoutAQueueFailsAndTheMessageIsLost)
{
    QueueProbe probe;
    probe.makeQueue = CreateEventA(NULL, TRUE, FALSE, NULL);
    probe.queueMade = CreateEventA(NULL, TRUE, FALSE, NULL);
    DWORD id = 0;
    HANDLE thread = ::CreateThread(NULL, 0, lateQueueThread, &probe, 0, &id);
    ASSERT_NE(thread, nullptr);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(::PostThreadMessageA(id, WM_TEST_PING, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));

    SetEvent(probe.makeQueue);
    ASSERT_EQ(WaitForSingleObject(probe.queueMade, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(::PostThreadMessageA(id, WM_TEST_STOP, 0, 0));
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(probe.firstMessage, WM_TEST_STOP) << "the message posted before the queue existed is gone";
    CloseHandle(thread);
    CloseHandle(probe.makeQueue);
    CloseHandle(probe.queueMade);
}

TEST(WinThread, CreateThreadReturnsOnceTheQueueExists)
{
    for (int i = 0; i < 20; ++i) {
        CCountingThread thread;
        thread.m_busyCalls = 0;
        ASSERT_TRUE(thread.CreateThread());
        EXPECT_TRUE(thread.PostThreadMessage(WM_TEST_STOP, static_cast<WPARAM>(i), 0)) << "start " << i;
        ASSERT_TRUE(waitUntil([&] { return thread.m_stops == 1; }));
        thread.PostThreadMessage(WM_QUIT, 0, 0);
        exitCodeOf(thread.m_hThread);
    }
}

TEST(WinThread, RuntimeClassAndDynamicCreation)
{
    EXPECT_STREQ(RUNTIME_CLASS(CCountingThread)->m_lpszClassName, "CCountingThread");
    EXPECT_TRUE(RUNTIME_CLASS(CCountingThread)->IsDerivedFrom(RUNTIME_CLASS(CWinThread)));
    EXPECT_TRUE(RUNTIME_CLASS(CCountingThread)->IsDerivedFrom(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(RUNTIME_CLASS(CWinThread)->IsDerivedFrom(RUNTIME_CLASS(CCountingThread)));
    std::unique_ptr<CObject> made(RUNTIME_CLASS(CCountingThread)->CreateObject());
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CWinThread)));
    EXPECT_EQ(RUNTIME_CLASS(CWinThread)->CreateObject(), nullptr) << "only DYNCREATE classes can be made";
}
