// The rules that decide one AddReg line: which lines are passed over, and
// how the registry's value is compared with the line's data. Each case is
// one section "T" against the default machine's driver key.
#include "VerifyRegistryFixture.h"

#include "RegDataText.h"

using namespace verify_testing;

namespace {

struct LineCase {
    const char* inf;     // the lines of section "T"
    std::string values;  // .reg value lines of the driver key ("" for none)
    const char* failure; // the line before "~~ Failed ~~"; "" when it passes
};

void RunCases(const char* rule, const std::vector<LineCase>& cases)
{
    for (const LineCase& c : cases) {
        Verification out = VerifySection(c.inf, "", c.values);
        EXPECT_EQ(out.result, c.failure[0] ? 0 : 1) << rule << ": " << c.inf;
        EXPECT_EQ(FailureLine(out), c.failure) << rule << ": " << c.inf;
    }
}

} // namespace

TEST(AddRegLine, SkippedKeysMatchWholePathElements)
{
    RunCases("skipped keys", {
        {"HKR, StartPlay, 1,, \"x\"\n", "", ""},
        {"HKR, Voice\\StartPlay, 1,, \"x\"\n", "", ""},
        {"HKR, StartPlay\\Sub\n", "", ""},
        {"HKR, StartPlayback\n", "", " ERROR: Missing registry key StartPlayback"},
        {"HKR, Voice\\StartPlayback\n", "", " ERROR: Missing registry key Voice\\StartPlayback"},
        {"HKR, MyStartPlay\n", "", " ERROR: Missing registry key MyStartPlay"},
        // Only a name's first occurrence is looked at.
        {"HKR, StartPlayback\\StartPlay\n", "", " ERROR: Missing registry key StartPlayback\\StartPlay"},
        {"HKR, startplay\n", "", " ERROR: Missing registry key startplay"},
    });
}

TEST(AddRegLine, TrailBytesOfDoubleByteCharactersAreNoSeparators)
{
    // On a Japanese machine U+8868 is 0x95 0x5C in the ANSI code page. In
    // "<U+8868>StartPlay" the skipped name follows a trail byte, not a '\':
    // the key is compared, and its path is one element, not two.
    struct {
        const char* subkey; // as the INF writes it, in code page 932
        const char* regKey; // the registry's key below the driver key, UTF-8
        const char* failure;
    } cases[] = {
        {"\x95\x5CStartPlay", "\xE8\xA1\xA8StartPlay",
         " ERROR: Value 1. Different data! Compare infData =AT<cr> and regData = AT<lf>"},
        {"\x95\x5C\\StartPlay", "\xE8\xA1\xA8\\StartPlay", ""},
        {"\x95\x5C\x8E\xA6", "\xE8\xA1\xA8\xE7\xA4\xBA",
         " ERROR: Value 1. Different data! Compare infData =AT<cr> and regData = AT<lf>"},
    };
    for (const auto& c : cases) {
        DriverMachine machine;
        machine.SetLanguage(0x0411);
        machine.SetAddReg("T", std::string("[T]\nHKR, ") + c.subkey + ", 1,, \"AT<cr>\"\n");
        machine.DriverKey(c.regKey, "\"1\"=\"AT<lf>\"\n");
        Verification out = machine.Verify(false);
        EXPECT_EQ(out.result, c.failure[0] ? 0 : 1) << c.subkey;
        EXPECT_EQ(FailureLine(out), c.failure) << c.subkey;
    }
}

TEST(AddRegLine, RootsAndNamesAreComparedExactly)
{
    RunCases("case", {
        {"hkr, Nowhere\n", "", ""},
        {"HKEY_LOCAL_MACHINE, Nowhere\n", "", ""},
        {"HKLM, SOFTWARE\\Tarn\\Modem\n", "", ""},
        {"HKLM, SOFTWARE\\Tarn\\Nowhere\n", "", " ERROR: Missing registry key SOFTWARE\\Tarn\\Nowhere"},
        {"HKR, settings, prefix,, \"AT\"\n", "", ""}, // the registry finds names in any case
        {"HKR,, Properties, 1, 01\n", "", ""},
        {"HKR,, properties, 1, 80\n", "", " ERROR: (Name = properties)Different length: infDataLength = 1 and  "
                                          "regDataLength = 32 "},
        {"HKR,, Missing,, \"x\"\n", "", "ERROR: Missing registry value Missing"},
        {"HKR,, Reset, 0x00030000, \"x\"\n", "", ""}, // flags of no known type: existence only
        {"HKR,, Missing, 0x00030000\n", "", "ERROR: Missing registry value Missing"},
    });
}

TEST(AddRegLine, StringsCompareLengthThenData)
{
    RunCases("strings", {
        {"HKR,, Reset,, \"AT&F<cr>\"\n", "", ""},
        {"HKR,, Reset,, \"AT&F<cr> \"\n", "", " ERROR: (Name = Reset)Different length: infDataLength = 10 and  "
                                              "regDataLength = 9 "},
        {"HKR,, Reset,, \"at&f<cr>\"\n", "",
         " ERROR: Value Reset. Different data! Compare infData =at&f<cr> and regData = AT&F<cr>"},
        {"HKR,, Reset, 0x20000, \"AT&F<cr>\"\n", "", "Error: FLG_ADDREG_TYPE_EXPAND_SZ Type mismatch"},
        {"HKR,, Reset, 0\n", "", ""}, // no data: existence and type only
        // Stored without its terminating zero: one byte shorter.
        {"HKR,, Raw,, \"AB\"\n", "\"Raw\"=hex(1):41,00,42,00\n",
         " ERROR: (Name = Raw)Different length: infDataLength = 3 and  regDataLength = 2 "},
        {"HKR,, Raw,, \"A\"\n", "\"Raw\"=hex(1):41,00,42,00\n",
         " ERROR: Value Raw. Different data! Compare infData =A and regData = AB"},
        {"HKR,, Env, 0x20000, \"%%SystemRoot%%\"\n",
         "\"Env\"=hex(2):25,00,73,00,79,00,73,00,74,00,65,00,6d,00,72,00,6f,00,6f,00,74,00,25,00,00,00\n",
         " ERROR: Value Env. Different data! Compare infData =%SystemRoot% and regData = %systemroot%"},
        {"HKR,, Fits,, \"x\"\n", "\"Fits\"=\"" + std::string(1023, 'x') + "\"\n",
         " ERROR: (Name = Fits)Different length: infDataLength = 2 and  regDataLength = 1024 "},
        {"HKR,, Long,, \"x\"\n", "\"Long\"=\"" + std::string(1024, 'x') + "\"\n",
         "ERROR: Missing registry value Long"},
    });
}

TEST(AddRegLine, DwordMultiStringAndBinaryData)
{
    RunCases("typed data", {
        {"HKR,, CountryCode, 0x10001, 181\n", "", ""},
        {"HKR,, CountryCode, 0x10001, 0xb5\n", "", ""},
        {"HKR,, CountryCode, 0x10001, 182\n", "",
         " ERROR: Value CountryCode. Different data! Compare infData =B6 00 00 00 and regData = B5 00 00 00"},
        {"HKR,, CountryCode, 0x10001\n", "", ""},   // no data field: existence and type only
        {"HKR,, CountryCode, 0x10003\n", "", ""},   // FLG_ADDREG_NOCLOBBER is ignored
        {"HKR,, Reset, 0x10001\n", "", "Error: FLG_ADDREG_TYPE_DWORD Type mismatch"},
        {"HKR,, Missing, 0x10001\n", "", "ERROR: Missing registry value Missing"},
        {"HKR,, Big, 0x10001, 0x01020304\n", "\"Big\"=hex(4):04,03,02,01\n", ""},
        {"HKR,, Short, 0x10001, 1\n", "\"Short\"=hex(4):01,00\n",
         " ERROR: (Name = Short)Different length: infDataLength = 4 and  regDataLength = 2 "},
        {"HKR,, SupportedModes, 0x10000, \"Data\", \"Fax\", \"Voice\"\n", "", ""},
        {"HKR,, SupportedModes, 0x10008, \"Data\", \"Fax\", \"Voice\"\n", "", ""}, // FLG_ADDREG_APPEND
        {"HKR,, SupportedModes, 0x10000, \"Data\", \"Fax\", \"Voicf\"\n", "",
         " ERROR: Value SupportedModes. Different data! Compare infData =Data\\0Fax\\0Voicf\\0 and "
         "regData = Data\\0Fax\\0Voice\\0"},
        {"HKR,, SupportedModes, 0x10000, \"Data\", \"Fax\"\n", "",
         " ERROR: (Name = SupportedModes)Different length: infDataLength = 10 and  regDataLength = 16 "},
        {"HKR,, SupportedModes,, \"Data\"\n", "", "Error: FLG_ADDREG_TYPE_SZ Type mismatch"},
        {"HKR,, PortSubClass, 1, 02\n", "", ""},
        {"HKR,, InactivityScale, 1, 3c,00,00,0a\n", "",
         " ERROR: Value InactivityScale. Different data! Compare infData =3C 00 00 0A and regData = 3C 00 00 00"},
        {"HKR,, Nothing, 0x20001, 01\n", "\"Nothing\"=hex(0):02\n",
         " ERROR: Value Nothing. Different data! Compare infData =01 and regData = 02"},
        {"HKR,, Nothing, 0x20001\n", "\"Nothing\"=hex(0):02\n", ""},
        {"HKR,, PortSubClass, 0x20001, 02\n", "", "Error: FLG_ADDREG_TYPE_NONE Type mismatch"},
        {"HKR,, Reset, 1, 02\n", "", "Error: FLG_ADDREG_TYPE_BINARY Type mismatch"},
        {"HKR,, Reset, 0x10000, \"x\"\n", "", "Error: FLG_ADDREG_TYPE_MULTI_SZ Type mismatch"},
    });
}

TEST(RegDataText, WritesTextAndBytesWithinTheirLengths)
{
    struct Case {
        DWORD type;
        std::string data;
        size_t room;
        const char* text;
    } cases[] = {
        {REG_SZ, std::string("AT\0", 3), 64, "AT"},
        {REG_SZ, "AB", 64, "AB"}, // no terminator: nothing after the two bytes is read
        {REG_EXPAND_SZ, std::string("a\0b\0", 4), 64, "a\\0b"},
        {REG_MULTI_SZ, std::string("Data\0Fax\0\0", 10), 64, "Data\\0Fax\\0"},
        {REG_SZ, "a\r\nb", 64, "a\\x0D\\x0Ab"},
        {REG_BINARY, "\x01\x02\x0a", 64, "01 02 0A"},
        {REG_DWORD, std::string("\xb5\0\0\0", 4), 64, "B5 00 00 00"},
        {REG_NONE, "", 64, ""},
        {REG_BINARY, "\x01\x02\x03\x04", 8, "01 0..."},
        {REG_SZ, "abcdefgh", 6, "ab..."},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> data(c.data.begin(), c.data.end()); // exactly the data, for the sanitizers
        std::vector<char> text(c.room, '#');
        FormatRegData(c.type, data.data(), static_cast<DWORD>(data.size()), text.data(), text.size());
        EXPECT_STREQ(text.data(), c.text) << c.type << " " << c.text;
    }
}
