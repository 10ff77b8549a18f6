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

TEST(TextDecoding, ByteOrderMarksAndMalformedInput)
{
    using plat::inf::DecodeInfBytes;
    EXPECT_EQ(DecodeInfBytes("\xEF\xBB\xBF" "a\xC3\xA9\xE2\x82\xAC\xCE\xA9"), "a\xE9\x80?");
    EXPECT_EQ(DecodeInfBytes("\xEF\xBB\xBF" "a\xC3"), "a?");
    EXPECT_EQ(DecodeInfBytes("\xEF\xBB\xBF" "\xFF" "b"), "?b");
    EXPECT_EQ(DecodeInfBytes(std::string("\xFF\xFE" "a\0\x3D\xD8" "b\0", 8)), "a?b"); // lone surrogate
    EXPECT_EQ(DecodeInfBytes(std::string("\xFF\xFE" "a\0b", 5)), "a");                // odd last byte
    EXPECT_EQ(DecodeInfBytes(std::string("\xFF\xFE\x81\x00\x80\x00", 6)), "\x81?");
    EXPECT_EQ(DecodeInfBytes("plain \xE9"), "plain \xE9");
}
