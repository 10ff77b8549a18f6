// The emulated PC's text toolkit: ASCII classes, case folding, UTF-8 and
// UTF-16, and the code pages, where a wrong table entry would hide.
#include "core/AsciiText.h"
#include "core/CaseFolding.h"
#include "core/CodePages.h"
#include "core/Unicode.h"
#include "core/testing/TempProfile.h"

#include <gtest/gtest.h>

#include <string>

namespace text = plat::text;
namespace codepages = plat::codepages;

namespace {

std::string utf8Of(char32_t c)
{
    std::string out;
    text::AppendUtf8(c, &out);
    return out;
}

} // namespace

TEST(AsciiText, OnlyAsciiBytesAreBlanksDigitsOrLetters)
{
    for (int b = 0; b < 256; ++b) {
        char c = static_cast<char>(b);
        bool blank = b == ' ' || b == '\t';
        bool space = blank || b == '\n' || b == '\r' || b == '\v' || b == '\f';
        int digit = (b >= '0' && b <= '9') ? b - '0'
                    : (b >= 'a' && b <= 'f') ? b - 'a' + 10
                    : (b >= 'A' && b <= 'F') ? b - 'A' + 10
                                             : -1;
        char upper = (b >= 'a' && b <= 'z') ? static_cast<char>(b - 32) : c;
        EXPECT_EQ(text::IsBlank(c), blank) << b;
        EXPECT_EQ(text::IsSpace(c), space) << b; // not NBSP (0xA0) nor NEL (0x85)
        EXPECT_EQ(text::HexDigitValue(c), digit) << b;
        EXPECT_EQ(text::ToUpperAscii(c), upper) << b;
    }
}

TEST(AsciiText, EqualNoCaseFoldsAsciiLettersOnly)
{
    struct Case {
        std::string a, b;
        bool equal;
    } cases[] = {
        {"ROOT\\Modem\\0000", "root\\MODEM\\0000", true},
        {"", "", true},
        {"abc", "abcd", false},
        {"@[\\]^", "`{|}~", false},          // differ by 0x20 but are no letters
        {"caf\xE9", "CAF\xC9", false},       // Latin-1 bytes stay as they are
        {"\xC3\xA9", "\xC3\x89", false},     // and so do UTF-8 ones
    };
    for (const Case& c : cases)
        EXPECT_EQ(text::EqualNoCaseAscii(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(text::UpperAscii("mdmHayes\xE9z"), "MDMHAYES\xE9Z");
}

TEST(CaseFolding, LettersFoldToTheirCapitalsAndNothingElseMoves)
{
    struct Case {
        char32_t from, to;
    } cases[] = {
        {U'a', U'A'},       {U'Z', U'Z'},       {U'@', U'@'},       {U'`', U'`'},
        {0xB5, 0xB5},       // micro sign: no capital in Latin-1
        {0xDF, 0xDF},       // sharp s stays
        {0xE0, 0xC0},       {0xFE, 0xDE},       {0xF7, 0xF7},       // division sign
        {0xFF, 0x178},      // y with diaeresis leaves Latin-1
        {0x101, 0x100},     {0x100, 0x100},     {0x12F, 0x12E},
        {0x130, 0x130},     {0x131, 0x131},     {0x138, 0x138},     // dotted I, dotless i, kra
        {0x13A, 0x139},     {0x139, 0x139},     {0x148, 0x147},     // the odd-paired run
        {0x149, 0x149},     {0x14B, 0x14A},     {0x17A, 0x179},     {0x17E, 0x17D},
        {0x17F, 0x17F},     // long s
        {0x3B1, 0x391},     {0x3C9, 0x3A9},     {0x3C2, 0x3A3},     // final sigma
        {0x3AC, 0x3AC},     // accented alpha is outside the folded range
        {0x430, 0x410},     {0x44F, 0x42F},     {0x450, 0x400},     {0x45F, 0x40F},
        {0x460, 0x460},     {0x1F600, 0x1F600},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<uint32_t>(text::FoldUpper(c.from)), static_cast<uint32_t>(c.to)) << std::hex << static_cast<uint32_t>(c.from);
}

TEST(CaseFolding, NamesCompareWithoutRegardToCase)
{
    EXPECT_EQ(text::FoldCase("stra\xC3\x9F" "e"), "STRA\xC3\x9F" "E");
    EXPECT_EQ(text::FoldCase(utf8Of(0xFF)), utf8Of(0x178));
    EXPECT_TRUE(text::EqualNoCase("\xC3\x84rger", "\xC3\xA4RGER"));
    EXPECT_TRUE(text::EqualNoCase("\xD0\x9C\xD0\xBE\xD0\xB4\xD0\xB5\xD0\xBC", "\xD0\xBC\xD0\x9E\xD0\x94\xD0\x95\xD0\x9C"));
    EXPECT_FALSE(text::EqualNoCase("\xC3\xA9", "e"));
    // A malformed sequence reads as U+FFFD.
    EXPECT_EQ(text::FoldCase("a\xC3"), "A\xEF\xBF\xBD");
}

TEST(Unicode, EachUtf8SequenceReadsAsOneCodePointOrOneReplacement)
{
    struct Case {
        std::string bytes;
        char32_t code;
        size_t taken;
    } cases[] = {
        {"A", U'A', 1},
        {"\xC3\xA9", 0xE9, 2},
        {"\xF0\x9F\x98\x80", 0x1F600, 4},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
        {"\xC3", 0xFFFD, 1},                 // cut short
        {"\xC3" "A", 0xFFFD, 1},             // stray byte: the next character survives
        {"\x80", 0xFFFD, 1},                 // continuation byte alone
        {"\xF8\x88\x80\x80\x80", 0xFFFD, 1}, // five-byte form
        {"\xC0\x80", 0xFFFD, 2},             // overlong NUL
        {"\xE0\x80\x80", 0xFFFD, 3},         // overlong
        {"\xED\xA0\x80", 0xFFFD, 3},         // surrogate
        {"\xF4\x90\x80\x80", 0xFFFD, 4},     // past U+10FFFF
    };
    for (const Case& c : cases) {
        size_t pos = 0;
        EXPECT_EQ(static_cast<uint32_t>(text::NextCodePoint(c.bytes, &pos)), static_cast<uint32_t>(c.code))
            << c.bytes;
        EXPECT_EQ(pos, c.taken) << c.bytes;
        EXPECT_EQ(text::IsUtf8(c.bytes), c.code != 0xFFFD) << c.bytes;
    }
    EXPECT_TRUE(text::IsUtf8("\xEF\xBF\xBD")); // a written U+FFFD is no fault
}

TEST(Unicode, Utf16PairsJoinAndLoneSurrogatesBecomeReplacements)
{
    EXPECT_EQ(text::Utf16ToUtf8(u"a\U0001F600b"), "a\xF0\x9F\x98\x80" "b");
    EXPECT_EQ(text::Utf16ToUtf8(std::u16string{0xD83D}), "\xEF\xBF\xBD");
    EXPECT_EQ(text::Utf16ToUtf8(std::u16string{0xDE00, u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(text::Utf16ToUtf8(std::u16string{0xD83D, u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(text::Utf8ToUtf16("a\xF0\x9F\x98\x80\xC3"), (std::u16string{u'a', 0xD83D, 0xDE00, 0xFFFD}));

    std::string text = "a\xF0\x9F\x98\x80" "b";
    EXPECT_EQ(text::Utf16Length(text), 4u);
    std::string cut = text;
    text::CutToUtf16Length(&cut, 2); // would split the pair
    EXPECT_EQ(cut, "a");
    cut = text;
    text::CutToUtf16Length(&cut, 3);
    EXPECT_EQ(cut, "a\xF0\x9F\x98\x80");
}

TEST(CodePages, Windows1252DecodesAsTheRegistryAlwaysRead8BitFiles)
{
    // Bytes 0x80..0x9F; the five holes keep their value as C1 controls.
    constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::u16string decoded = codepages::Decode(1252, all).text;
    ASSERT_EQ(decoded.size(), 256u);
    for (int b = 0; b < 256; ++b) {
        char16_t expected = (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : static_cast<char16_t>(b);
        EXPECT_EQ(static_cast<int>(decoded[b]), static_cast<int>(expected)) << std::hex << b;
    }
    EXPECT_EQ(codepages::DecodeToUtf8(1252, "\x80 caf\xE9"), "\xE2\x82\xAC caf\xC3\xA9");
}

TEST(CodePages, DoubleByteLeadBytesAndTrailBytesThatLookLikeAscii)
{
    struct Lead {
        UINT page;
        unsigned char byte;
        bool lead;
    } leads[] = {
        {932, 0x80, false}, {932, 0x81, true},  {932, 0x9F, true},  {932, 0xA0, false},
        {932, 0xB1, false}, {932, 0xDF, false}, {932, 0xE0, true},  {932, 0xFC, true},
        {932, 0xFD, false}, {936, 0x80, false}, {936, 0x81, true},  {936, 0xFE, true},
        {936, 0xFF, false}, {1252, 0x81, false}, {65001, 0xC3, false},
    };
    for (const Lead& l : leads)
        EXPECT_EQ(codepages::IsLeadByte(l.page, l.byte), l.lead) << l.page << " " << static_cast<int>(l.byte);

    // 0x95 0x5C is one character whose trail byte is '\'.
    EXPECT_EQ(codepages::DecodeToUtf8(932, "\x95\x5C\x5C"), "\xE8\xA1\xA8\\");
    EXPECT_EQ(codepages::DecodeToUtf8(932, "\xB1"), "\xEF\xBD\xB1"); // half-width katakana: one byte
    EXPECT_EQ(codepages::DecodeToUtf8(932, "A\x82"), "A?");         // a lead byte at the end
    EXPECT_EQ(codepages::DecodeToUtf8(936, "\xC4\xE3]"), "\xE4\xBD\xA0]");
    EXPECT_EQ(codepages::Encode(932, u"\u8868", "?").bytes, "\x95\x5C");
}

TEST(CodePages, MachineAnsiFollowsTheSystemLanguage)
{
    plat::testing::TempProfile western;
    ASSERT_EQ(western.Load(), "");
    EXPECT_EQ(codepages::FromMachineAnsi("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(codepages::ToMachineAnsi("caf\xC3\xA9 \xE4\xB8\xAD"), "caf\xE9 ?");
    EXPECT_EQ(codepages::ToMachineAnsi("plain"), "plain");

    plat::testing::TempProfile japanese;
    japanese.Write("machine.json", R"({"languages": {"systemDefault": "0x0411"}})");
    ASSERT_EQ(japanese.Load(), "");
    EXPECT_EQ(codepages::ToMachineAnsi("C:\\\xE8\xA1\xA8\\x"), "C:\\\x95\x5C\\x");
    EXPECT_EQ(codepages::FromMachineAnsi("C:\\\x95\x5C\\x"), "C:\\\xE8\xA1\xA8\\x");
}
