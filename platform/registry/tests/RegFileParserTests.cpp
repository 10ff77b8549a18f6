// The .reg file parser: encodings, headers, value syntax, continuation
// lines, line ends, and the line numbers of faults.
#include "registry/RegFileParser.h"

#include <win/registry.h>

#include <gtest/gtest.h>

#include <cstdio>

using namespace plat::registry;
using namespace std::literals;

namespace {

// Writes what the parser reports as one line per event.
class Recorder : public RegFileSink {
public:
    std::vector<std::string> events;

    void OnKey(const RegKeyPath& key) override { events.push_back("key " + path(key)); }
    void OnDeleteKey(const RegKeyPath& key) override { events.push_back("delete-key " + path(key)); }
    void OnValue(const std::string& name, DWORD type, std::vector<BYTE> data) override
    {
        std::string line = "value [" + name + "] type " + std::to_string(type) + ":";
        char hex[4];
        for (BYTE b : data) {
            std::snprintf(hex, sizeof(hex), " %02x", b);
            line += hex;
        }
        events.push_back(line);
    }
    void OnDeleteValue(const std::string& name) override { events.push_back("delete-value [" + name + "]"); }

private:
    static std::string path(const RegKeyPath& key)
    {
        std::string out = RootName(key.root);
        for (const auto& e : key.elements)
            out += "\\" + e;
        return out;
    }
};

std::vector<std::string> parse(std::string_view bytes, RegFileError* error = nullptr)
{
    Recorder recorder;
    RegFileError local;
    bool ok = ParseRegFile(bytes, recorder, error ? error : &local);
    if (!ok && !error)
        ADD_FAILURE() << "line " << local.line << ": " << local.message << "\n" << bytes;
    return recorder.events;
}

// UTF-16LE with BOM, as regedit saves files.
std::string utf16(std::string_view ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

const char* const kSample = "Windows Registry Editor Version 5.00\r\n"
                            "\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
                            "@=\"default\"\r\n"
                            "\"Count\"=dword:0000002a\r\n";

} // namespace

TEST(RegFileParser, ReadsUtf16AndUtf8FilesAlike)
{
    std::vector<std::string> expected = {
        "key HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor",
        "value [] type 1: 64 00 65 00 66 00 61 00 75 00 6c 00 74 00 00 00",
        "value [Count] type 4: 2a 00 00 00",
    };
    EXPECT_EQ(parse(kSample), expected);
    EXPECT_EQ(parse(utf16(kSample)), expected);
    EXPECT_EQ(parse(std::string("\xEF\xBB\xBF") + kSample), expected);
}

TEST(RegFileParser, NonAsciiTextBecomesUtf16InEveryEncoding)
{
    // "Größe" in UTF-8, in UTF-16LE, and as a REGEDIT4 file in the ANSI code page.
    std::string utf8 = "REGEDIT4\n[HKEY_USERS\\K]\n\"Gr\xC3\xB6\xC3\x9F" "e\"=\"\xC3\xA9\"\n";
    std::string ansi = "REGEDIT4\n[HKEY_USERS\\K]\n\"Gr\xF6\xDF" "e\"=\"\xE9\"\n";
    std::string wide = "\xFF\xFE";
    std::u16string text = u"REGEDIT4\n[HKEY_USERS\\K]\n\"Größe\"=\"é\"\n";
    for (char16_t c : text) {
        wide.push_back(static_cast<char>(c & 0xFF));
        wide.push_back(static_cast<char>(c >> 8));
    }
    std::vector<std::string> expected = {"key HKEY_USERS\\K", "value [Gr\xC3\xB6\xC3\x9F" "e] type 1: e9 00 00 00"};
    EXPECT_EQ(parse(utf8), expected);
    EXPECT_EQ(parse(ansi), expected);
    EXPECT_EQ(parse(wide), expected);
}

TEST(RegFileParser, HeaderIsAsStrictAsRegedit)
{
    struct Case {
        const char* header;
        bool accepted;
    } cases[] = {
        {"Windows Registry Editor Version 5.00", true},
        {"REGEDIT4", true},
        {"  \tREGEDIT4", true},
        {"REGEDIT4 ", false},
        {"regedit4", false},
        {"REGEDIT 4", false},
        {"REGEDIT", false},
        {"REGEDIT5", false},
        {"Windows Registry Editor Version 5.0", false},
        {"Windows Registry Editor Version 5.000", false},
        {"windows registry editor version 5.00", false},
        {"; comment", false},
        {"", false},
    };
    for (const Case& c : cases) {
        std::string file = std::string(c.header) + "\n[HKEY_USERS\\K]\n";
        RegFileError error;
        Recorder recorder;
        EXPECT_EQ(ParseRegFile(file, recorder, &error), c.accepted) << "header: [" << c.header << "]";
        if (!c.accepted) {
            EXPECT_EQ(error.line, 1) << c.header;
        }
    }
}

TEST(RegFileParser, ValueSyntax)
{
    struct Case {
        const char* line;
        const char* event;
    } cases[] = {
        {R"("Path"="C:\\Windows\\INF")", "value [Path] type 1: 43 00 3a 00 5c 00 57 00 69 00 6e 00 64 00 6f 00 77 00 "
                                          "73 00 5c 00 49 00 4e 00 46 00 00 00"},
        {R"("Q"="say \"hi\"")", "value [Q] type 1: 73 00 61 00 79 00 20 00 22 00 68 00 69 00 22 00 00 00"},
        {R"("a\\b\"c"="")", "value [a\\b\"c] type 1: 00 00"},
        {R"(""="x")", "value [] type 1: 78 00 00 00"},
        {R"(@ = "x" ; comment)", "value [] type 1: 78 00 00 00"},
        {R"("D"=dword:1)", "value [D] type 4: 01 00 00 00"},
        {R"("D"=dword:FFFFfffe)", "value [D] type 4: fe ff ff ff"},
        {R"("B"=hex:)", "value [B] type 3:"},
        {R"("B"=hex:0,1f, Ab ,ff,)", "value [B] type 3: 00 1f ab ff"},
        {R"("E"=hex(2):25,00,41,00,25,00,00,00)", "value [E] type 2: 25 00 41 00 25 00 00 00"},
        {R"("M"=hex(7):61,00,00,00,62,00,00,00,00,00)", "value [M] type 7: 61 00 00 00 62 00 00 00 00 00"},
        {R"("N"=hex(0):)", "value [N] type 0:"},
        {R"("Q"=hex(b):01,00,00,00,00,00,00,00)", "value [Q] type 11: 01 00 00 00 00 00 00 00"},
        {R"("T"=hex(ffff0001):05)", "value [T] type 4294901761: 05"},
        {R"("Gone"=-)", "delete-value [Gone]"},
        {R"(@=-)", "delete-value []"},
    };
    for (const Case& c : cases) {
        std::string file = std::string("Windows Registry Editor Version 5.00\n[HKEY_USERS\\K]\n") + c.line + "\n";
        std::vector<std::string> events = parse(file);
        ASSERT_EQ(events.size(), 2u) << c.line;
        EXPECT_EQ(events[1], c.event) << c.line;
    }
}

TEST(RegFileParser, Regedit4HexTextIsAnsiAndVersion5IsUtf16)
{
    std::vector<std::string> v4 = parse("REGEDIT4\n[HKEY_USERS\\K]\n\"E\"=hex(2):25,41,e9,00\n");
    std::vector<std::string> v5 =
        parse("Windows Registry Editor Version 5.00\n[HKEY_USERS\\K]\n\"E\"=hex(2):25,00,41,00,e9,00,00,00\n");
    ASSERT_EQ(v4.size(), 2u);
    EXPECT_EQ(v4[1], "value [E] type 2: 25 00 41 00 e9 00 00 00");
    EXPECT_EQ(v4, v5);
    // Binary data is bytes in both formats.
    EXPECT_EQ(parse("REGEDIT4\n[HKEY_USERS\\K]\n\"B\"=hex:e9\n")[1], "value [B] type 3: e9");
}

TEST(RegFileParser, ContinuationLinesAndComments)
{
    std::string file = "Windows Registry Editor Version 5.00\n"
                       "; a comment before the key\n"
                       "[HKEY_LOCAL_MACHINE\\K] ; a comment after it\n"
                       "\"B\"=hex:01,02,\\\n"
                       "  03,04,\\\n"
                       "  ; a comment inside the data\n"
                       "\t05\n"
                       "   ;indented comment\n"
                       "\"After\"=dword:00000001\n";
    std::vector<std::string> expected = {"key HKEY_LOCAL_MACHINE\\K", "value [B] type 3: 01 02 03 04 05",
                                         "value [After] type 4: 01 00 00 00"};
    EXPECT_EQ(parse(file), expected);
}

TEST(RegFileParser, KeyLines)
{
    std::vector<std::string> expected = {
        "key HKEY_CURRENT_USER\\Software\\A",
        "key HKEY_CLASSES_ROOT\\.txt",
        "key HKEY_LOCAL_MACHINE",
        "key HKEY_CURRENT_CONFIG\\Software",
        "key HKEY_USERS\\Trailing",
        "key HKEY_USERS\\With]Bracket",
        "delete-key HKEY_LOCAL_MACHINE\\SOFTWARE\\Old",
    };
    EXPECT_EQ(parse("REGEDIT4\n"
                    "[HKEY_CURRENT_USER\\Software\\A]\n"
                    "[hkey_classes_root\\.txt]\n"
                    "[HKEY_LOCAL_MACHINE]\n"
                    "[HKEY_CURRENT_CONFIG\\Software]\n"
                    "[HKEY_USERS\\Trailing\\]\n"
                    "[HKEY_USERS\\With]Bracket]\n"
                    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\n"),
              expected);
}

TEST(RegFileParser, CrLfLfAndCrLineEndsGiveTheSameLines)
{
    std::string lf = "REGEDIT4\n[HKEY_USERS\\K]\n\"B\"=hex:01,\\\n02\n\"S\"=\"s\"\n";
    std::string crlf, cr;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    EXPECT_EQ(parse(crlf), parse(lf));
    EXPECT_EQ(parse(cr), parse(lf));
    EXPECT_EQ(parse(lf).size(), 3u);

    RegFileError error;
    EXPECT_EQ(parse("REGEDIT4\r[HKEY_USERS\\K]\r\rjunk\r", &error).size(), 1u);
    EXPECT_EQ(error.line, 4);
}

TEST(RegFileParser, BrokenFilesNameTheLine)
{
    struct Case {
        std::string_view text; // may hold NULs
        int line;
        const char* message; // part of the message
    } cases[] = {
        {""sv, 1, "empty file"},
        {"\n"sv, 1, "first line"},
        {"REGEDIT4\n\"v\"=\"x\"\n"sv, 2, "before the first [key]"},
        {"REGEDIT4\n[HKLM\\Software]\n"sv, 2, "unknown root key \"HKLM\""},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n"sv, 2, "empty key name"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n"sv, 2, "must end with ']'"},
        {"REGEDIT4\n[]\n"sv, 2, "empty key name"},
        {"REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n"sv, 2, "root key cannot be removed"},
        {"REGEDIT4\n[-HKEY_USERS\\K]\n\"v\"=\"x\"\n"sv, 3, "removed [-key]"},
        {"REGEDIT4\n[HKEY_USERS\\K]\njunk\n"sv, 3, "not a [key] line"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"\"x\"\n"sv, 3, "expected '='"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v=\"x\"\n"sv, 3, "expected '='"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=\"x\n"sv, 3, "no closing quote"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=\"C:\\Windows\"\n"sv, 3, "unknown escape \\W"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=\"x\" y\n"sv, 3, "after the closing quote"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=dword:\n"sv, 3, "1 to 8 hex digits"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=dword:123456789\n"sv, 3, "1 to 8 hex digits"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=dword:0x1\n"sv, 3, "after the dword"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=DWORD:1\n"sv, 3, "unknown value data"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex(2)01\n"sv, 3, "hex(N):"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex():01\n"sv, 3, "hex(N):"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:123\n"sv, 3, "more than two hex digits"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:01,,02\n"sv, 3, "missing byte"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:01 02\n"sv, 3, "missing ','"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:0g\n"sv, 3, "unexpected character 'g'"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:01,\\ x\n"sv, 3, "after the continuation"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:01,\\\n02,\\\n\n"sv, 5, "blank line inside hex data"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:01,\\\nzz\n"sv, 4, "unexpected character 'z'"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:01,\\"sv, 3, "file ends inside hex data"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=-x\n"sv, 3, "after '-'"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=\n"sv, 3, "unknown value data"},
        {"REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=\"a\0b\"\n"sv, 3, "NUL character"},
        {"\xFE\xFF\0R"sv, 1, "big-endian"},
        {"\xFF\xFER\0E\0\n\0\x00\xD8"sv, 2, "lone surrogate"},
        {"\xFF\xFER\0E\0\n\0X"sv, 2, "odd number of bytes"},
    };
    for (const Case& c : cases) {
        RegFileError error;
        Recorder recorder;
        EXPECT_FALSE(ParseRegFile(c.text, recorder, &error)) << c.message;
        EXPECT_EQ(error.line, c.line) << c.message << " -> " << error.message;
        EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    }
}

TEST(RegFileParser, LongNamesAreRefused)
{
    std::string longKey(256, 'k');
    std::string longValue(16384, 'v');
    RegFileError error;
    Recorder recorder;
    EXPECT_FALSE(ParseRegFile("REGEDIT4\n[HKEY_USERS\\" + longKey + "]\n", recorder, &error));
    EXPECT_EQ(error.line, 2);
    EXPECT_TRUE(ParseRegFile("REGEDIT4\n[HKEY_USERS\\" + longKey.substr(1) + "]\n", recorder, &error));
    EXPECT_FALSE(ParseRegFile("REGEDIT4\n[HKEY_USERS\\K]\n\"" + longValue + "\"=\"\"\n", recorder, &error));
    EXPECT_EQ(error.line, 3);
}
