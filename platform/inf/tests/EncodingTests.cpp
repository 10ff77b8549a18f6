// ANSI, UTF-16LE and UTF-8 INF files.
#include "InfTestSupport.h"

#include "inf/TextDecoding.h"

using inftest::InfTest;
using inftest::kHeader;

namespace {

// UTF-16LE bytes with a byte-order mark, for text of code points.
std::string utf16(const std::u16string& text)
{
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

} // namespace

class Encoding : public InfTest {};

TEST_F(Encoding, Utf16FilesAreReadInTheAnsiCodePage)
{
    std::u16string text = u"[Version]\r\nSignature=\"$Windows NT$\"\r\n[Strings]\r\n"
                          u"Desc=\"Modem \u00e9t\u00e9 \u20ac \u03a9 \U0001F600\"\r\n[S]\r\nx=%Desc%\r\n";
    HINF inf = Open(utf16(text), INF_STYLE_WIN4, nullptr, "unicode.inf");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE) << std::hex << GetLastError();
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "S", "x", &context));
    EXPECT_EQ(Field(context, 1), "Modem \xE9t\xE9 \x80 ? ?");
}

TEST_F(Encoding, ErrorsInUtf16FilesNameTheirLine)
{
    UINT line = 0;
    SetLastError(0xdeadbeef);
    HINF inf = Open(utf16(u"[Version]\r\nSignature=$Chicago$\r\n\r\n[Broken\r\n"), INF_STYLE_WIN4, &line);
    EXPECT_EQ(inf, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_SECTION_NAME_LINE));
    EXPECT_EQ(line, 4u);
}

TEST_F(Encoding, AnsiFilesAreTakenAsTheyAre)
{
    HINF inf = Open(kHeader + "[S]\nx=Caf\xE9 \x80\n");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE);
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "s", "X", &context));
    EXPECT_EQ(Field(context, 1), "Caf\xE9 \x80");
}

TEST_F(Encoding, KeysAndSectionsAreComparedInUnicode)
{
    // The A functions' names are converted to Unicode and compared there: a
    // name that became '?' in the ANSI code page finds only a real '?'.
    std::u16string text = u"[Version]\r\nSignature=$Chicago$\r\n[\u0420\u0430\u0437]\r\n"
                          u"\u041A\u043B\u044E\u0447=cyrillic\r\n?\?\?\?=marks\r\n"
                          u"[S]\r\n\u041A\u043B\u044E\u0447=cyrillic\r\n";
    HINF inf = Open(utf16(text), INF_STYLE_WIN4, nullptr, "names.inf");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE) << std::hex << GetLastError();
    INFCONTEXT context;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupFindFirstLineA(inf, "S", "????", &context));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LINE_NOT_FOUND));
    EXPECT_FALSE(SetupFindFirstLineA(inf, "???", nullptr, &context));
    EXPECT_EQ(SetupGetLineCountA(inf, "???"), -1);
    char name[16];
    ASSERT_TRUE(SetupEnumInfSectionsA(inf, 1, name, sizeof(name), nullptr));
    EXPECT_STREQ(name, "???");

    // On a Cyrillic machine the same names are in the code page, and they
    // match in any case.
    SetupCloseInfFile(inf);
    m_open.clear();
    UseMachine(R"({"languages": {"systemDefault": "0x0419", "userDefault": "0x0419", "userUI": "0x0419"}})");
    inf = Open(utf16(text), INF_STYLE_WIN4, nullptr, "names.inf");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetupFindFirstLineA(inf, "\xF0\xC0\xC7", "\xEA\xEB\xFE\xF7", &context));
    EXPECT_EQ(Field(context, 0), "\xCA\xEB\xFE\xF7");
    EXPECT_EQ(Field(context, 1), "cyrillic");
    ASSERT_TRUE(SetupFindFirstLineA(inf, "s", "\xCA\xCB\xDE\xD7", &context));
    EXPECT_FALSE(SetupFindFirstLineA(inf, "S", "????", &context));
}

TEST_F(Encoding, AnsiFilesAreReadInTheMachinesCodePage)
{
    // In code page 932, 0x95 0x5C is one character: its trail byte neither
    // continues the line nor splits the name.
    UseMachine(R"({"languages": {"systemDefault": "0x0411", "userDefault": "0x0411", "userUI": "0x0411"}})");
    HINF inf = Open(kHeader + "[S]\nx=\x95\x5C\ny=\x95\x5C\x8E\xA6,\"\x83\x5C\"\n\x95\x5C=key\n");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE);
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "S", "x", &context));
    EXPECT_EQ(Fields(context), (std::vector<std::string>{"\x95\x5C"}));
    ASSERT_TRUE(SetupFindFirstLineA(inf, "S", "y", &context));
    EXPECT_EQ(Fields(context), (std::vector<std::string>{"\x95\x5C\x8E\xA6", "\x83\x5C"}));
    ASSERT_TRUE(SetupFindFirstLineA(inf, "S", "\x95\x5C", &context));
    EXPECT_EQ(Field(context, 1), "key");
}

TEST(TextDecoding, ByteOrderMarksCodePagesAndMalformedInput)
{
    using plat::inf::DecodeInfBytes;
    EXPECT_EQ(DecodeInfBytes("\xEF\xBB\xBF" "a\xC3\xA9\xE2\x82\xAC\xCE\xA9", 1252), "a\xC3\xA9\xE2\x82\xAC\xCE\xA9");
    EXPECT_EQ(DecodeInfBytes("\xEF\xBB\xBF" "a\xC3", 1252), "a\xEF\xBF\xBD");
    EXPECT_EQ(DecodeInfBytes("\xEF\xBB\xBF" "\xFF" "b", 1252), "\xEF\xBF\xBD" "b");
    EXPECT_EQ(DecodeInfBytes(std::string("\xFF\xFE" "a\0\x3D\xD8" "b\0", 8), 1252), "a\xEF\xBF\xBD" "b"); // lone surrogate
    EXPECT_EQ(DecodeInfBytes(std::string("\xFF\xFE" "a\0b", 5), 1252), "a");                      // odd last byte
    EXPECT_EQ(DecodeInfBytes(std::string("\xFF\xFE\x81\x00\x80\x00", 6), 1252), "\xC2\x81\xC2\x80");
    EXPECT_EQ(DecodeInfBytes("plain \xE9", 1252), "plain \xC3\xA9");
    EXPECT_EQ(DecodeInfBytes("x=\x95\x5C\n", 932), "x=\xE8\xA1\xA8\n");
}
