// Which lines the modem provider and the "tapi" section make, in which order.
#include "tapi/LineCatalog.h"
#include "tapi/testing/TapiMachine.h"

#include <tapi.h>

#include <gtest/gtest.h>

using plat::tapi::BuildCatalog;
using plat::tapi::LineDevice;
using namespace plat::tapi::testing;

namespace {

std::vector<std::string> names(const std::vector<LineDevice>& lines)
{
    std::vector<std::string> out;
    for (const LineDevice& line : lines)
        out.push_back(line.name);
    return out;
}

ModemEntry modem(const std::string& instance, const std::string& driver, const std::string& name,
                 const std::string& port)
{
    ModemEntry m;
    m.instanceId = instance;
    m.driver = driver;
    m.friendlyName = name;
    m.attachedTo = port;
    return m;
}

} // namespace

TEST(LineCatalog, ModemLinesComeInDriverKeyOrderWithTheirPorts)
{
    TapiMachine machine;
    // The Enum tree lists ACPI before PCI; the driver keys say otherwise.
    ASSERT_EQ(machine.Load({modem("ACPI\\PNP0500\\1", "0001", "Second Modem", "COM4"),
                            modem("PCI\\VEN_1\\2", "0000", "First Modem", "COM3")},
                           ""),
              "");
    std::vector<LineDevice> lines = BuildCatalog();
    ASSERT_EQ(names(lines), (std::vector<std::string>{"First Modem", "Second Modem"}));
    EXPECT_EQ(lines[0].port, "COM3");
    EXPECT_EQ(lines[0].instanceId, "PCI\\VEN_1\\2");
    EXPECT_EQ(lines[1].port, "COM4");
    EXPECT_TRUE(lines[0].mediaModes & LINEMEDIAMODE_DATAMODEM);
    EXPECT_TRUE(lines[0].bearerModes & LINEBEARERMODE_PASSTHROUGH);
    EXPECT_NE(lines[0].permanentId, lines[1].permanentId);
}

TEST(LineCatalog, OnlyModemClassDevicesWithANamedDriverKeyMakeLines)
{
    ModemEntry byGuidOnly = modem("PCI\\A\\1", "0000", "By GUID", "COM3");
    byGuidOnly.className = "";
    ModemEntry byClassOnly = modem("PCI\\B\\1", "0001", "By Class", "COM4");
    byClassOnly.classGuid = "{00000000-0000-0000-0000-000000000001}";
    ModemEntry lowerCaseGuid = modem("PCI\\C\\1", "0002", "Lower GUID", "COM5");
    lowerCaseGuid.className = "";
    lowerCaseGuid.classGuid = "{4d36e96d-e325-11ce-bfc1-08002be10318}";
    ModemEntry port = modem("ACPI\\PNP0501\\1", "0000", "Communications Port", "");
    port.className = "Ports";
    port.classGuid = "{4D36E978-E325-11CE-BFC1-08002BE10318}";
    ModemEntry unnamed = modem("PCI\\D\\1", "0003", "", "COM6");

    TapiMachine machine;
    ASSERT_EQ(machine.Load({byGuidOnly, byClassOnly, lowerCaseGuid, port, unnamed}, ""), "");
    // In driver key order: "{00000000-...}\0001" comes first.
    EXPECT_EQ(names(BuildCatalog()), (std::vector<std::string>{"By Class", "By GUID", "Lower GUID"}));
}

TEST(LineCatalog, DevnodesNameThePresentModems)
{
    TapiMachine machine;
    std::vector<ModemEntry> modems = {modem("PCI\\VEN_1\\2", "0000", "Present", "COM3"),
                                      modem("PCI\\VEN_1\\3", "0001", "Removed", "COM4")};
    ASSERT_EQ(machine.Load(modems, ""), "");
    EXPECT_EQ(BuildCatalog().size(), 2u) << "without \"devnodes\" every installed modem counts";
    // Instance IDs ignore case.
    ASSERT_EQ(machine.Load(modems, R"("devnodes": {"pci\\ven_1\\2": {"status": "DN_STARTED"}})"), "");
    EXPECT_EQ(names(BuildCatalog()), (std::vector<std::string>{"Present"}));
}

TEST(LineCatalog, ExtraLinesGoBeforeOrAfterTheModems)
{
    TapiMachine machine;
    ASSERT_EQ(machine.Load({modem("PCI\\VEN_1\\2", "0000", "Virtual Data Fax Modem", "COM3")},
                           R"("tapi": {"extraLines": [
                                {"name": "Virtual Data Fax Modem", "mediaModes": ["interactivevoice"], "before": true},
                                {"name": "Fax Line", "port": "COM5"},
                                {"name": "Phone", "before": false}]})"),
              "");
    std::vector<LineDevice> lines = BuildCatalog();
    ASSERT_EQ(names(lines),
              (std::vector<std::string>{"Virtual Data Fax Modem", "Virtual Data Fax Modem", "Fax Line", "Phone"}));
    EXPECT_EQ(lines[0].mediaModes, DWORD{LINEMEDIAMODE_INTERACTIVEVOICE});
    EXPECT_EQ(lines[0].instanceId, "");
    EXPECT_EQ(lines[1].instanceId, "PCI\\VEN_1\\2");
    EXPECT_EQ(lines[2].mediaModes, DWORD{LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM});
    EXPECT_EQ(lines[2].port, "COM5");
    EXPECT_EQ(lines[3].bearerModes, DWORD{LINEBEARERMODE_VOICE}) << "a line without a port has no passthrough";
}

TEST(TapiProfile, BrokenSectionsAreRefusedNamingTheKey)
{
    struct Case {
        const char* json;
        const char* expected; // part of the error text
    };
    const Case cases[] = {
        {R"("tapi": 5)", "tapi: expected an object"},
        {R"("tapi": {"lines": []})", "tapi.lines: unknown member"},
        {R"("tapi": {"extraLines": {}})", "tapi.extraLines: expected a list"},
        {R"("tapi": {"extraLines": ["x"]})", "tapi.extraLines[0]: expected an object"},
        {R"("tapi": {"extraLines": [{"port": "COM3"}]})", "tapi.extraLines[0].name: a line needs a name"},
        {R"("tapi": {"extraLines": [{"name": 3}]})", "tapi.extraLines[0].name: expected a string"},
        {R"("tapi": {"extraLines": [{"name": "a", "mediaModes": ["fax"]}]})",
         "tapi.extraLines[0].mediaModes: unknown media mode \"fax\""},
        {R"("tapi": {"extraLines": [{"name": "a", "mediaModes": []}]})", "tapi.extraLines[0].mediaModes: expected"},
        {R"("tapi": {"extraLines": [{"name": "a"}, {"name": "b", "before": "yes"}]})",
         "tapi.extraLines[1].before: expected true or false"},
        {R"("tapi": {"extraLines": [{"name": "a", "media": []}]})", "tapi.extraLines[0].media: unknown member"},
    };
    for (const Case& c : cases) {
        TapiMachine machine;
        std::string error = machine.Load({}, c.json);
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.json << "\n  gave: " << error;
        EXPECT_NE(error.find("machine.json"), std::string::npos) << error;
    }
}
