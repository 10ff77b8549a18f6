#include "FirmwareDriver.h"

#include "modemfw/FaultPlan.h"

#include <gtest/gtest.h>

using plat::modemfw::Mode;
using plat::modemfw::testing::FirmwareDriver;

namespace {

const std::string kReply = "\r\nVirtual Data Fax Modem 1.0\r\n\r\nOK\r\n";

} // namespace

TEST(Faults, EachKindShapesTheReply)
{
    struct Case {
        const char* fault;
        std::string expected; // after the echo "ATI3\r"
        double elapsedMs;
        Mode after;
    } cases[] = {
        {R"({"kind": "noReply"})", "", 20, Mode::Command},
        {R"({"kind": "delay", "ms": 4000})", kReply, 4020, Mode::Command},
        {R"({"kind": "late", "ms": 11000})", kReply, 11020, Mode::Command},
        {R"({"kind": "garbage", "hex": "ff 00 7e"})", std::string("\xff\x00\x7e", 3), 20, Mode::Command},
        {R"({"kind": "garbage", "bytes": "#$%", "thenReply": true})", "#$%" + kReply, 20, Mode::Command},
        {R"({"kind": "partial", "partialBytes": 9})", kReply.substr(0, 9), 20, Mode::Command},
        {R"({"kind": "partial"})", kReply.substr(0, kReply.size() / 2), 20, Mode::Command},
        {R"({"kind": "unsolicited"})", "\r\nRING\r\n" + kReply, 20, Mode::Command},
        {R"({"kind": "unsolicited", "text": "+MCR: V34", "after": true, "ms": 500})", kReply + "\r\n+MCR: V34\r\n", 520,
         Mode::Command},
        {R"({"kind": "portGone", "ms": 5})", "", 5, Mode::Gone},
        {R"({"kind": "portGone", "ms": 100})", kReply, 100, Mode::Gone},
        {R"([{"kind": "delay", "ms": 1000}, {"kind": "portGone", "ms": 500}])", "", 500, Mode::Gone},
    };
    for (const Case& c : cases) {
        FirmwareDriver modem(std::string(R"({"faults": {"ati3": )") + c.fault + "}}");
        EXPECT_EQ(modem.Send("ATI3\r\n"), "ATI3\r" + c.expected) << c.fault;
        EXPECT_NEAR(modem.ElapsedMs(), c.elapsedMs, 0.01) << c.fault;
        EXPECT_EQ(modem.Modem().CurrentMode(), c.after) << c.fault;
        // Other lines are not hit.
        std::string next = modem.Send("AT\r");
        EXPECT_EQ(next, c.after == Mode::Gone ? "" : "AT\r\r\nOK\r\n") << c.fault;
    }
}

TEST(Faults, CountLimitsHowOftenAFaultHits)
{
    FirmwareDriver modem(R"({"echo": false, "faults": {"ATZ": {"kind": "noReply", "count": 2}}})");
    EXPECT_EQ(modem.Send("ATZ\r\n"), "");
    EXPECT_EQ(modem.Send("ATZ\r\n"), "");
    EXPECT_EQ(modem.Send("ATZ\r\n"), "\r\nOK\r\n");
}

TEST(Faults, StarHitsEveryLineAndLineFaultsFollow)
{
    FirmwareDriver modem(R"({"echo": false, "faults": {"*": {"kind": "unsolicited"},
                               "AT": {"kind": "garbage", "bytes": "?"}}})");
    EXPECT_EQ(modem.Send("ATE0\r"), "\r\nRING\r\n\r\nOK\r\n");
    EXPECT_EQ(modem.Send("AT\r"), "?");
}

TEST(Faults, GonePortIgnoresEverythingAfter)
{
    FirmwareDriver modem(R"({"faults": {"AT|DMA=10000": {"kind": "portGone", "ms": 50}}})");
    EXPECT_EQ(modem.Send("AT|DMA=10000\r\n", 10), "AT|DMA=10000\r");
    EXPECT_EQ(modem.Modem().CurrentMode(), Mode::Busy);
    EXPECT_EQ(modem.Run(100), "");
    EXPECT_TRUE(modem.Modem().Gone());
    modem.Modem().DropDtr();
    EXPECT_EQ(modem.Send("ATZ\r\n"), "");
    EXPECT_FALSE(modem.Modem().NextDeadline());
}

TEST(Faults, InputWhileAnUnsolicitedLineIsDueIsBufferedAndAnswered)
{
    // A RING 5 ms after every answer; the next command comes 2 ms after the
    // OK, before the RING has gone out.
    FirmwareDriver modem(R"({"echo": false, "faults": {"*": {"kind": "unsolicited", "after": true, "ms": 5}}})");
    EXPECT_EQ(modem.Send("ATZ\r", 320 + 2), "\r\nOK\r\n"); // 20 ms a command, 300 a reset
    EXPECT_EQ(modem.Send("ATI3\r"), "\r\nRING\r\n" + std::string("\r\nVirtual Data Fax Modem 1.0\r\n\r\nOK\r\n") +
                                        "\r\nRING\r\n");
    // Bytes before the answer are still ignored, as the modem is busy then.
    EXPECT_EQ(modem.Send("ATZ\r", 10), "");
    EXPECT_EQ(modem.Send("AT\r", 1000), "\r\nOK\r\n\r\nRING\r\n");
}
