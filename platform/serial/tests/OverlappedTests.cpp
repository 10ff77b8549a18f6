#include "SerialFixture.h"

#include <functional>
#include <thread>
#include <vector>

using plat::serial::QueuedRequests;
using plat::serial::testing::SerialTest;
using namespace std::chrono_literals;

namespace {

constexpr ULONG_PTR kStatusPending = 0x103;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;

struct Overlapped {
    Overlapped() { ov.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr); }
    ~Overlapped() { CloseHandle(ov.hEvent); }
    bool Signalled(DWORD ms = 0) { return WaitForSingleObject(ov.hEvent, ms) == WAIT_OBJECT_0; }
    OVERLAPPED ov{};
};

} // namespace

TEST_F(SerialTest, ReadPendsUntilAByteComesThenCompletes)
{
    HANDLE port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    Overlapped read;
    char c = 0;
    DWORD n = 99;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ReadFile(port, &c, 1, &n, &read.ov));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_EQ(read.ov.Internal, kStatusPending);
    EXPECT_FALSE(read.Signalled()) << "the event is reset when the request starts";

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetOverlappedResult(port, &read.ov, &n, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));

    Send(port, "ATI0\r\n");
    ASSERT_TRUE(read.Signalled(2000));
    ASSERT_TRUE(GetOverlappedResult(port, &read.ov, &n, FALSE));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(c, 'A');

    // Once the reply waits in the port, a read completes at once, event set.
    std::this_thread::sleep_for(50ms);
    Overlapped again;
    n = 0;
    ASSERT_TRUE(ReadFile(port, &c, 1, &n, &again.ov));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(c, 'T');
    EXPECT_TRUE(again.Signalled());
    EXPECT_EQ(again.ov.Internal, 0u);
    EXPECT_EQ(again.ov.InternalHigh, 1u);
    CloseHandle(port);
}

TEST_F(SerialTest, WritesQueueBehindAPendingWrite)
{
    HANDLE port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    // More than a pty takes at once; the modem ignores bytes outside a command line.
    std::string big(1 << 20, 'x');
    Overlapped first, second;
    DWORD n = 0;
    SetLastError(0xdeadbeef);
    ASSERT_FALSE(WriteFile(port, big.data(), static_cast<DWORD>(big.size()), &n, &first.ov));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WriteFile(port, "*", 1, &n, &second.ov)) << "a second write waits behind the first";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));

    ASSERT_TRUE(GetOverlappedResult(port, &second.ov, &n, TRUE));
    EXPECT_EQ(n, 1u);
    EXPECT_TRUE(first.Signalled()) << "FIFO: the first write finished before the second";
    ASSERT_TRUE(GetOverlappedResult(port, &first.ov, &n, FALSE));
    EXPECT_EQ(n, big.size());
    CloseHandle(port);
}

TEST_F(SerialTest, ClosingCancelsPendingIoAndSetsTheEvents)
{
    HANDLE port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    Overlapped read;
    char c = 0;
    DWORD n = 0;
    ASSERT_FALSE(ReadFile(port, &c, 1, &n, &read.ov));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    // Another thread closes the handle while the request is outstanding.
    std::thread closer([port] { CloseHandle(port); });
    EXPECT_TRUE(read.Signalled(2000));
    closer.join();
    EXPECT_EQ(read.ov.Internal, kStatusCancelled);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetOverlappedResult(port, &read.ov, &n, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // A synchronous read blocked in another thread ends with ERROR_OPERATION_ABORTED.
    // The handle is closed once the read is queued: a read that only starts
    // after the close finds no handle (ERROR_INVALID_HANDLE) instead.
    HANDLE sync = OpenPort("COM3", 0);
    ASSERT_NE(sync, INVALID_HANDLE_VALUE);
    BOOL result = TRUE;
    DWORD error = 0;
    std::thread reader([&] {
        char buffer[4];
        DWORD got = 0;
        result = ReadFile(sync, buffer, sizeof(buffer), &got, nullptr);
        error = GetLastError();
    });
    auto end = std::chrono::steady_clock::now() + 10s;
    while (QueuedRequests(sync) != 1 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(QueuedRequests(sync), 1);
    CloseHandle(sync);
    reader.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
}

TEST_F(SerialTest, DuplicateKeepsThePortOpenUntilTheLastClose)
{
    HANDLE port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), port, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    Overlapped read;
    char c = 0;
    DWORD n = 0;
    ASSERT_FALSE(ReadFile(port, &c, 1, &n, &read.ov));
    ASSERT_TRUE(CloseHandle(port));
    EXPECT_FALSE(read.Signalled(20)) << "the request lives on while a handle is open";

    Send(copy, "AT\r\n");
    ASSERT_TRUE(read.Signalled(2000));
    ASSERT_TRUE(GetOverlappedResult(copy, &read.ov, &n, FALSE));
    EXPECT_EQ(c, 'A');
    EXPECT_EQ(Receive(copy, 8), "T\r\r\nOK\r\n");
    EXPECT_EQ(OpenPort("COM3"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(CloseHandle(copy));
    HANDLE again = OpenPort("COM3");
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST_F(SerialTest, PortGoingAwayMidCommandFailsPendingAndLaterIo)
{
    HANDLE port = OpenPort("COM4");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    Send(port, "AT|DMA=10000\r\n");
    EXPECT_EQ(Receive(port, 13), "AT|DMA=10000\r");
    Overlapped read;
    char c = 0;
    DWORD n = 0;
    ASSERT_FALSE(ReadFile(port, &c, 1, &n, &read.ov));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    ASSERT_TRUE(read.Signalled(2000));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetOverlappedResult(port, &read.ov, &n, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));

    struct Case {
        const char* what;
        std::function<BOOL()> call;
        DWORD error;
    } later[] = {
        {"ReadFile", [&] { Overlapped o; return ReadFile(port, &c, 1, &n, &o.ov); }, ERROR_BAD_COMMAND},
        {"WriteFile", [&] { Overlapped o; return WriteFile(port, "A", 1, &n, &o.ov); }, ERROR_BAD_COMMAND},
        {"GetCommTimeouts", [&] { COMMTIMEOUTS t; return GetCommTimeouts(port, &t); }, ERROR_BAD_COMMAND},
    };
    for (const auto& c : later) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    EXPECT_TRUE(CloseHandle(port));
    EXPECT_FALSE(plat::serial::PortExists("COM4"));
    EXPECT_EQ(OpenPort("COM4"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SerialTest, CancelIoEndsOutstandingRequestsAndKeepsThePortOpen)
{
    HANDLE port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    Overlapped read;
    char c = 0;
    DWORD n = 0;
    ASSERT_FALSE(ReadFile(port, &c, 1, &n, &read.ov));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_TRUE(CancelIo(port));
    EXPECT_TRUE(read.Signalled(2000));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetOverlappedResult(port, &read.ov, &n, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(port, "AT\r", 3, &written, nullptr)) << "the port stays usable";
    CloseHandle(port);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CancelIo(port));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// CancelIo ends only the calling thread's requests; CancelIoEx with no
// OVERLAPPED ends every thread's, and fails with ERROR_NOT_FOUND when none
// is left.
TEST_F(SerialTest, CancelIoIsPerThreadAndCancelIoExCancelsThemAll)
{
    HANDLE port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    Overlapped read;
    char c = 0;
    DWORD n = 0;
    std::thread([&] {
        ASSERT_FALSE(ReadFile(port, &c, 1, &n, &read.ov));
        ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    }).join();
    EXPECT_TRUE(CancelIo(port));
    EXPECT_FALSE(read.Signalled(50)) << "another thread's read stays outstanding";
    EXPECT_TRUE(CancelIoEx(port, nullptr));
    EXPECT_TRUE(read.Signalled(2000));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetOverlappedResult(port, &read.ov, &n, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CancelIoEx(port, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_FOUND));
    CloseHandle(port);
}

// A purge ends the pending requests it names with ERROR_OPERATION_ABORTED.
// With fAbortOnError set, a line error ends them the same way and every
// later request fails so until ClearCommError, which reports the error.
TEST_F(SerialTest, PurgeAndAbortOnErrorEndRequestsWithOperationAborted)
{
    HANDLE port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    char c = 0;
    DWORD n = 0;
    {
        Overlapped read;
        ASSERT_FALSE(ReadFile(port, &c, 1, &n, &read.ov));
        ASSERT_TRUE(PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR));
        ASSERT_TRUE(read.Signalled(2000));
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(GetOverlappedResult(port, &read.ov, &n, FALSE));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    }

    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    ASSERT_TRUE(GetCommState(port, &dcb));
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.fAbortOnError, 0u);
    // Without fAbortOnError a line error is only reported.
    ASSERT_TRUE(plat::serial::RaiseLineError("COM3", CE_FRAME));
    {
        Overlapped read;
        ASSERT_FALSE(ReadFile(port, &c, 1, &n, &read.ov));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
        CancelIoEx(port, nullptr);
    }
    DWORD errors = 0;
    COMSTAT stat{};
    ASSERT_TRUE(ClearCommError(port, &errors, &stat));
    EXPECT_EQ(errors, DWORD{CE_FRAME});

    dcb.fAbortOnError = 1;
    ASSERT_TRUE(SetCommState(port, &dcb));
    Overlapped read;
    ASSERT_FALSE(ReadFile(port, &c, 1, &n, &read.ov));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    ASSERT_TRUE(plat::serial::RaiseLineError("COM3", CE_OVERRUN));
    ASSERT_TRUE(read.Signalled(2000));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetOverlappedResult(port, &read.ov, &n, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    for (int attempt = 0; attempt < 2; ++attempt) {
        Overlapped write;
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(WriteFile(port, "AT\r", 3, &n, &write.ov)) << "blocked until ClearCommError";
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    }
    ASSERT_TRUE(ClearCommError(port, &errors, nullptr));
    EXPECT_EQ(errors, DWORD{CE_OVERRUN});
    ASSERT_TRUE(ClearCommError(port, &errors, nullptr));
    EXPECT_EQ(errors, 0u) << "reported once";
    Overlapped write;
    EXPECT_TRUE(WriteFile(port, "AT\r", 3, &n, &write.ov) || GetLastError() == ERROR_IO_PENDING);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ClearCommError(INVALID_HANDLE_VALUE, &errors, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    dcb.ByteSize = 9;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetCommState(port, &dcb));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(port);
}
