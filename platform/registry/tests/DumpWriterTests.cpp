// regdump's text form: every kind of data reads back unambiguously.
#include "registry/regdump/DumpWriter.h"

#include <gtest/gtest.h>

using namespace std::literals;

TEST(DumpWriter, FormatsEachTypeUnambiguously)
{
    struct Case {
        std::string_view name;
        DWORD type;
        std::string_view data;
        const char* line;
    } cases[] = {
        {"", REG_SZ, "text\0"sv, R"(@ = REG_SZ "text")"},
        {"@", REG_SZ, "\0"sv, R"("@" = REG_SZ "")"},
        {"Path", REG_SZ, "C:\\a \"b\"\0"sv, R"("Path" = REG_SZ "C:\\a \"b\"")"},
        {"Raw", REG_SZ, "AB"sv, R"("Raw" = REG_SZ "AB" (no terminator))"},
        {"Nul", REG_SZ, "a\0b\0"sv, R"("Nul" = REG_SZ "a\x00b")"},
        {"Ctl", REG_SZ, "\t\r\n\0"sv, R"("Ctl" = REG_SZ "\x09\x0D\x0A")"},
        {"Acc", REG_SZ, "caf\xE9\x80\0"sv, R"("Acc" = REG_SZ "caf\xE9\x80")"},
        {"E", REG_EXPAND_SZ, "%WINDIR%\0"sv, R"("E" = REG_EXPAND_SZ "%WINDIR%")"},
        {"M", REG_MULTI_SZ, "a\0b\0\0"sv, R"("M" = REG_MULTI_SZ ["a", "b"])"},
        {"M", REG_MULTI_SZ, "\0"sv, R"("M" = REG_MULTI_SZ [])"},
        {"M", REG_MULTI_SZ, "a\0\0b\0\0"sv, R"("M" = REG_MULTI_SZ hex[6]: 61 00 00 62 00 00)"},
        {"M", REG_MULTI_SZ, "a\0"sv, R"("M" = REG_MULTI_SZ hex[2]: 61 00)"},
        {"D", REG_DWORD, "\x2a\0\0\0"sv, R"("D" = REG_DWORD 0x0000002a (42))"},
        {"D", REG_DWORD, "\x2a\0"sv, R"("D" = REG_DWORD hex[2]: 2a 00)"},
        {"B", REG_DWORD_BIG_ENDIAN, "\0\0\1\0"sv, R"("B" = REG_DWORD_BIG_ENDIAN 0x00000100 (256))"},
        {"Q", REG_QWORD, "\1\0\0\0\0\0\0\x80"sv, R"("Q" = REG_QWORD 0x8000000000000001 (9223372036854775809))"},
        {"Bin", REG_BINARY, ""sv, R"("Bin" = REG_BINARY hex[0]:)"},
        {"N", REG_NONE, "\xff"sv, R"("N" = REG_NONE hex[1]: ff)"},
        {"T", 0x1234, "\1"sv, R"("T" = REG_TYPE(0x1234) hex[1]: 01)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(regdump::FormatValue(c.name, c.type, c.data), c.line);
}
