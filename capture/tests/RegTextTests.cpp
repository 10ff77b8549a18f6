// The export text: regedit's value forms and line wrapping, and a round trip
// through the emulated PC's .reg loader (export, load the export, export
// again: the same text and the same bytes).
#include "RegExport.h"
#include "RegText.h"

#include "core/testing/TempProfile.h"
#include "boot/Boot.h"

#include <gtest/gtest.h>

#include <string>

using capture::HexLines;
using capture::RegValueLines;

namespace {

std::string utf16(const std::string& ascii)
{
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

} // namespace

TEST(RegText, ValueFormsAsRegeditWritesThem)
{
    EXPECT_EQ(RegValueLines("Path", REG_SZ, std::string("C:\\a \"b\"", 8) + '\0'),
              "\"Path\"=\"C:\\\\a \\\"b\\\"\"\r\n");
    EXPECT_EQ(RegValueLines("", REG_SZ, std::string("x\0", 2)), "@=\"x\"\r\n");
    EXPECT_EQ(RegValueLines("n\"q", REG_SZ, std::string("\0", 1)), "\"n\\\"q\"=\"\"\r\n");
    EXPECT_EQ(RegValueLines("ID", REG_DWORD, std::string("\x4d\x3c\x1b\x2a", 4)), "\"ID\"=dword:2a1b3c4d\r\n");
    // A DWORD of another length, a QWORD, REG_NONE and an empty binary.
    EXPECT_EQ(RegValueLines("d", REG_DWORD, "\x01\x02"), "\"d\"=hex(4):01,02\r\n");
    EXPECT_EQ(RegValueLines("q", 11, std::string(8, '\0')), "\"q\"=hex(b):00,00,00,00,00,00,00,00\r\n");
    EXPECT_EQ(RegValueLines("z", REG_NONE, "\xff"), "\"z\"=hex(0):ff\r\n");
    EXPECT_EQ(RegValueLines("e", REG_BINARY, ""), "\"e\"=hex:\r\n");
}

TEST(RegText, StringsThatTheQuotedFormCannotHold)
{
    EXPECT_TRUE(capture::FitsQuotedString(std::string("abc\0", 4)));
    EXPECT_FALSE(capture::FitsQuotedString("abc"));                     // no terminator
    EXPECT_FALSE(capture::FitsQuotedString(std::string("a\0b\0", 4))); // a zero inside
    EXPECT_FALSE(capture::FitsQuotedString(std::string("a\r\nb\0", 5)));
    EXPECT_FALSE(capture::FitsQuotedString(""));
    EXPECT_EQ(RegValueLines("s", REG_SZ, utf16("ab")), "\"s\"=hex(1):61,00,62,00\r\n");
}

TEST(RegText, HexWrapsAfterSeventySevenColumns)
{
    // A line of the default machine's export, as regedit wrote it.
    std::string hardwareId = utf16(std::string("ACPI_HAL\\PNP0C08\0\0", 18));
    EXPECT_EQ(RegValueLines("HardwareID", REG_MULTI_SZ, hardwareId),
              "\"HardwareID\"=hex(7):41,00,43,00,50,00,49,00,5f,00,48,00,41,00,4c,00,5c,00,50,\\\r\n"
              "  00,4e,00,50,00,30,00,43,00,30,00,38,00,00,00,00,00\r\n");
    // With an 8-character prefix the first line takes 23 bytes, continuation
    // lines 25; no break after the last byte.
    std::string text = HexLines("\"b\"=hex:", std::string(23 + 25 + 25, '\x11'));
    std::string bytes23;
    for (int i = 0; i < 23; ++i)
        bytes23 += "11,";
    EXPECT_EQ(text.substr(0, 8 + 23 * 3 + 3), "\"b\"=hex:" + bytes23 + "\\\r\n");
    size_t first = text.find("\\\r\n");
    size_t second = text.find("\\\r\n", first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(second - (first + 3), 2 + 25 * 3u);
    EXPECT_EQ(text.find("\\\r\n", second + 1), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "11\r\n");
}

TEST(RegExport, LoaderReadsTheExportBack)
{
    plat::RegisterAllProfileLoaders();
    std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Odd";
    plat::testing::TempProfile original;
    std::string binary;
    for (int i = 0; i < 300; ++i)
        binary += (i % 16 ? "," : (i ? ",\\\n  " : "")) + std::string("a5");
    original.Write("registry/10.reg",
                   "Windows Registry Editor Version 5.00\n\n[" + key + "]\n"
                   "@=\"default\"\n"
                   "\"quote \\\" and \\\\\"=\"C:\\\\x \\\"y\\\"\"\n"
                   "\"empty\"=\"\"\n"
                   "\"bin\"=hex:" + binary + "\n"
                   "\"multi\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\n"
                   "\"expand\"=hex(2):25,00,41,00,25,00,00,00\n"
                   "\"noterm\"=hex(1):61,00,62,00\n"
                   "\"qword\"=hex(b):01,02,03,04,05,06,07,08\n"
                   "\"none\"=hex(0):\n"
                   "\"dw\"=dword:00000007\n\n[" + key + "\\Sub\\Deeper]\n\"x\"=dword:1\n");
    ASSERT_EQ(original.Load(), "");
    capture::RegExport first;
    ASSERT_TRUE(first.Add(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SOFTWARE\\Odd", capture::Depth::WithSubkeys));
    EXPECT_EQ(first.KeyCount(), 3u);
    std::string bytes = first.FileBytes();
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xff\xfeW\0", 4));

    plat::testing::TempProfile copy;
    copy.Write("registry/10.reg", bytes);
    ASSERT_EQ(copy.Load(), "");
    capture::RegExport second;
    ASSERT_TRUE(second.Add(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SOFTWARE\\Odd", capture::Depth::WithSubkeys));
    EXPECT_EQ(second.Text(), first.Text());
    // The value without a terminator keeps its four bytes.
    HKEY odd = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Odd", 0, KEY_READ, &odd), ERROR_SUCCESS);
    char data[16];
    DWORD size = sizeof(data), type = 0;
    ASSERT_EQ(RegQueryValueExA(odd, "noterm", nullptr, &type, (LPBYTE)data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(std::string(data, size), "ab");
    RegCloseKey(odd);
    // A key that does not exist is reported, not exported.
    EXPECT_FALSE(second.Add(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SOFTWARE\\Missing", capture::Depth::KeyOnly));
}
