// Conformance of the application-side TAPI functions: results, structure
// size rules, and the caller's last error left alone.
#include "tapi/testing/TapiMachine.h"
#include "tapi/tests/TestApp.h"

#include <tapi.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

using namespace plat::tapi::testing;

namespace {

const char kModemName[] = "Virtual Data Fax Modem";

class TapiApi : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(machine.Load({ModemEntry{}}, kModemOnCom3), ""); }
    TapiMachine machine;
};

} // namespace

TEST(TapiInit, InitializeExAcceptsOnlyEventNotification)
{
    struct Case {
        const char* what;
        DWORD totalSize;
        DWORD options;
        DWORD apiVersion;
        LONG expected;
    };
    const Case cases[] = {
        {"event", 28, LINEINITIALIZEEXOPTION_USEEVENT, 0x00020002, 0},
        {"a newer application", 28, LINEINITIALIZEEXOPTION_USEEVENT, 0x00030001, 0},
        {"hidden window", 28, LINEINITIALIZEEXOPTION_USEHIDDENWINDOW, 0x00020002, (LONG)LINEERR_INVALPARAM},
        {"completion port", 28, LINEINITIALIZEEXOPTION_USECOMPLETIONPORT, 0x00020002, (LONG)LINEERR_INVALPARAM},
        {"no option", 28, 0, 0x00020002, (LONG)LINEERR_INVALPARAM},
        {"structure too small", 24, LINEINITIALIZEEXOPTION_USEEVENT, 0x00020002, (LONG)LINEERR_STRUCTURETOOSMALL},
        {"TAPI 1.4", 28, LINEINITIALIZEEXOPTION_USEEVENT, 0x00010004, (LONG)LINEERR_INCOMPATIBLEAPIVERSION},
    };
    TapiMachine machine;
    ASSERT_EQ(machine.Load({ModemEntry{}}, ""), "");
    for (const Case& c : cases) {
        LINEINITIALIZEEXPARAMS params{};
        params.dwTotalSize = c.totalSize;
        params.dwOptions = c.options;
        DWORD version = c.apiVersion;
        DWORD devices = 99;
        HLINEAPP app = 0;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(lineInitializeExA(&app, nullptr, nullptr, "tests", &devices, &version, &params), c.expected)
            << c.what;
        EXPECT_EQ(GetLastError(), 0xdeadbeefu) << c.what;
        if (c.expected == 0) {
            EXPECT_NE(app, 0u);
            EXPECT_EQ(devices, 1u);
            EXPECT_EQ(version, 0x00020002u) << "TAPI answers its own highest version";
            EXPECT_NE(params.Handles.hEvent, nullptr);
            EXPECT_EQ(params.dwUsedSize, 28u);
            EXPECT_EQ(lineShutdown(app), 0);
            EXPECT_EQ(lineShutdown(app), (LONG)LINEERR_INVALAPPHANDLE) << "handles are not reused";
        }
    }
    DWORD version = 0x00020002;
    DWORD devices = 0;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = 28;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    EXPECT_EQ(lineInitializeExA(nullptr, nullptr, nullptr, "tests", &devices, &version, &params),
              (LONG)LINEERR_INVALPOINTER);
}

TEST_F(TapiApi, NegotiatesTheHighestCommonVersion)
{
    TestApp app;
    ASSERT_EQ(app.result, 0);
    struct Case {
        DWORD low, high;
        LONG expected;
        DWORD version;
    };
    const Case cases[] = {
        {0x00020002, 0x00020002, 0, 0x00020002}, {0x00010003, 0x00030001, 0, 0x00020002},
        {0x00010003, 0x00010004, 0, 0x00010004}, {0x00020000, 0x00020001, 0, 0x00020001},
        {0x00030000, 0x00030001, (LONG)LINEERR_INCOMPATIBLEAPIVERSION, 0},
        {0x00020002, 0x00010003, (LONG)LINEERR_INCOMPATIBLEAPIVERSION, 0},
        {0x00010000, 0x00010002, (LONG)LINEERR_INCOMPATIBLEAPIVERSION, 0},
    };
    for (const Case& c : cases) {
        DWORD version = 0;
        LINEEXTENSIONID extension;
        std::memset(&extension, 0xAB, sizeof(extension));
        EXPECT_EQ(lineNegotiateAPIVersion(app.app, 0, c.low, c.high, &version, &extension), c.expected)
            << std::hex << c.low << ".." << c.high;
        if (c.expected == 0) {
            EXPECT_EQ(version, c.version);
            EXPECT_EQ(extension.dwExtensionID0, 0u);
        }
    }
    DWORD version = 0;
    LINEEXTENSIONID extension;
    EXPECT_EQ(lineNegotiateAPIVersion(app.app, 1, 0x00020002, 0x00020002, &version, &extension),
              (LONG)LINEERR_BADDEVICEID);
    EXPECT_EQ(lineNegotiateAPIVersion(app.app + 1000, 0, 0x00020002, 0x00020002, &version, &extension),
              (LONG)LINEERR_INVALAPPHANDLE);
}

TEST_F(TapiApi, DevCapsFillWhatFitsAndTellTheNeededSize)
{
    TestApp app;
    ASSERT_EQ(app.result, 0);
    std::vector<BYTE> buffer(1292);
    auto* caps = reinterpret_cast<LINEDEVCAPS*>(buffer.data());

    caps->dwTotalSize = 1292;
    ASSERT_EQ(lineGetDevCapsA(app.app, 0, 0x00020002, 0, caps), 0);
    EXPECT_GE(caps->dwLineNameOffset, sizeof(LINEDEVCAPS));
    EXPECT_EQ(caps->dwLineNameSize, sizeof(kModemName)) << "the size counts the NUL";
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data() + caps->dwLineNameOffset), kModemName);
    EXPECT_EQ(caps->dwNeededSize, caps->dwUsedSize);
    EXPECT_TRUE(caps->dwMediaModes & LINEMEDIAMODE_DATAMODEM);
    EXPECT_EQ(caps->dwStringFormat, DWORD{STRINGFORMAT_ASCII});
    const DWORD needed = caps->dwNeededSize;

    // Room for the fixed part only: success, no name, the needed size told.
    std::fill(buffer.begin(), buffer.end(), 0);
    caps->dwTotalSize = sizeof(LINEDEVCAPS);
    ASSERT_EQ(lineGetDevCapsA(app.app, 0, 0x00020002, 0, caps), 0);
    EXPECT_EQ(caps->dwLineNameSize, 0u);
    EXPECT_EQ(caps->dwLineNameOffset, 0u);
    EXPECT_EQ(caps->dwUsedSize, sizeof(LINEDEVCAPS));
    EXPECT_EQ(caps->dwNeededSize, needed);

    // Room for the name but not for the rest: the name comes first.
    caps->dwTotalSize = sizeof(LINEDEVCAPS) + sizeof(kModemName);
    ASSERT_EQ(lineGetDevCapsA(app.app, 0, 0x00020002, 0, caps), 0);
    EXPECT_EQ(caps->dwLineNameSize, sizeof(kModemName));
    EXPECT_EQ(caps->dwNeededSize, needed);

    // Smaller than the fixed part of the negotiated version.
    caps->dwTotalSize = sizeof(LINEDEVCAPS) - 1;
    EXPECT_EQ(lineGetDevCapsA(app.app, 0, 0x00020002, 0, caps), (LONG)LINEERR_STRUCTURETOOSMALL);
    EXPECT_EQ(caps->dwNeededSize, sizeof(LINEDEVCAPS));
    // ... which is smaller for older versions.
    caps->dwTotalSize = 236;
    EXPECT_EQ(lineGetDevCapsA(app.app, 0, 0x00010003, 0, caps), 0);
    EXPECT_EQ(caps->dwUsedSize, 236u);

    caps->dwTotalSize = 1292;
    EXPECT_EQ(lineGetDevCapsA(app.app, 1, 0x00020002, 0, caps), (LONG)LINEERR_BADDEVICEID);
    EXPECT_EQ(lineGetDevCapsA(app.app, 0, 0x00030000, 0, caps), (LONG)LINEERR_INCOMPATIBLEAPIVERSION);
    EXPECT_EQ(lineGetDevCapsA(app.app, 0, 0x00020002, 1, caps), (LONG)LINEERR_INCOMPATIBLEEXTVERSION);
    EXPECT_EQ(lineGetDevCapsA(0, 0, 0x00020002, 0, caps), (LONG)LINEERR_INVALAPPHANDLE);
    EXPECT_EQ(lineGetDevCapsA(app.app, 0, 0x00020002, 0, nullptr), (LONG)LINEERR_INVALPOINTER);
}

TEST(TapiOpen, AModemWhosePortCannotBeOpenedFailsTheSameWayHeldOrAbsent)
{
    struct Case {
        const char* what;
        const char* ports;
    };
    const Case cases[] = {
        {"held by another program",
         R"("ports": {"COM3": {"modem": "m", "heldBy": "Fax Monitor"}}, "modems": {"m": {}})"},
        {"absent", R"("ports": {"COM3": {"absent": true}})"},
        {"not configured", R"("ports": {})"},
    };
    for (const Case& c : cases) {
        TapiMachine machine;
        ASSERT_EQ(machine.Load({ModemEntry{}}, c.ports), "") << c.what;
        TestApp app;
        ASSERT_EQ(app.result, 0);
        HLINE line = 0;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(app.Open(0, &line), (LONG)LINEERR_OPERATIONFAILED) << c.what;
        EXPECT_EQ(GetLastError(), 0xdeadbeefu) << c.what;
        EXPECT_EQ(line, 0u);
    }
}

TEST_F(TapiApi, OpenChecksItsArguments)
{
    TestApp app;
    ASSERT_EQ(app.result, 0);
    struct Case {
        const char* what;
        HLINEAPP appHandle;
        DWORD device;
        DWORD version;
        DWORD privileges;
        DWORD mediaModes;
        LONG expected;
    };
    const Case cases[] = {
        {"bad app", app.app + 1000, 0, 0x00020002, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM,
         (LONG)LINEERR_INVALAPPHANDLE},
        {"bad device", app.app, 1, 0x00020002, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM,
         (LONG)LINEERR_BADDEVICEID},
        {"bad version", app.app, 0, 0x00020003, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM,
         (LONG)LINEERR_INCOMPATIBLEAPIVERSION},
        {"bad privileges", app.app, 0, 0x00020002, 8, LINEMEDIAMODE_DATAMODEM, (LONG)LINEERR_INVALPRIVSELECT},
        {"owner of no media", app.app, 0, 0x00020002, LINECALLPRIVILEGE_OWNER, 0, (LONG)LINEERR_INVALMEDIAMODE},
        {"owner of fax calls", app.app, 0, 0x00020002, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_G3FAX,
         (LONG)LINEERR_INVALMEDIAMODE},
    };
    for (const Case& c : cases) {
        HLINE line = 0;
        EXPECT_EQ(lineOpenA(c.appHandle, c.device, &line, c.version, 0, 1, c.privileges, c.mediaModes, nullptr),
                  c.expected)
            << c.what;
    }
}

TEST_F(TapiApi, TheDataModemHandleIsTheCallersAndOutlivesTheLine)
{
    TestApp app;
    ASSERT_EQ(app.result, 0);
    HLINE line = 0;
    ASSERT_EQ(app.Open(0, &line), 0);
    EXPECT_EQ(lineSetStatusMessages(line, 0x01FFFFFF, 0), 0);
    EXPECT_EQ(lineSetStatusMessages(line, 0x02000000, 0), (LONG)LINEERR_INVALLINESTATE);
    EXPECT_EQ(lineSetStatusMessages(line, 0, 0x400), (LONG)LINEERR_INVALADDRESSSTATE);

    // The provider holds the port while the line is open.
    SetLastError(0);
    EXPECT_EQ(CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});

    std::vector<BYTE> buffer(279);
    auto* id = reinterpret_cast<VARSTRING*>(buffer.data());
    // Too small for even the fixed part.
    id->dwTotalSize = sizeof(VARSTRING) - 1;
    EXPECT_EQ(lineGetIDA(line, 0, 0, LINECALLSELECT_LINE, id, "comm/datamodem"), (LONG)LINEERR_STRUCTURETOOSMALL);
    // Too small for the handle and name: the needed size, and no handle made.
    id->dwTotalSize = sizeof(VARSTRING) + 4;
    ASSERT_EQ(lineGetIDA(line, 0, 0, LINECALLSELECT_LINE, id, "comm/datamodem"), 0);
    EXPECT_EQ(id->dwNeededSize, sizeof(VARSTRING) + sizeof(HANDLE) + sizeof(kModemName));
    EXPECT_EQ(id->dwStringSize, 0u);

    DataModemId modem = GetDataModem(line);
    ASSERT_EQ(modem.result, 0);
    EXPECT_EQ(modem.name, kModemName);
    COMMTIMEOUTS timeouts;
    EXPECT_TRUE(GetCommTimeouts(modem.port, &timeouts));

    id->dwTotalSize = 279;
    ASSERT_EQ(lineGetIDA(line, 0, 0, LINECALLSELECT_LINE, id, "comm/datamodem/portname"), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data() + id->dwStringOffset), "COM3");
    EXPECT_EQ(lineGetIDA(line, 0, 0, LINECALLSELECT_LINE, id, "wave/in"), (LONG)LINEERR_INVALDEVICECLASS);
    EXPECT_EQ(lineGetIDA(line, 0, 0, 0x40, id, "comm/datamodem"), (LONG)LINEERR_INVALCALLSELECT);
    EXPECT_EQ(lineGetIDA(line, 0, 12345, LINECALLSELECT_CALL, id, "comm/datamodem"), (LONG)LINEERR_INVALCALLHANDLE);
    EXPECT_EQ(lineGetIDA(line + 1000, 0, 0, LINECALLSELECT_LINE, id, "comm/datamodem"),
              (LONG)LINEERR_INVALLINEHANDLE);

    // The caller's handle keeps the port after the provider let it go.
    ASSERT_EQ(lineClose(line), 0);
    EXPECT_EQ(lineClose(line), (LONG)LINEERR_INVALLINEHANDLE);
    EXPECT_TRUE(GetCommTimeouts(modem.port, &timeouts));
    EXPECT_EQ(CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CloseHandle(modem.port));
    HANDLE port = CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(port, INVALID_HANDLE_VALUE);
    CloseHandle(port);
}

TEST_F(TapiApi, MessagesAndTheEventBelongToTheSession)
{
    HLINEAPP handle = 0;
    HANDLE event = nullptr;
    {
        TestApp app;
        ASSERT_EQ(app.result, 0);
        handle = app.app;
        event = app.event;
        LINEMESSAGE message;
        EXPECT_EQ(lineGetMessage(app.app, &message, 0), (LONG)LINEERR_OPERATIONFAILED);
        EXPECT_EQ(WaitForSingleObject(app.event, 0), DWORD{WAIT_TIMEOUT});
        EXPECT_EQ(lineGetMessage(app.app, nullptr, 0), (LONG)LINEERR_INVALPOINTER);
    }
    LINEMESSAGE message;
    EXPECT_EQ(lineGetMessage(handle, &message, 0), (LONG)LINEERR_INVALAPPHANDLE);
    EXPECT_EQ(WaitForSingleObject(event, 0), DWORD{WAIT_FAILED}) << "lineShutdown closes TAPI's event";
}
