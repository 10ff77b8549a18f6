#include <win/errors.h>
#include <win/kernel.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(Events, ManualAndAutoResetAndTimeouts)
{
    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE automatic = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0) << "manual reset stays signalled";
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT) << "auto reset releases one wait";
    CloseHandle(manual);
    CloseHandle(automatic);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetEvent(manual));
}

namespace {
DWORD WINAPI returnParameter(LPVOID parameter)
{
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter));
}

struct SelfSuspender {
    std::atomic<int> phase{0};
    HANDLE self = nullptr;
};

DWORD WINAPI suspendSelfTwice(LPVOID parameter)
{
    auto* s = static_cast<SelfSuspender*>(parameter);
    s->phase = 1;
    SuspendThread(GetCurrentThread());
    s->phase = 2;
    SuspendThread(GetCurrentThread());
    s->phase = 3;
    return 0;
}

void waitForPhase(const SelfSuspender& s, int phase)
{
    for (int i = 0; i < 2000 && s.phase.load() < phase; ++i)
        Sleep(1);
}
} // namespace

TEST(Threads, ExitCodeIdsAndWaiting)
{
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, returnParameter, reinterpret_cast<LPVOID>(42), 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    CloseHandle(thread);
}

TEST(Threads, CreateSuspendedRunsOnlyAfterResume)
{
    HANDLE thread = CreateThread(nullptr, 0, returnParameter, reinterpret_cast<LPVOID>(7), CREATE_SUSPENDED, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    CloseHandle(thread);
}

TEST(Threads, SelfSuspensionWaitsForEachResume)
{
    SelfSuspender s;
    HANDLE thread = CreateThread(nullptr, 0, suspendSelfTwice, &s, 0, nullptr);
    waitForPhase(s, 1);
    Sleep(20);
    EXPECT_EQ(s.phase.load(), 1);
    // A resume that races the suspension is not lost: the count goes below
    // the suspension only once both have happened.
    while (ResumeThread(thread) == 0)
        Sleep(1);
    waitForPhase(s, 2);
    EXPECT_EQ(s.phase.load(), 2);
    while (ResumeThread(thread) == 0)
        Sleep(1);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(s.phase.load(), 3);
    CloseHandle(thread);
}

TEST(Interlocked, CompareExchangeSwapsOnlyOnMatch)
{
    volatile LONG owner = 0;
    EXPECT_EQ(InterlockedCompareExchange(&owner, 0x1A2C, 0), 0);
    EXPECT_EQ(owner, 0x1A2C);
    EXPECT_EQ(InterlockedCompareExchange(&owner, 0x99, 0), 0x1A2C);
    EXPECT_EQ(owner, 0x1A2C);
    EXPECT_EQ(InterlockedIncrement(&owner), 0x1A2D);
}
