#include "modemfw/PtyModem.h"
#include "modemfw/SettingsParser.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace plat::modemfw;
using namespace std::chrono_literals;

namespace {

int countEntries(const char* folder)
{
    int n = 0;
    if (DIR* dir = opendir(folder)) {
        while (readdir(dir))
            ++n;
        closedir(dir);
    }
    return n;
}

ModemSettings fast(const char* json = "{}")
{
    ModemSettings s;
    SettingsError error;
    EXPECT_TRUE(ParseSettings(nlohmann::json::parse(json), "", &s, &error)) << error.message;
    s.timeScale = 0.01;
    return s;
}

// Reads from the port until `expected` has come or `limit` has passed.
std::string readFor(int fd, size_t expected, std::chrono::milliseconds limit)
{
    std::string got;
    auto end = std::chrono::steady_clock::now() + limit;
    while (got.size() < expected && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10) <= 0)
            continue;
        char buffer[256];
        ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n <= 0)
            break;
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

class PtyModemTest : public ::testing::Test {
protected:
    int Open(PtyModem& modem)
    {
        int fd = open(modem.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        EXPECT_GE(fd, 0) << modem.SlavePath();
        return fd;
    }
};

} // namespace

TEST_F(PtyModemTest, AnswersOnThePtyInRealTime)
{
    std::string error;
    auto modem = PtyModem::Start(fast(), &error);
    ASSERT_TRUE(modem) << error;
    int fd = Open(*modem);
    const std::string command = "AT|DT=7000\r\n";
    ASSERT_EQ(write(fd, command.data(), command.size()), static_cast<ssize_t>(command.size()));
    auto start = std::chrono::steady_clock::now();
    const std::string expected = "AT|DT=7000\r\r\nPASS\r\n\r\nOK\r\n";
    EXPECT_EQ(readFor(fd, expected.size(), 2s), expected);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 60ms) << "7 s at a time scale of 0.01";
    close(fd);
}

TEST_F(PtyModemTest, NeverBlocksTheWriterEvenWhenNobodyReadsTheReplies)
{
    std::string error;
    auto modem = PtyModem::Start(fast(), &error);
    ASSERT_TRUE(modem) << error;
    int fd = Open(*modem);
    // Every 'A' is echoed and nobody reads the echo: the modem's side must
    // still drain what we write.
    std::string block(4096, 'A');
    size_t written = 0;
    auto end = std::chrono::steady_clock::now() + 5s;
    while (written < 256 * 1024 && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        ssize_t n = write(fd, block.data(), block.size());
        if (n > 0)
            written += static_cast<size_t>(n);
    }
    EXPECT_GE(written, 256u * 1024u);
    close(fd);
}

TEST_F(PtyModemTest, PortGoneFaultHangsUpTheSlave)
{
    std::string error;
    auto modem = PtyModem::Start(fast(R"({"faults": {"AT|DMA=10000": {"kind": "portGone"}}})"), &error);
    ASSERT_TRUE(modem) << error;
    int fd = Open(*modem);
    const std::string command = "AT|DMA=10000\r\n";
    ASSERT_EQ(write(fd, command.data(), command.size()), static_cast<ssize_t>(command.size()));
    auto end = std::chrono::steady_clock::now() + 2s;
    while (!modem->Gone() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(modem->Gone());
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 1000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    // A hung-up tty reads as end of file and refuses writes.
    char c;
    while (read(fd, &c, 1) > 0) {
    }
    EXPECT_EQ(read(fd, &c, 1), 0);
    EXPECT_EQ(write(fd, "AT\r", 3) < 0 ? errno : 0, EIO);
    close(fd);
    EXPECT_LT(open(modem->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK), 0);
}

TEST_F(PtyModemTest, DtrDropHangsUpAndStoppingLeavesNoThreadsOrFds)
{
    const int threads = countEntries("/proc/self/task");
    const int fds = countEntries("/proc/self/fd");
    for (int round = 0; round < 3; ++round) {
        std::string error;
        auto modem = PtyModem::Start(fast(R"({"echo": false})"), &error);
        ASSERT_TRUE(modem) << error;
        int fd = Open(*modem);
        const std::string dial = "ATD5551234\r";
        ASSERT_EQ(write(fd, dial.data(), dial.size()), static_cast<ssize_t>(dial.size()));
        EXPECT_EQ(readFor(fd, 16, 2s), "\r\nCONNECT 1200\r\n");
        modem->DropDtr();
        std::this_thread::sleep_for(20ms);
        ASSERT_EQ(write(fd, "AT\r", 3), 3);
        EXPECT_EQ(readFor(fd, 6, 2s), "\r\nOK\r\n") << "back in command mode";
        close(fd);
    }
    EXPECT_EQ(countEntries("/proc/self/task"), threads);
    EXPECT_EQ(countEntries("/proc/self/fd"), fds);
}
