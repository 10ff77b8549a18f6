#include "FirmwareDriver.h"

#include <gtest/gtest.h>

#include <vector>

using plat::modemfw::Mode;
using plat::modemfw::testing::FirmwareDriver;

namespace {

struct Exchange {
    std::string send;
    std::string expected;
    double elapsedMs = -1; // when the last byte came, in modem ms; -1 = not checked
};

struct Case {
    const char* name;
    const char* settings;
    std::vector<Exchange> exchanges;
};

void runCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        FirmwareDriver modem(c.settings);
        for (const Exchange& x : c.exchanges) {
            EXPECT_EQ(modem.Send(x.send), x.expected) << c.name << ": " << x.send;
            if (x.elapsedMs >= 0) {
                EXPECT_NEAR(modem.ElapsedMs(), x.elapsedMs, 0.01) << c.name << ": " << x.send;
            }
        }
    }
}

} // namespace

TEST(Firmware, EchoVerboseAndNumericResults)
{
    runCases({
        {"echo ends in CR, LF ignored", "{}", {{"ATZ\r\n", "ATZ\r\r\nOK\r\n", 320}}},
        {"lower case", "{}", {{"at\r\n", "at\r\r\nOK\r\n", 20}}},
        {"bytes before A are no command", "{}", {{"\x01xyz\nAT\r", "AT\r\r\nOK\r\n"}}},
        {"E0 silences the next lines", "{}", {{"ATE0\r\n", "ATE0\r\r\nOK\r\n"}, {"AT\r\n", "\r\nOK\r\n"}}},
        {"V0 numeric codes", "{}", {{"ATV0\r\n", "ATV0\r0\r"}, {"ATX9\r\n", "ATX9\r4\r"}}},
        {"V0 information text", "{\"echo\": false}", {{"ATV0I3\r", "Virtual Data Fax Modem 1.0\r\n0\r"}}},
        {"Q1 has no result codes", "{}", {{"ATQ1\r", "ATQ1\r"}, {"ATI0\r", "ATI0\r\r\n56000\r\n"}}},
        {"ATZ restores the settings' defaults", "{\"echo\": false, \"verbose\": false}",
         {{"ATE1V1\r", "\r\nOK\r\n"}, {"ATZ\r", "ATZ\r0\r"}}},
        {"unknown commands answer ERROR", "{}",
         {{"AT+GMM\r", "AT+GMM\r\r\nERROR\r\n"}, {"ATE2\r", "ATE2\r\r\nERROR\r\n"}, {"AT&Q5\r", "AT&Q5\r\r\nERROR\r\n"}}},
        {"a line without AT is ignored", "{}", {{"AX\r", "AX\r"}}},
        {"S-registers", "{\"sRegisters\": {\"7\": 30}}",
         {{"ATS7?\r", "ATS7?\r\r\n030\r\n\r\nOK\r\n"},
          {"ATS7=5S7?\r", "ATS7=5S7?\r\r\n005\r\n\r\nOK\r\n"},
          {"ATS256=1\r", "ATS256=1\r\r\nERROR\r\n"},
          {"ATZ\r", "ATZ\r\r\nOK\r\n"},
          {"ATS7?\r", "ATS7?\r\r\n030\r\n\r\nOK\r\n"}}},
        {"identity texts", R"({"identity": {"5": ["Line one", "Line two"], "3": null}})",
         {{"ATI5\r", "ATI5\r\r\nLine one\r\nLine two\r\n\r\nOK\r\n"},
          {"ATI3\r", "ATI3\r\r\nERROR\r\n"},
          {"ATI9\r", "ATI9\r\r\nERROR\r\n"},
          {"ATI\r", "ATI\r\r\n56000\r\n\r\nOK\r\n"}}},
        {"command table", R"({"commands": {"AT+GMM": "VM-56", "ATI9": {"result": "ERROR"}, "AT X": {"result": "none"}}})",
         {{"at+gmm\r", "at+gmm\r\r\nVM-56\r\n\r\nOK\r\n"}, {"ATI9\r", "ATI9\r\r\nERROR\r\n"}, {"ATX\r", "ATX\r"}}},
        {"A/ repeats the last line", "{}", {{"ATI0\r", "ATI0\r\r\n56000\r\n\r\nOK\r\n"}, {"A/", "A/\r\r\n56000\r\n\r\nOK\r\n"}}},
        {"backspace edits the line", "{}", {{"ATX\b\r", "ATX\b \b\r\r\nOK\r\n"}}},
        {"an overlong line answers ERROR", "{\"echo\": false}", {{"AT" + std::string(300, 'E') + "\r", "\r\nERROR\r\n"}}},
        {"S3 is the line end", "{\"echo\": false}", {{"ATS3=33\r", "\r\nOK\r\n"}, {"AT\r", ""}, {"!", "\r\nOK\r\n"}}},
    });
}

TEST(Firmware, VendorCommands)
{
    runCases({
        {"DMA test passes", "{}", {{"AT|DMA=10000\r\n", "AT|DMA=10000\r\r\nPASS\r\n\r\nOK\r\n", 1020}}},
        {"DMA test fails", R"({"dmaTest": "FAIL"})", {{"AT|DMA=10000\r\n", "AT|DMA=10000\r\r\nFAIL\r\n\r\nOK\r\n"}}},
        {"DMA test unknown", R"({"vendorCommands": ["&T1"]})", {{"AT|DMA=10000\r\n", "AT|DMA=10000\r\r\nERROR\r\n"}}},
        {"DMA needs a value", "{}", {{"AT|DMA\r\n", "AT|DMA\r\r\nERROR\r\n"}}},
        {"loop-back returns the next byte", "{}", {{"AT&T1\r\n", "AT&T1\r\r\nOK\r\n"}, {"*", "*"}, {"*", ""}}},
        {"broken loop-back swallows it", R"({"loopback": false})", {{"AT&T1\r\n", "AT&T1\r\r\nOK\r\n"}, {"*", ""}}},
        {"loop-back unknown", R"({"vendorCommands": []})", {{"AT&T1\r\n", "AT&T1\r\r\nERROR\r\n"}, {"*", ""}}},
        {"dial tone present", "{}", {{"AT|DT=7000\r\n", "AT|DT=7000\r\r\nPASS\r\n\r\nOK\r\n", 7020}}},
        {"dial tone absent", R"({"dialTone": false})", {{"AT|DT=7000\r\n", "AT|DT=7000\r\r\nNO DIALTONE\r\n", 7020}}},
        {"dial tone detection unknown", R"({"vendorCommands": ["|DMA"]})", {{"AT|DT=7000\r\n", "AT|DT=7000\r\r\nERROR\r\n", 20}}},
        {"line current", R"({"lineCurrent": 37})",
         {{"AT|LC=2000\r\n", "AT|LC=2000\r\r\n<LOOP CURRENT: 37>\r\n\r\nPASS\r\n\r\nOK\r\n", 2020}}},
        {"no line current", R"({"lineCurrent": 0})",
         {{"AT|LC=2000\r\n", "AT|LC=2000\r\r\n<LOOP CURRENT: 0>\r\n\r\nFAIL\r\n\r\nOK\r\n"}}},
    });
}

TEST(Firmware, DiallingOutcomesAndS7)
{
    const char* numbers = R"({"dial": {"default": "NO CARRIER", "numbers": {"555-0100": "BUSY", "5550101": "NO ANSWER",
                               "5550102": "CONNECT", "5550103": "NO DIALTONE"}}, "connectSpeed": 2400})";
    runCases({
        {"no number waits S7 for a carrier", "{}",
         {{"ATS7=5\r\n", "ATS7=5\r\r\nOK\r\n"}, {"ATDT\r\n", "ATDT\r\r\nNO CARRIER\r\n", 5000}}},
        {"default S7 is 50 seconds", "{\"echo\": false}", {{"ATD\r\n", "\r\nNO CARRIER\r\n", 50000}}},
        {"no dial tone after S6", R"({"dialTone": false, "echo": false})",
         {{"ATDT\r\n", "\r\nNO DIALTONE\r\n", 2000}, {"ATDT5550100\r\n", "\r\nNO DIALTONE\r\n", 2000}}},
        {"default outcome connects", R"({"echo": false})", {{"ATDT5551234\r\n", "\r\nCONNECT 1200\r\n", 20 + 7 * 150 + 3000}}},
        {"outcomes per number", numbers,
         {{"ATS7=3E0\r\n", "ATS7=3E0\r\r\nOK\r\n"},
          {"ATDT5550100\r\n", "\r\nBUSY\r\n", 20 + 7 * 150 + 2000},
          {"ATDT5550101\r\n", "\r\nNO ANSWER\r\n", 20 + 7 * 150 + 3000},
          {"ATDP 555 0103\r\n", "\r\nNO DIALTONE\r\n", 2000},
          {"ATDT9\r\n", "\r\nNO CARRIER\r\n", 20 + 150 + 3000},
          {"ATDT5550102\r\n", "\r\nCONNECT 2400\r\n"}}},
        {"numeric CONNECT", R"({"verbose": false, "echo": false})", {{"ATD1\r", "1\r"}}},
    });
}

TEST(Firmware, KeyPressAbortsDiallingButTheLineFeedDoesNot)
{
    FirmwareDriver modem("{\"echo\": false}");
    EXPECT_EQ(modem.Send("ATDT123\r\n", 100), "");
    EXPECT_EQ(modem.Modem().CurrentMode(), Mode::Busy);
    EXPECT_EQ(modem.Send("x", 0), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(modem.Modem().CurrentMode(), Mode::Command);
    EXPECT_EQ(modem.Send("AT\r"), "\r\nOK\r\n");
}

TEST(Firmware, OnlineEscapeHangUpAndDtr)
{
    FirmwareDriver modem(R"({"echo": false})");
    EXPECT_EQ(modem.Send("ATD1\r\n"), "\r\nCONNECT 1200\r\n");
    EXPECT_EQ(modem.Modem().CurrentMode(), Mode::Online);
    // Data is data, "AT" included; "+++" without the guard time before it is data too.
    EXPECT_EQ(modem.Send("AT\r+++", 2000), "");
    EXPECT_EQ(modem.Modem().CurrentMode(), Mode::Online);
    EXPECT_EQ(modem.Send("+++", 999), "");
    EXPECT_EQ(modem.Run(2), "\r\nOK\r\n");
    EXPECT_EQ(modem.Modem().CurrentMode(), Mode::Command);
    EXPECT_TRUE(modem.Modem().State().connected);
    EXPECT_EQ(modem.Send("ATO\r"), "\r\nCONNECT 1200\r\n");
    modem.Modem().DropDtr();
    EXPECT_EQ(modem.Modem().CurrentMode(), Mode::Command);
    EXPECT_FALSE(modem.Modem().State().connected);
    EXPECT_EQ(modem.Send("ATO\r"), "\r\nNO CARRIER\r\n");
}

TEST(Firmware, BusyModemIgnoresInputUntilItAnswers)
{
    FirmwareDriver modem("{\"echo\": false}");
    EXPECT_EQ(modem.Send("AT|DT=7000\r\n", 1000), "");
    EXPECT_EQ(modem.Send("ATI0\r\n", 1000), "");
    EXPECT_EQ(modem.Run(1e8), "\r\nPASS\r\n\r\nOK\r\n");
}

TEST(Firmware, TimeScaleShortensEveryWait)
{
    FirmwareDriver modem(R"({"timeScale": 0.01, "echo": false})");
    EXPECT_EQ(modem.Send("AT|DT=7000\r\n"), "\r\nPASS\r\n\r\nOK\r\n");
    EXPECT_NEAR(modem.ElapsedMs(), 70.2, 0.01);
    EXPECT_EQ(modem.Send("ATS7=5DT\r\n"), "\r\nNO CARRIER\r\n");
    EXPECT_NEAR(modem.ElapsedMs(), 50, 0.01);
}
