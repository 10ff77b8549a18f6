#include "core/testing/TempProfile.h"
#include "serial/Serial.h"

#include <gtest/gtest.h>

using plat::testing::TempProfile;

TEST(SerialProfile, RefusesBrokenPortsAndModemsNamingTheKey)
{
    plat::serial::RegisterLoader();
    struct Case {
        const char* json;
        const char* expected; // substring of the message
    } cases[] = {
        {R"({"ports": []})", "ports: expected an object"},
        {R"({"ports": {"LPT1": {"absent": true}}})", "ports.LPT1: a port name is COM1 .. COM255"},
        {R"({"ports": {"COM0": {"absent": true}}})", "ports.COM0: a port name"},
        {R"({"ports": {"COM256": {"absent": true}}})", "ports.COM256: a port name"},
        {R"({"ports": {"COM3": {"absent": true}, "com3": {"absent": true}}})", "named twice"},
        {R"({"ports": {"COM3": "modem"}})", "ports.COM3: expected an object"},
        {R"({"ports": {"COM3": {}}})", "ports.COM3: give exactly one"},
        {R"({"ports": {"COM3": {"absent": true, "device": "/dev/ttyS0"}}})", "give exactly one"},
        {R"({"ports": {"COM3": {"absent": false}}})", "ports.COM3.absent: expected true"},
        {R"({"ports": {"COM3": {"device": "ttyS0"}}})", "ports.COM3.device: expected the absolute path"},
        {R"({"ports": {"COM3": {"device": "/dev/ttyS0", "baud": 1000}}})", "ports.COM3.baud: not a serial speed"},
        {R"({"ports": {"COM3": {"modem": "m", "baud": 9600}}, "modems": {"m": {}}})", "only a \"device\" port"},
        {R"({"ports": {"COM3": {"absent": true, "heldBy": "x"}}})", "ports.COM3.heldBy: an absent port"},
        {R"({"ports": {"COM3": {"modem": "m", "heldBy": ""}}, "modems": {"m": {}}})", "ports.COM3.heldBy: name"},
        {R"({"ports": {"COM3": {"modem": "m", "speed": 1}}, "modems": {"m": {}}})", "ports.COM3.speed: unknown key"},
        {R"({"ports": {"COM3": {"modem": "nosuch"}}})", "ports.COM3.modem: no modem \"nosuch\""},
        {R"({"ports": {"COM3": {"modem": "nosuch"}}, "modems": {}})", "ports.COM3.modem: no modem"},
        {R"({"modems": {"unused": {"echo": "yes"}}})", "modems.unused.echo: expected true or false"},
        {R"({"modems": []})", "modems: expected an object"},
    };
    for (const Case& c : cases) {
        TempProfile profile;
        profile.Write("machine.json", c.json);
        std::string error = profile.Load();
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.json << " -> " << error;
        EXPECT_EQ(error.rfind(profile.Path("machine.json"), 0), 0u) << error;
    }
}

TEST(SerialProfile, RefusedProfileKeepsThePreviousPorts)
{
    plat::serial::RegisterLoader();
    TempProfile good;
    good.Write("machine.json", R"({"modems": {"m": {}}, "ports": {"COM3": {"modem": "m"}}})");
    ASSERT_EQ(good.Load(), "");
    TempProfile bad;
    bad.Write("machine.json", R"({"ports": {"COM4": {"modem": "missing"}}})");
    EXPECT_NE(bad.Load(), "");
    EXPECT_TRUE(plat::serial::PortExists("COM3"));
    EXPECT_FALSE(plat::serial::PortExists("COM4"));
    TempProfile none;
    ASSERT_EQ(none.Load(), "");
    EXPECT_TRUE(plat::serial::PortNames().empty());
}
