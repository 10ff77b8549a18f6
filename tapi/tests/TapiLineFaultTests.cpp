// CTapiLine when the system calls it relies on fail: a thread that cannot
// be started, a wait on TAPI's event that fails. The test binary is linked
// with the linker's --wrap for these calls, so that a test can make them
// fail for the line alone.
#include "TapiLine.h"

#include "Trace.h"
#include "tapi/testing/TapiMachine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

using namespace plat::tapi::testing;

namespace {

std::atomic<bool> g_failCreateThread{false};
std::atomic<bool> g_failTapiWaits{false};
std::atomic<HANDLE> g_tapiEvent{NULL};
std::atomic<int> g_failedWaits{0};

} // namespace

extern "C" {
HANDLE WINAPI __real_CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
DWORD WINAPI __real_WaitForSingleObject(HANDLE, DWORD);
LONG WINAPI __real_lineInitializeExA(LPHLINEAPP, HINSTANCE, LINECALLBACK, LPCSTR, LPDWORD, LPDWORD,
                                     LPLINEINITIALIZEEXPARAMS);

HANDLE WINAPI __wrap_CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                                  LPVOID parameter, DWORD flags, LPDWORD id)
{
    if (g_failCreateThread) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    return __real_CreateThread(attributes, stack, start, parameter, flags, id);
}

DWORD WINAPI __wrap_WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    if (g_failTapiWaits && handle != NULL && handle == g_tapiEvent.load()) {
        ++g_failedWaits;
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return __real_WaitForSingleObject(handle, milliseconds);
}

LONG WINAPI __wrap_lineInitializeExA(LPHLINEAPP app, HINSTANCE instance, LINECALLBACK callback, LPCSTR name,
                                     LPDWORD devices, LPDWORD version, LPLINEINITIALIZEEXPARAMS params)
{
    LONG result = __real_lineInitializeExA(app, instance, callback, name, devices, version, params);
    if (result == 0 && params)
        g_tapiEvent = params->Handles.hEvent;
    return result;
}
}

namespace {

const char kName[] = "Virtual Data Fax Modem";

std::string traceText(const std::string& name)
{
    std::ifstream in(name + ".trc", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool portFree(const char* name)
{
    HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (port == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(port);
    return true;
}

class TapiLineFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(machine.Load({ModemEntry{}}, kModemOnCom3), ""); }
    void TearDown() override
    {
        g_failCreateThread = false;
        g_failTapiWaits = false;
        g_failedWaits = 0;
    }
    TapiMachine machine;
};

} // namespace

TEST_F(TapiLineFaults, AMessageThreadThatCannotStartFailsTheOpenAndReleasesTheLine)
{
    std::remove("nothread.trc");
    TraceSetName("nothread");
    TraceSetLevel(20);
    CTapiLine line;
    g_failCreateThread = true;
    int result = line.Open(kName, "COM3");
    g_failCreateThread = false;
    EXPECT_EQ(result, (int)LINEERR_NOMEM);
    EXPECT_NE(traceText("nothread").find("ERROR: CreateThread. Return code = 8"), std::string::npos)
        << traceText("nothread");
    EXPECT_TRUE(portFree("COM3")) << "the line was left open";

    // The next try opens as usual.
    ASSERT_EQ(line.Open(kName, "COM3"), 0);
    ASSERT_EQ(line.MakeCall(NULL), 0);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (line.WriteByte('A') == 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_LT(std::chrono::steady_clock::now(), end) << "the call never connected";
}

TEST_F(TapiLineFaults, AFailingWaitOnTapisEventEndsTheMessageThreadInsteadOfSpinning)
{
    std::remove("waitfails.trc");
    TraceSetName("waitfails");
    TraceSetLevel(20);
    CTapiLine line;
    g_failTapiWaits = true;
    ASSERT_EQ(line.Open(kName, "COM3"), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LE(g_failedWaits.load(), 1) << "the message thread kept waiting on a failing wait";
    EXPECT_NE(traceText("waitfails").find("ERROR: WaitForSingleObject. Return code = 6"), std::string::npos)
        << traceText("waitfails");
    g_failTapiWaits = false;
    EXPECT_EQ(line.Close(), 0);
    EXPECT_TRUE(portFree("COM3"));
}
