// VerifyModemRegistry as a whole: the built-in machines, the walk over the
// AddReg sections, the Region section, the Responses table and the skip
// lists' life.
#include "VerifyRegistryFixture.h"

#include "SkipLists.h"

using namespace verify_testing;

TEST(VerifyModemRegistry, DefaultMachinePassesEveryAddRegSectionAndRegion)
{
    Verification out = DriverMachine().Verify();
    EXPECT_EQ(out.result, 1);
    const std::vector<std::string> expected = {
        " Number of skipped keys in the ini file: 1", "Skipped key: VoiceView ",
        " Number of skipped keys in the ini file: 1", "Skipped value: MonitorCheck ",
        "Verify Modem Registry ... ",
        "Check Inf Section All ...", "~~ Passed ~~",
        "Check Inf Section MfgAddReg ...", "~~ Passed ~~",
        "Check Inf Section Responses ...", "~~ Passed ~~",
        "Check Inf Section Region ...", "~~ Passed ~~",
        "Verify Modem Registry passed ",
    };
    EXPECT_EQ(out.lines, expected);
}

TEST(VerifyModemRegistry, MachinesWhoseRegistryNoLongerMatches)
{
    struct Case {
        const char* machine;
        int result;
        const char* failure; // "" when it passes
    } cases[] = {
        {"reg-changed-value", 0,
         " ERROR: Value 2. Different data! Compare infData =AT&FE0V1S0=0&C1&D2<cr> and regData = "
         "AT&FE0V1S0=0&C1&D0<cr>"},
        {"reg-wrong-type", 0, "Error: FLG_ADDREG_TYPE_DWORD Type mismatch"},
        {"reg-missing-key", 0, " ERROR: Missing registry key Hangup"},
        {"reg-missing-response", 0, "ERROR: Missing registry value <cr><lf>BUSY<cr><lf>"},
        {"reg-skip-lists", 1, ""},
        // Code page 932: the key U+8868 U+793A opens, and "U+8868 StartPlay" is
        // compared, not skipped as if "StartPlay" followed a '\'.
        {"ja-trail-byte", 0,
         " ERROR: Value 1. Different data! Compare infData =AT+VTX<cr> and regData = AT+VTY<cr>"},
    };
    for (const Case& c : cases) {
        Verification out = DriverMachine(c.machine).Verify();
        EXPECT_EQ(out.result, c.result) << c.machine;
        EXPECT_EQ(FailureLine(out), c.failure) << c.machine;
        EXPECT_EQ(out.lines.back(), c.result ? "Verify Modem Registry passed " : "Verify Modem Registry failed ");
    }
    // What the driver's own lists add on the skip-lists machine.
    Verification out = DriverMachine("reg-skip-lists").Verify();
    EXPECT_TRUE(InOrder(out.lines, {" Number of skipped keys in the ini file: 2", "Skipped key: VoiceView ",
                                    "Skipped key: EnableDistinctiveRing ", "Skipped value: MonitorCheck ",
                                    "Skipped value: InactivityScale ", "Verify Modem Registry ... "}));
}

TEST(VerifyModemRegistry, AFailingSectionEndsTheWalkAndRegionIsNotChecked)
{
    DriverMachine machine;
    machine.SetAddReg("A, B, C", "[A]\nHKR, Init, 1,, \"AT<cr>\"\n"
                                 "[B]\nHKR, Init, 1,, \"AT<lf>\"\nHKR, Nowhere\n"
                                 "[C]\nHKR, Nowhere\n");
    machine.AppendInf("[Modem_HDA.NT]\nAddReg = C\n"); // a second AddReg line, never reached
    Verification out = machine.Verify();
    EXPECT_EQ(out.result, 0);
    EXPECT_TRUE(InOrder(out.lines, {"Check Inf Section A ...", "~~ Passed ~~", "Check Inf Section B ...",
                                    " ERROR: Value 1. Different data! Compare infData =AT<lf> and regData = AT<cr>",
                                    "~~ Failed ~~", "Verify Modem Registry failed "}));
    EXPECT_EQ(CountLines(out.lines, "Check Inf Section C ..."), 0);
    EXPECT_EQ(CountLines(out.lines, "Check Inf Section Region ..."), 0);
    EXPECT_EQ(CountLines(out.lines, " ERROR: Missing registry key Nowhere"), 0) << "B ends at its first failure";
}

TEST(VerifyModemRegistry, RegionOnlyWithACountryFile)
{
    // A Region section that fails: only a run whose file check found the
    // country file looks at it.
    for (bool checkFiles : {true, false}) {
        DriverMachine machine;
        machine.DriverKey("Settings", "\"Blind_Off\"=\"X0\"\n");
        Verification out = machine.Verify(checkFiles);
        EXPECT_EQ(out.result, checkFiles ? 0 : 1);
        EXPECT_EQ(CountLines(out.lines, "Check Inf Section Region ..."), checkFiles ? 1 : 0);
    }
}

TEST(VerifyModemRegistry, DriverInfThatDoesNotOpen)
{
    DriverMachine machine;
    CModemDevice modem;
    ASSERT_TRUE(machine.Find(modem));
    std::strcpy(modem.m_drvDetail.InfFileName, "C:\\Windows\\INF\\oem99.inf");
    modem_testing::StartTrace();
    EXPECT_EQ(modem.VerifyModemRegistry(), 0);
    EXPECT_TRUE(InOrder(modem_testing::TraceLines(), {"Verify Modem Registry ... ", "Verify Modem Registry failed "}));
}

TEST(VerifyModemRegistry, ResponsesFollowTheOsVersion)
{
    // The driver key's own Responses key answers OK with other data than
    // the response table, so only the table passes.
    struct Case {
        int major;
        int result;
        const char* failure;
    } cases[] = {
        {4, 0,
         " ERROR: (Name = <cr><lf>OK<cr><lf>)Different length: infDataLength = 10 and  regDataLength = 2 "},
        {5, 1, ""},
        {10, 1, ""},
    };
    for (const Case& c : cases) {
        DriverMachine machine;
        machine.SetOsMajor(c.major);
        machine.SetAddReg("Responses", "");
        machine.AppendInf("[Modem_HDA]\nAddReg = Responses\n"); // the section a major-4 system installs
        machine.DriverKey("Responses", "\"<cr><lf>OK<cr><lf>\"=hex:00,01\n");
        Verification out = machine.Verify(false);
        EXPECT_EQ(out.result, c.result) << c.major;
        EXPECT_EQ(FailureLine(out), c.failure) << c.major;
    }
}

TEST(VerifyModemRegistry, ResponsesKeyNameUnreadableOrTooLong)
{
    const std::string fits(947, 'n');  // the path takes exactly 1023 characters
    const std::string tooLong(948, 'n');
    struct Case {
        std::string values;
        std::vector<std::string> trace;
    } cases[] = {
        {"\"ResponsesKeyName\"=-\n",
         {"Error: Can not get location of UNIMODEM folder", " ERROR: Missing registry key Responses"}},
        {"\"ResponsesKeyName\"=dword:00000001\n",
         {"Error: Can not get location of UNIMODEM folder", " ERROR: Missing registry key Responses"}},
        {"\"ResponsesKeyName\"=\"" + tooLong + "\"\n",
         {"Error: ResponsesKeyName of 948 characters is too long for the UNIMODEM folder path",
          " ERROR: Missing registry key Responses"}},
        {"\"ResponsesKeyName\"=\"" + fits + "\"\n",
         {" ERROR: Missing registry key Software\\Microsoft\\Windows\\CurrentVersion\\Unimodem\\DeviceSpecific\\" +
          fits + "\\Responses"}},
        // A name that ends in a separator gets none added; '/' is no
        // separator of registry paths, though.
        {"\"ResponsesKeyName\"=\"Tarn HDA56 Soft Data Fax Modem::Tarn::Tarn\\\\\"\n", {"~~ Passed ~~"}},
        {"\"ResponsesKeyName\"=\"Tarn HDA56 Soft Data Fax Modem::Tarn::Tarn/\"\n",
         {" ERROR: Missing registry key Software\\Microsoft\\Windows\\CurrentVersion\\Unimodem\\DeviceSpecific\\"
          "Tarn HDA56 Soft Data Fax Modem::Tarn::Tarn/Responses"}},
    };
    for (const Case& c : cases) {
        Verification out = VerifySection("HKR, Responses, \"0<cr>\", 1, 00,00,00,00,00,00,00,00,00,00\n", "",
                                         c.values);
        EXPECT_TRUE(InOrder(out.lines, c.trace)) << c.values.substr(0, 60);
    }
    // Without the name the line is still tested under the driver key, but
    // without data comparison, and it fails the section all the same.
    DriverMachine machine;
    machine.SetAddReg("T", "[T]\nHKR, Responses, \"0<cr>\", 1, 00,00,00,00,00,00,00,00,00,00\n");
    machine.DriverKey("", "\"ResponsesKeyName\"=-\n");
    machine.DriverKey("Responses", "\"0<cr>\"=hex:00\n");
    Verification out = machine.Verify(false);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(FailureLine(out), "Error: Can not get location of UNIMODEM folder");
}

TEST(VerifyModemRegistry, SkipListsAreRestoredAfterEveryVerification)
{
    // The driver's list lets "Reset" pass unread; the next verification
    // starts from the built-in names again.
    for (bool failing : {true, false}) {
        DriverMachine machine;
        machine.SetAddReg("T", std::string("[T]\nHKR,, Reset,, \"ATZ<cr>\"\n") + (failing ? "HKR, Nowhere\n" : ""));
        machine.DriverKey("IniDelKeys", "\"Nowhere2\"=\"\"\n");
        machine.DriverKey("IniDelValues", "\"Reset\"=\"\"\n");
        CModemDevice modem;
        ASSERT_TRUE(machine.Find(modem));
        for (int run = 0; run < 2; ++run) {
            modem_testing::StartTrace();
            EXPECT_EQ(modem.VerifyModemRegistry(), failing ? 0 : 1);
            EXPECT_EQ(SkippedKeys.m_nLength, SKIPPED_KEYS_BUILTIN);
            EXPECT_EQ(SkippedValues.m_nLength, SKIPPED_VALUES_BUILTIN);
            EXPECT_EQ(SkippedValues.m_pszEntries[SKIPPED_VALUES_BUILTIN], nullptr);
            EXPECT_EQ(CountLines(modem_testing::TraceLines(), "Skipped value: Reset "), 1) << "run " << run;
        }
    }
    // Without the driver's list the same line is compared.
    Verification out = VerifySection("HKR,, Reset,, \"ATZ<cr>\"\n");
    EXPECT_EQ(out.result, 0);
}

TEST(VerifyModemRegistry, SkipListStopsAtItsLimit)
{
    DriverMachine machine;
    std::string values;
    for (int i = 0; i < 2100; ++i) // with the machine's own "MonitorCheck": 2101
        values += "\"Name" + std::to_string(i) + "\"=\"\"\n";
    machine.DriverKey("IniDelValues", values);
    CModemDevice modem;
    ASSERT_TRUE(machine.Find(modem));
    modem_testing::StartTrace();
    EXPECT_EQ(modem.VerifyModemRegistry(), 1);
    std::vector<std::string> lines = modem_testing::TraceLines();
    EXPECT_EQ(CountLines(lines, " Number of skipped keys in the ini file: 2101"), 1);
    int added = 0;
    for (const std::string& line : lines)
        added += line.rfind("Skipped value: ", 0) == 0;
    EXPECT_EQ(added, SKIP_LIST_SLOTS - SKIPPED_VALUES_BUILTIN);
    EXPECT_EQ(SkippedValues.m_nLength, SKIPPED_VALUES_BUILTIN);
}
