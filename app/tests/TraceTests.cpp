// The trace log is one process-wide object, so these tests run in order and
// each sets the name and level it needs.
#include "Trace.h"

#include "core/Clock.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
    return lines;
}

std::string body(const std::string& line)
{
    size_t colon = line.find(": ");
    return colon == std::string::npos ? line : line.substr(colon + 2);
}

bool exists(const std::string& name)
{
    return std::filesystem::exists(name);
}

} // namespace

TEST(Trace, NothingIsWrittenUntilALevelIsSetAndTheDefaultNameIsTrace)
{
    std::filesystem::remove("Trace.trc");
    TraceWrite(20, "too early");
    EXPECT_FALSE(exists("Trace.trc"));
    TraceSetLevel(20);
    TraceWrite(20, "first");
    ASSERT_TRUE(exists("Trace.trc"));
    std::vector<std::string> lines = linesOf(readFile("Trace.trc"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(body(lines[0]), "first");

    // An empty name is a name: the file is the extension alone.
    std::filesystem::remove(".trc");
    TraceSetName("");
    TraceWrite(20, "empty name");
    EXPECT_TRUE(exists(".trc"));
}

TEST(Trace, LineFormat)
{
    TraceSetName("format");
    TraceSetLevel(20);
    plat::clock::SetNow(plat::clock::FromLocal(2026, 5, 15, 14, 3, 7, 45));
    TraceWrite(20, "Language code = %04x", 0x409);
    TraceWrite(20, "Release Date: %s", "05/15//2007");
    plat::clock::Reset();
    std::vector<std::string> lines = linesOf(readFile("format.trc"));
    ASSERT_EQ(lines.size(), 2u);
    char expectedId[16];
    std::snprintf(expectedId, sizeof(expectedId), "%X", static_cast<unsigned>(GetCurrentThreadId()));
    EXPECT_EQ(lines[0], std::string("14:03:07_045_") + expectedId + ": Language code = 0409");
    EXPECT_EQ(lines[1].substr(0, 9), "14:03:07_");
    EXPECT_EQ(body(lines[1]), "Release Date: 05/15//2007");
}

TEST(Trace, LevelFilter)
{
    TraceSetName("filter");
    TraceSetLevel(20);
    TraceWrite(21, "level 21");
    TraceWrite(20, "level 20");
    TraceWrite(1, "level 1");
    TraceWrite(-3, "level -3");
    TraceSetLevel(-5);
    TraceWrite(20, "after -5");
    TraceSetLevel(0);
    TraceWrite(1, "after 0");
    TraceSetLevel(20);
    TraceWrite(20, "back on");
    std::vector<std::string> lines = linesOf(readFile("filter.trc"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(body(lines[0]), "level 20");
    EXPECT_EQ(body(lines[1]), "level 1");
    EXPECT_EQ(body(lines[2]), "level -3");
    EXPECT_EQ(body(lines[3]), "back on") << "the file stays open while logging is off";
}

TEST(Trace, FileStartsAfreshAtEachNameAndAfterMidnight)
{
    TraceSetName("fresh");
    TraceSetLevel(20);
    TraceWrite(20, "previous run");
    TraceSetName("fresh"); // as a second program start does
    plat::clock::SetNow(plat::clock::FromLocal(2026, 12, 8, 23, 59, 59, 900));
    TraceWrite(20, "before midnight");
    EXPECT_EQ(linesOf(readFile("fresh.trc")).size(), 1u);
    plat::clock::Advance(std::chrono::milliseconds(200));
    TraceWrite(20, "after midnight");
    TraceWrite(20, "next");
    plat::clock::Reset();
    std::vector<std::string> lines = linesOf(readFile("fresh.trc"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 9), "00:00:00_");
    EXPECT_EQ(body(lines[0]), "after midnight");
    EXPECT_EQ(body(lines[1]), "next");
}

TEST(Trace, ConcurrentWritersProduceWholeLinesWithTheirOwnIds)
{
    TraceSetName("threads");
    TraceSetLevel(20);
    const int kLines = 60;
    std::string filler(3000, 'x');
    auto writer = [&](char tag) {
        char id[16];
        std::snprintf(id, sizeof(id), "%X", static_cast<unsigned>(GetCurrentThreadId()));
        for (int i = 0; i < kLines; ++i)
            TraceWrite(20, "%c %s %d %s", tag, id, i, filler.c_str());
    };
    std::thread a(writer, 'A');
    std::thread b(writer, 'B');
    a.join();
    b.join();
    std::vector<std::string> lines = linesOf(readFile("threads.trc"));
    ASSERT_EQ(lines.size(), 2u * kLines);
    for (const std::string& line : lines) {
        // "HH:MM:SS_mmm_TID: T TID n xxx...": the prefix's id is the writer's own.
        ASSERT_GT(line.size(), 13u);
        size_t idStart = 13;
        size_t idEnd = line.find(": ", idStart);
        ASSERT_NE(idEnd, std::string::npos) << line.substr(0, 80);
        std::string prefixId = line.substr(idStart, idEnd - idStart);
        std::string rest = body(line);
        ASSERT_TRUE(rest[0] == 'A' || rest[0] == 'B') << line.substr(0, 80);
        EXPECT_EQ(rest.substr(2, prefixId.size() + 1), prefixId + " ") << line.substr(0, 80);
        EXPECT_EQ(rest.size() - rest.rfind(' ') - 1, 3000u) << "the whole body arrived";
    }
}

TEST(Trace, LongBodiesAreCutAndTheLineStillEnds)
{
    TraceSetName("long");
    TraceSetLevel(20);
    std::string huge(40000, 'y');
    TraceWrite(20, "%s", huge.c_str());
    TraceWrite(20, "after");
    std::vector<std::string> lines = linesOf(readFile("long.trc"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(body(lines[0]).size(), 32768u);
    EXPECT_EQ(body(lines[1]), "after");
}

TEST(Trace, AFileThatCannotBeCreatedLosesItsLinesOnly)
{
    TraceSetName("no-such-folder/trace");
    TraceSetLevel(20);
    TraceWrite(20, "lost");
    TraceWrite(20, "lost too");
    TraceSetName("recovered");
    TraceWrite(20, "kept");
    std::vector<std::string> lines = linesOf(readFile("recovered.trc"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(body(lines[0]), "kept");
}
