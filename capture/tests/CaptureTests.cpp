// Capturing the emulated PC: a capture of a built-in machine, loaded as a
// profile of its own, gives Ravlin the same detection, installation checks
// and trace lines as the original; and what the capture holds.
#include "Capture.h"
#include "DiagnosisSummary.h"
#include "Devices.h"

#include "boot/Boot.h"
#include "core/testing/TempProfile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

std::string machineFolder(const std::string& name)
{
    return std::string(RAVLIN_SOURCE_DIR) + "/machines/" + name;
}

std::vector<std::string> servedFragments()
{
    return capture::ReadServedFragments(std::string(RAVLIN_SOURCE_DIR) + "/htm/modem.inf");
}

struct Captured {
    std::string originalSummary;
    capture::CapturedProfile profile;
    std::map<std::string, std::string> files;
};

// Loads the machine, summarises it, captures it.
Captured captureOf(const std::string& name)
{
    Captured out;
    std::string error;
    EXPECT_TRUE(plat::StartMachineFrom(machineFolder(name), &error)) << error;
    out.originalSummary = capture_testing::DiagnosisSummary();
    // The modem list is read on the emulated PC, as the program reads it.
    out.profile = capture::CaptureMachine(servedFragments());
    for (const auto& [path, bytes] : out.profile.files)
        out.files[path] = bytes;
    return out;
}

std::string summaryOfCapture(const Captured& captured)
{
    plat::testing::TempProfile folder;
    std::filesystem::remove(folder.Path("machine.json"));
    for (const auto& [path, bytes] : captured.profile.files)
        folder.Write(path, bytes);
    std::string error;
    if (!plat::StartMachineFrom(folder.Folder(), &error))
        return "the capture does not load: " + error;
    return capture_testing::DiagnosisSummary();
}

} // namespace

TEST(Capture, BuiltInMachinesGiveTheSameDiagnosisWhenCaptured)
{
    // Machines whose installation checks differ; the ones that differ only in
    // the modem's answers have the default's installation.
    for (const char* name : {"default", "devnode-problem", "driver-mismatch", "missing-file", "no-hardware",
                             "no-location", "reg-changed-value", "reg-missing-key", "reg-missing-response",
                             "reg-skip-lists", "reg-wrong-type", "no-loopback-pci"}) {
        SCOPED_TRACE(name);
        Captured captured = captureOf(name);
        EXPECT_EQ(summaryOfCapture(captured), captured.originalSummary);
    }
}

TEST(Capture, HoldsTheModemTheDriverInfAndPlaceholders)
{
    Captured captured = captureOf("default");
    const auto& files = captured.files;
    EXPECT_EQ(captured.profile.servedModem,
              "HDAUDIO\\FUNC_02&VEN_5A1E&DEV_2C06&SUBSYS_5A1E0101&REV_1002\\4&2A1B3C4D&0&0002");

    std::ifstream inf(machineFolder("default") + "/drive_c/Windows/INF/oem12.inf", std::ios::binary);
    std::string original((std::istreambuf_iterator<char>(inf)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(files.count("drive_c/Windows/INF/oem12.inf"));
    EXPECT_EQ(files.at("drive_c/Windows/INF/oem12.inf"), original);
    // Every file the INF installs, empty, in its folder; the @file directive's
    // one in the default folder.
    for (const char* placeholder :
         {"drive_c/Windows/System32/drivers/tarnhdam.sys", "drive_c/Windows/System32/drivers/tarnhdak.sys",
          "drive_c/Windows/System32/drivers/tarnhdaw.sys", "drive_c/Windows/System32/tarnmdm.dll",
          "drive_c/Windows/System32/tarnmdmui.dll", "drive_c/Windows/System32/tarnmdm.hlp",
          "drive_c/Windows/System32/Tarn/tarnhda.cty"}) {
        ASSERT_TRUE(files.count(placeholder)) << placeholder;
        EXPECT_EQ(files.at(placeholder), "");
    }
    EXPECT_EQ(captured.profile.placeholders, 7u);

    nlohmann::json machine = nlohmann::json::parse(files.at("machine.json"));
    EXPECT_EQ(machine["os"]["major"], 10);
    EXPECT_EQ(machine["os"]["build"], 19045);
    EXPECT_EQ(machine["languages"]["systemDefault"], "0x0409");
    EXPECT_EQ(machine["folders"]["C:\\Program Files\\Tarn\\Ravlin"], "@bin");
    EXPECT_EQ(machine["ports"]["COM3"]["modem"], "captured");
    // The modem function and nothing of the audio function of its codec.
    ASSERT_EQ(machine["devnodes"].size(), 1u);
    EXPECT_EQ(machine["devnodes"].begin().value()["status"],
              "DN_DRIVER_LOADED|DN_STARTED|DN_DISABLEABLE|DN_NT_ENUMERATOR|DN_NT_DRIVER");
    // The emulated PC has no ntdll and no SERIALCOMM key.
    EXPECT_EQ(files.at(capture::kNotesFile),
              "RtlGetVersion is not available: the version is GetVersionExA's\r\n"
              "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM does not open: the COM ports are the modems' AttachedTo "
              "ports only\r\n"
              "the install section Modem_HDA.NT includes other INF files: their files and registry keys are not "
              "captured\r\n");
}

TEST(Capture, WhatIsMissingOnThePcStaysMissingAndIsNoted)
{
    Captured missing = captureOf("missing-file");
    size_t placeholders = missing.profile.placeholders;
    EXPECT_EQ(placeholders, 6u);
    EXPECT_NE(missing.files.at(capture::kNotesFile).find("is not on this PC"), std::string::npos);

    Captured problem = captureOf("devnode-problem");
    nlohmann::json machine = nlohmann::json::parse(problem.files.at("machine.json"));
    ASSERT_EQ(machine["devnodes"].size(), 1u);
    std::string status = machine["devnodes"].begin().value()["status"];
    EXPECT_NE(status.find("DN_HAS_PROBLEM"), std::string::npos);
    EXPECT_NE(machine["devnodes"].begin().value()["problem"], 0);

    Captured none = captureOf("no-hardware");
    EXPECT_EQ(none.profile.servedModem, "");
    EXPECT_FALSE(nlohmann::json::parse(none.files.at("machine.json")).contains("modems"));
}
