// The built-in machine profiles as TAPI sees them: the served modem has a
// data-modem line, and its open fails the way the direct port probe expects
// on the "port held" and "port absent" machines.
#include "tapi/testing/TapiMachine.h"
#include "tapi/tests/TestApp.h"

#include <tapi.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

using namespace plat::tapi::testing;

namespace {

// The first line that carries data-modem calls.
DWORD dataModemLine(const TestApp& app)
{
    for (DWORD i = 0; i < app.devices; ++i) {
        std::vector<BYTE> buffer(1292);
        auto* caps = reinterpret_cast<LINEDEVCAPS*>(buffer.data());
        caps->dwTotalSize = 1292;
        if (lineGetDevCapsA(app.app, i, 0x00020002, 0, caps) == 0 && (caps->dwMediaModes & LINEMEDIAMODE_DATAMODEM))
            return i;
    }
    return 0xFFFFFFFF;
}

} // namespace

TEST(BuiltInMachines, TheServedModemsLineOpensOrFailsAsThePortIs)
{
    struct Case {
        const char* machine;
        LONG expected;
    };
    const Case cases[] = {
        {"default", 0},
        {"port-held", (LONG)LINEERR_OPERATIONFAILED},
        {"port-absent", (LONG)LINEERR_OPERATIONFAILED},
    };
    TapiMachine loaders; // registers the families' loaders
    for (const Case& c : cases) {
        std::string folder = std::string(RAVLIN_SOURCE_DIR) + "/machines/" + c.machine;
        plat::ProfileError error;
        ASSERT_TRUE(plat::LoadMachine(folder, &error)) << error.ToString();
        TestApp app;
        ASSERT_EQ(app.result, 0);
        DWORD device = dataModemLine(app);
        ASSERT_NE(device, 0xFFFFFFFFu) << c.machine << ": no data-modem line";
        HLINE line = 0;
        EXPECT_EQ(app.Open(device, &line), c.expected) << c.machine;
        if (c.expected == 0) {
            EXPECT_EQ(lineClose(line), 0);
        }
    }
}
