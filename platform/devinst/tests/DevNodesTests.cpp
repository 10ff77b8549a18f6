// The "devnodes" section of machine.json: what it accepts, and refusals
// that name the key.
#include "DevinstProfile.h"

#include <cfgmgr32.h>

#include <gtest/gtest.h>

using plat::devinst::testing::DevinstProfile;
using plat::devinst::testing::TestDevice;

TEST(DevNodes, StatusAndProblemAsNamesOrNumbers)
{
    DevinstProfile pc;
    pc.Add({"PCI\\VEN_1\\1", "{4D36E96D-E325-11CE-BFC1-08002BE10318}", "", "DN_DRIVER_LOADED|DN_STARTED"});
    pc.Add({"PCI\\VEN_1\\2", "{4D36E96D-E325-11CE-BFC1-08002BE10318}", "", "0x400 | DN_STARTED",
            "CM_PROB_FAILED_START"});
    pc.Add({"PCI\\VEN_1\\3", "{4D36E96D-E325-11CE-BFC1-08002BE10318}", "", "1034", "28"});
    ASSERT_EQ(pc.Load(), "");
    auto a = plat::devinst::FindDevNode("pci\\ven_1\\1"); // instance IDs ignore case
    ASSERT_TRUE(a);
    EXPECT_EQ(a->status, static_cast<DWORD>(DN_DRIVER_LOADED | DN_STARTED));
    EXPECT_EQ(a->problem, 0u);
    auto b = plat::devinst::FindDevNode("PCI\\VEN_1\\2");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->status, static_cast<DWORD>(DN_HAS_PROBLEM | DN_STARTED));
    EXPECT_EQ(b->problem, static_cast<DWORD>(CM_PROB_FAILED_START));
    auto c = plat::devinst::FindDevNode("PCI\\VEN_1\\3");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->status, 1034u);
    EXPECT_EQ(c->problem, 28u);
    EXPECT_FALSE(plat::devinst::FindDevNode("PCI\\VEN_1\\4"));
}

TEST(DevNodes, BrokenSectionsAreRefusedNamingTheKey)
{
    struct Case {
        const char* json;
        const char* expected; // part of the error text
    } cases[] = {
        {R"({"devnodes": []})", "devnodes: expected an object"},
        {R"({"devnodes": {"PCI\\A\\1": 5}})", "devnodes.PCI\\A\\1: expected an object"},
        {R"({"devnodes": {"PCI\\A\\1": {"status": "DN_STARTD"}}})", "devnodes.PCI\\A\\1.status: unknown name \"DN_STARTD\""},
        {R"({"devnodes": {"PCI\\A\\1": {"status": true}}})", "devnodes.PCI\\A\\1.status"},
        {R"({"devnodes": {"PCI\\A\\1": {"status": "DN_STARTED", "problem": 10}}})", "needs DN_HAS_PROBLEM"},
        {R"({"devnodes": {"PCI\\A\\1": {"state": 8}}})", "devnodes.PCI\\A\\1.state: unknown member"},
        {R"({"devnodes": {"PCI\\A\\1": {"status": 8}, "pci\\a\\1": {"status": 8}}})", "listed twice"},
        {R"({"devnodes": {"PCI\\NOT\\THERE": {"status": 8}}})", "devnodes.PCI\\NOT\\THERE: no such device"},
        {R"({"devnodes": {"PCI\\A\\1": {"status": "0x1FFFFFFFF"}}})", "not a 32-bit number"},
    };
    for (const Case& c : cases) {
        DevinstProfile pc;
        pc.Add({"PCI\\A\\1"});
        ASSERT_EQ(pc.Load(), "");
        pc.WriteFile("machine.json", c.json);
        std::string error = pc.Profile().Load();
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.json << "\n -> " << error;
        EXPECT_NE(error.find("machine.json"), std::string::npos) << error;
    }
}
