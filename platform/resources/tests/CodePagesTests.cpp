#include "core/testing/TempProfile.h"
#include "core/CodePages.h"

#include <win/errors.h>
#include <win/kernel.h>
#include <win/resources.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace plat::codepages;
using plat::testing::TempProfile;

namespace {

std::string toAnsi(UINT codePage, const std::u16string& text, BOOL* usedDefault = nullptr)
{
    int n = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    EXPECT_EQ(WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                                  usedDefault),
              n);
    return out;
}

std::u16string toWide(UINT codePage, const std::string& bytes)
{
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n), u'\0');
    EXPECT_EQ(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n), n);
    return out;
}

} // namespace

TEST(CodePages, EachLanguageHasItsWindowsAnsiCodePage)
{
    struct Case {
        LANGID language;
        UINT codePage;
    } cases[] = {
        {0x0409, 1252}, {0x0407, 1252}, {0x040c, 1252}, {0x0c0a, 1252}, {0x0416, 1252}, {0x041d, 1252},
        {0x0415, 1250}, {0x041a, 1250}, {0x0418, 1250}, {0x0405, 1250}, {0x040e, 1250}, {0x081a, 1250},
        {0x0419, 1251}, {0x0422, 1251}, {0x0402, 1251}, {0x0c1a, 1251}, {0x082c, 1251}, {0x0408, 1253},
        {0x041f, 1254}, {0x042c, 1254}, {0x040d, 1255}, {0x0401, 1256}, {0x0429, 1256}, {0x0425, 1257},
        {0x042a, 1258}, {0x041e, 874},  {0x0411, 932},  {0x0804, 936},  {0x1004, 936},  {0x0412, 949},
        {0x0404, 950},  {0x0c04, 950},  {0x1404, 950},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnsiCodePageOf(c.language), c.codePage) << std::hex << c.language;
}

TEST(CodePages, GetAcpFollowsTheSystemDefaultLanguage)
{
    TempProfile profile;
    profile.Write("machine.json", R"({"languages": {"systemDefault": "0x0419", "userUI": "0x0409"}})");
    ASSERT_EQ(profile.Load(), "");
    EXPECT_EQ(GetACP(), 1251u);
    EXPECT_EQ(toAnsi(CP_ACP, u"Программа"), "\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0");
    EXPECT_EQ(toAnsi(CP_THREAD_ACP, u"Ж"), "\xC6");
    profile.Write("machine.json", R"({"languages": {"systemDefault": "0x0411"}})");
    ASSERT_EQ(profile.Load(), "");
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_TRUE(IsDBCSLeadByte(0x82));
    EXPECT_FALSE(IsDBCSLeadByte(0x41));
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x82));
}

TEST(CodePages, TextRoundTripsThroughEveryCodePage)
{
    struct Case {
        UINT codePage;
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {1252, u"Diagnostiskt verktyg för modem", "Diagnostiskt verktyg f\xF6r modem"},
        {1250, u"Dijagnostički alat", "Dijagnosti\xE8ki alat"},
        {1251, u"Программа", "\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0"},
        {1253, u"Μόντεμ", "\xCC\xFC\xED\xF4\xE5\xEC"},
        {1254, u"ğış", "\xF0\xFD\xFE"},
        {1255, u"מודם", "\xEE\xE5\xE3\xED"},
        {1256, u"أداة", "\xC3\xCF\xC7\xC9"},
        {874, u"โมเด็ม", "\xE2\xC1\xE0\xB4\xE7\xC1"},
        {932, u"モデム診断ツール", "\x83\x82\x83\x66\x83\x80\x90\x66\x92\x66\x83\x63\x81\x5B\x83\x8B"},
        {936, u"调制解调器", "\xB5\xF7\xD6\xC6\xBD\xE2\xB5\xF7\xC6\xF7"},
        {949, u"모뎀 진단", "\xB8\xF0\xB5\xA9 \xC1\xF8\xB4\xDC"},
        {950, u"數據機", "\xBC\xC6\xBE\xDA\xBE\xF7"},
        {65001, u"ü\U0001F4DE", "\xC3\xBC\xF0\x9F\x93\x9E"},
    };
    for (const Case& c : cases) {
        BOOL usedDefault = TRUE;
        EXPECT_EQ(toAnsi(c.codePage, c.text, c.codePage == CP_UTF8 ? nullptr : &usedDefault), c.bytes) << c.codePage;
        if (c.codePage != CP_UTF8) {
            EXPECT_FALSE(usedDefault) << c.codePage;
        }
        EXPECT_EQ(toWide(c.codePage, c.bytes), c.text) << c.codePage;
    }
}

TEST(CodePages, MissingCharactersBecomeTheDefaultCharacter)
{
    BOOL usedDefault = FALSE;
    EXPECT_EQ(toAnsi(1252, u"モデム x", &usedDefault), "??? x");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(toAnsi(1252, u"\U0001F4DE"), "?"); // one default character for a surrogate pair

    char out[8] = {};
    std::u16string text = u"aЖb";
    EXPECT_EQ(WideCharToMultiByte(1252, 0, text.c_str(), 3, out, sizeof(out), "#", &usedDefault), 3);
    EXPECT_EQ(std::string(out, 3), "a#b");

    EXPECT_EQ(toWide(932, "\x82"), u"?");     // a lead byte at the end
    EXPECT_EQ(toWide(1252, "\x81"), u"\x81"); // 1252's holes keep their value
    EXPECT_EQ(toWide(CP_UTF8, "a\xFF" "b"), u"a\xFFFD" u"b");
}

TEST(CodePages, ConversionsFailAsWindowsFailsThem)
{
    char out[4];
    WCHAR wide[4];
    BOOL used = FALSE;
    const char16_t* hello = u"hello";
    const char16_t lone[] = {u'a', 0xD800, 0};
    struct Case {
        const char* what;
        std::function<int()> call;
        DWORD error;
    } cases[] = {
        {"empty input", [&] { return WideCharToMultiByte(1252, 0, hello, 0, out, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"no input", [&] { return WideCharToMultiByte(1252, 0, nullptr, 3, out, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"unknown code page", [&] { return WideCharToMultiByte(1361, 0, hello, 3, out, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"default char with UTF-8", [&] { return WideCharToMultiByte(CP_UTF8, 0, hello, 3, out, 4, nullptr, &used); },
         ERROR_INVALID_PARAMETER},
        {"small buffer", [&] { return WideCharToMultiByte(1252, 0, hello, -1, out, 4, nullptr, nullptr); },
         ERROR_INSUFFICIENT_BUFFER},
        {"bad flags",
         [&] { return WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, hello, 3, out, 4, nullptr, nullptr); },
         ERROR_INVALID_FLAGS},
        {"lone surrogate",
         [&] { return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, -1, out, 4, nullptr, nullptr); },
         ERROR_NO_UNICODE_TRANSLATION},
        {"invalid UTF-8", [&] { return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC3", 2, wide, 4); },
         ERROR_NO_UNICODE_TRANSLATION},
        {"both compositions", [&] { return MultiByteToWideChar(1252, MB_PRECOMPOSED | MB_COMPOSITE, "a", 1, wide, 4); },
         ERROR_INVALID_FLAGS},
        {"small wide buffer", [&] { return MultiByteToWideChar(1252, 0, "hello", -1, wide, 4); },
         ERROR_INSUFFICIENT_BUFFER},
    };
    for (const Case& c : cases) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(c.call(), 0) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }

    // -1 counts the terminator; a zero-sized output asks for the size.
    EXPECT_EQ(WideCharToMultiByte(1252, 0, hello, -1, nullptr, 0, nullptr, nullptr), 6);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "hello", -1, nullptr, 0), 6);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, -1, nullptr, 0, nullptr, nullptr), 5); // a, U+FFFD, NUL
}

TEST(CodePages, CutsFallOnCharacterBoundaries)
{
    struct Case {
        UINT codePage;
        std::string bytes;
        size_t limit;
        size_t expected;
    } cases[] = {
        {932, "\x83\x82\x83\x66\x83\x80", 5, 4},
        {932, "a\x83\x82", 2, 1},
        {949, "\xB8\xF0 \xB5\xA9", 4, 3},
        {1252, "abcdef", 4, 4},
        {CP_UTF8, "a\xC3\xBC" "b", 2, 1},
        {874, "\xE2\xC1\xE0", 2, 2},
        {1252, "ab", 5, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharBoundary(c.codePage, c.bytes, c.limit), c.expected) << c.codePage << " " << c.limit;
}
