#include "resources/ResFile.h"
#include "resources/StringBlock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat::resources;

namespace {

void put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

void put32(std::string& s, unsigned v)
{
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// One .res record with a numbered type and name.
std::string record(unsigned type, unsigned name, unsigned language, const std::string& data)
{
    std::string r;
    put32(r, static_cast<unsigned>(data.size()));
    put32(r, 32);
    put16(r, 0xFFFF);
    put16(r, type);
    put16(r, 0xFFFF);
    put16(r, name);
    put32(r, 0);      // data version
    put16(r, 0x1030); // memory flags
    put16(r, language);
    put32(r, 0);
    put32(r, 0);
    r += data;
    while (r.size() % 4)
        r += '\0';
    return r;
}

const std::string kLeading = record(0, 0, 0, "");

bool parse(const std::string& bytes, std::vector<ResEntry>* entries, ResFileError* error)
{
    return ParseResFile(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), entries, error);
}

} // namespace

TEST(ResFile, ReadsNumberedAndNamedRecords)
{
    std::string named;
    put32(named, 3);
    put32(named, 36);
    for (char16_t c : std::u16string(u"ABC"))
        put16(named, c);
    put16(named, 0);
    put16(named, 0xFFFF);
    put16(named, 7);
    put32(named, 0);
    put16(named, 0);
    put16(named, 0x0407);
    put32(named, 0);
    put32(named, 0);
    named += "xyz";
    named += '\0';

    std::vector<ResEntry> entries;
    ResFileError error;
    std::string bytes = kLeading + record(10, 5, 0x0409, "hello") + named; // the entries point into it
    ASSERT_TRUE(parse(bytes, &entries, &error)) << error.ToString();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].type.id, 10);
    EXPECT_EQ(entries[0].name.id, 5);
    EXPECT_EQ(entries[0].language, 0x0409);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(entries[0].data), entries[0].size), "hello");
    EXPECT_EQ(entries[1].type.name, u"ABC");
    EXPECT_TRUE(entries[1].type.Matches(ResName{0, u"abc"}));
    EXPECT_FALSE(entries[1].type.Matches(ResName{7, u""}));
    EXPECT_EQ(entries[1].name.id, 7);
    EXPECT_EQ(entries[1].size, 3u);
}

TEST(ResFile, BrokenFilesNameTheRecord)
{
    std::string good = kLeading + record(10, 1, 0x0409, "abcd");
    std::string hugeData = good;
    hugeData[32] = '\x40'; // the second record claims 64 bytes of data
    std::string tinyHeader = good;
    tinyHeader[36] = '\x08';
    std::string cutName = kLeading;
    put32(cutName, 0);
    put32(cutName, 24);
    for (int i = 0; i < 8; ++i)
        put16(cutName, 'A'); // a type name that never ends

    struct Case {
        std::string bytes;
        size_t offset;
        const char* message;
    } cases[] = {
        {good.substr(0, good.size() - 2), 32, "runs past the end"},
        {hugeData, 32, "runs past the end"},
        {tinyHeader, 32, "header size 8 is impossible"},
        {cutName, 32, "cut short"},
        {kLeading + "\x01\x02\x03", 32, "truncated record header"},
    };
    for (const Case& c : cases) {
        std::vector<ResEntry> entries;
        ResFileError error;
        EXPECT_FALSE(parse(c.bytes, &entries, &error)) << c.message;
        EXPECT_EQ(error.offset, c.offset) << c.message;
        EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    }
    std::vector<ResEntry> entries;
    ResFileError error;
    EXPECT_TRUE(parse(good + std::string(3, '\0'), &entries, &error)) << "zero padding at the end is fine";
}

TEST(StringBlock, EntriesAreCountedStrings)
{
    std::string block;
    put16(block, 0);
    put16(block, 2);
    put16(block, 'h');
    put16(block, 'i');
    for (int i = 2; i < 16; ++i)
        put16(block, 0);
    auto data = reinterpret_cast<const BYTE*>(block.data());
    auto size = static_cast<DWORD>(block.size());
    EXPECT_EQ(StringInBlock(data, size, 0), u"");
    EXPECT_EQ(StringInBlock(data, size, 1), u"hi");
    EXPECT_EQ(StringInBlock(data, size, 15), u"");
    EXPECT_EQ(StringInBlock(data, 5, 1), std::nullopt);
    EXPECT_EQ(StringBlockOf(1), 1);
    EXPECT_EQ(StringBlockOf(16), 2);
    EXPECT_EQ(StringBlockOf(17), 2);
}
