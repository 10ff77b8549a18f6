#include "core/testing/TempProfile.h"
#include "modemfw/ModemProfile.h"
#include "modemfw/SettingsParser.h"

#include <gtest/gtest.h>

using namespace plat::modemfw;
using plat::testing::TempProfile;

TEST(Settings, ReadsEveryKind)
{
    ModemSettings s;
    SettingsError error;
    ASSERT_TRUE(ParseSettings(nlohmann::json::parse(R"({
        "description": "soft modem on HD audio",
        "timeScale": 0.5, "echo": false, "verbose": false, "quiet": true,
        "sRegisters": {"7": 60},
        "identity": {"9": null, "5": "HDA 7.80"},
        "commands": {"at+fclass=?": ["0,1,8"]},
        "vendorCommands": ["|DT"],
        "dmaTest": "FAIL", "loopback": false, "dialTone": false, "lineCurrent": 0, "connectSpeed": 33600,
        "dial": {"default": "BUSY", "numbers": {"(555) 01-00": "NO ANSWER"}},
        "timing": {"resetMs": 5, "connectMs": 7},
        "faults": {"ATZ": {"kind": "delay", "ms": 20}, "*": [{"kind": "unsolicited", "count": 1}]}
    })"), "", &s, &error)) << error.key << ": " << error.message;
    EXPECT_EQ(s.timeScale, 0.5);
    EXPECT_FALSE(s.echo);
    EXPECT_TRUE(s.quiet);
    EXPECT_EQ(s.sRegisters.at(7), 60);
    EXPECT_EQ(s.identity.count(9), 0u);
    EXPECT_EQ(s.identity.at(5).text, std::vector<std::string>{"HDA 7.80"});
    EXPECT_EQ(s.identity.count(0), 1u) << "defaults stay unless replaced";
    EXPECT_EQ(s.commands.count("AT+FCLASS=?"), 1u);
    EXPECT_EQ(s.vendorCommands, std::set<std::string>{"|DT"});
    EXPECT_FALSE(s.dmaPasses);
    EXPECT_EQ(s.connectSpeed, 33600u);
    EXPECT_EQ(s.dialDefault, DialOutcome::Busy);
    EXPECT_EQ(s.numbers.at("5550100"), DialOutcome::NoAnswer);
    EXPECT_EQ(s.timing.resetMs, 5);
    EXPECT_EQ(s.timing.commandMs, 20) << "timing defaults stay";
    EXPECT_EQ(s.faults.at("ATZ").at(0).kind, FaultKind::Delay);
    EXPECT_EQ(s.faults.at("*").at(0).count, 1);
}

TEST(Settings, RefusesBadSettingsNamingTheKey)
{
    struct Case {
        const char* json;
        const char* key;
        const char* message; // substring
    } cases[] = {
        {"[]", "m", "expected an object"},
        {R"({"timescale": 1})", "m.timescale", "unknown modem setting"},
        {R"({"timeScale": -1})", "m.timeScale", "out of range"},
        {R"({"echo": 1})", "m.echo", "true or false"},
        {R"({"sRegisters": {"300": 1}})", "m.sRegisters.300", "0 .. 255"},
        {R"({"sRegisters": {"7": 256}})", "m.sRegisters.7", "out of range"},
        {R"({"identity": {"10": "x"}})", "m.identity.10", "ATI0 .. ATI9"},
        {R"({"identity": {"3": 5}})", "m.identity.3", "expected a text"},
        {R"({"identity": {"3": {"result": "FINE"}}})", "m.identity.3.result", "unknown result"},
        {R"({"identity": {"3": {"txt": "a"}}})", "m.identity.3.txt", "unknown key"},
        {R"({"commands": {"ZZ": "a"}})", "m.commands.ZZ", "begins with AT"},
        {R"({"vendorCommands": ["|XY"]})", "m.vendorCommands[0]", "unknown vendor command"},
        {R"({"dmaTest": "pass"})", "m.dmaTest", "PASS"},
        {R"({"lineCurrent": 2.5})", "m.lineCurrent", "whole number"},
        {R"({"dial": {"default": "RING"}})", "m.dial.default", "unknown outcome"},
        {R"({"dial": {"numbers": {"abc": "BUSY"}}})", "m.dial.numbers.abc", "needs digits"},
        {R"({"dial": {"other": 1}})", "m.dial.other", "unknown key"},
        {R"({"timing": {"dialMs": 1}})", "m.timing.dialMs", "unknown timing"},
        {R"({"faults": {"ATZ": {"ms": 1}}})", "m.faults.ATZ.kind", "missing"},
        {R"({"faults": {"ATZ": {"kind": "explode"}}})", "m.faults.ATZ.kind", "unknown fault"},
        {R"({"faults": {"ATZ": {"kind": "delay"}}})", "m.faults.ATZ.ms", "needs the delay"},
        {R"({"faults": {"ATZ": {"kind": "noReply", "bytes": "x"}}})", "m.faults.ATZ.bytes", "not a setting"},
        {R"({"faults": {"ATZ": [{"kind": "garbage", "hex": "f"}]}})", "m.faults.ATZ[0].hex", "hex digits"},
        {R"({"faults": {"ATZ": {"kind": "noReply", "count": 0}}})", "m.faults.ATZ.count", "out of range"},
    };
    for (const Case& c : cases) {
        ModemSettings s;
        SettingsError error;
        EXPECT_FALSE(ParseSettings(nlohmann::json::parse(c.json), "m.", &s, &error)) << c.json;
        EXPECT_EQ(error.key, c.key) << c.json;
        EXPECT_NE(error.message.find(c.message), std::string::npos) << c.json << " -> " << error.message;
    }
}

TEST(Settings, ProfileModemsWithSettingsFilesAndOverrides)
{
    TempProfile profile;
    profile.Write("modems/hda.json", R"({"identity": {"9": null}, "dialTone": false, "lineCurrent": 30})");
    profile.Write("modems/broken.json", "{\n  \"echo\": tru\n}");
    profile.Write("modems/wrong.json", R"({"loopback": "yes"})");
    profile.Write("modems/number.json", "\n  1");
    // The JSON library ends the text at a NUL: the object after it went unread.
    profile.Write("modems/nul.json", std::string("{}\n\0{\"loopback\": \"yes\"}", 23));
    profile.Write("machine.json", R"({"modems": {
        "hda": {"settings": "modems/hda.json", "dialTone": true},
        "broken": {"settings": "modems/broken.json"},
        "wrong": {"settings": "modems/wrong.json"},
        "number": {"settings": "modems/number.json"},
        "nul": {"settings": "modems/nul.json"},
        "missing": {"settings": "modems/none.json"},
        "bad": {"echo": "on"},
        "device": {"settings": "/dev/zero"},
        "folder": {"settings": "modems"}
    }})");
    ASSERT_EQ(profile.Load(), "");
    const plat::Machine& machine = *plat::CurrentMachine();

    ModemSettings s;
    plat::ProfileError error;
    ASSERT_TRUE(LoadProfileModem(machine, "hda", &s, &error)) << error.ToString();
    EXPECT_EQ(s.identity.count(9), 0u);
    EXPECT_TRUE(s.dialTone) << "a key beside \"settings\" replaces the file's";
    EXPECT_EQ(s.lineCurrent, 30);

    struct Case {
        const char* name;
        std::string file;
        int line;
        const char* key;
    } cases[] = {
        {"broken", profile.Path("modems/broken.json"), 2, ""},
        {"wrong", profile.Path("modems/wrong.json"), 0, "loopback"},
        {"number", profile.Path("modems/number.json"), 1, ""}, // no object: said nowhere before
        {"nul", profile.Path("modems/nul.json"), 2, ""},
        {"missing", profile.Path("modems/none.json"), 0, ""},
        {"bad", profile.Path("machine.json"), 0, "modems.bad.echo"},
        {"nosuch", profile.Path("machine.json"), 0, "modems.nosuch"},
        {"device", "/dev/zero", 0, ""}, // read for ever before
        {"folder", profile.Path("modems"), 0, ""},
    };
    for (const Case& c : cases) {
        error = {};
        EXPECT_FALSE(LoadProfileModem(machine, c.name, &s, &error)) << c.name;
        EXPECT_EQ(error.file, c.file) << c.name;
        EXPECT_EQ(error.line, c.line) << c.name;
        EXPECT_EQ(error.key, c.key) << c.name;
    }
}
