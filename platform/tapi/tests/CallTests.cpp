// Calls on a modem line, against the emulated modem on a pty.
#include "tapi/TestView.h"
#include "tapi/testing/TapiMachine.h"
#include "tapi/tests/TestApp.h"

#include <tapi.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

using namespace plat::tapi::testing;

namespace {

class TapiCalls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(machine.Load({ModemEntry{}}, kModemOnCom3), "");
        // Loading a machine ends the sessions of the one before.
        app = std::make_unique<TestApp>();
        ASSERT_EQ(app->result, 0);
        ASSERT_EQ(app->Open(0, &line), 0);
    }

    TapiMachine machine;
    std::unique_ptr<TestApp> app;
    HLINE line = 0;
};

// Writes the bytes and reads until `until` shows up (or 5 s pass).
std::string talk(HANDLE port, const std::string& bytes, const std::string& until)
{
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD done = 0;
    if (!WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &done, &ov) &&
        GetLastError() == ERROR_IO_PENDING)
        GetOverlappedResult(port, &ov, &done, TRUE);
    std::string got;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (got.find(until) == std::string::npos && std::chrono::steady_clock::now() < end) {
        char c = 0;
        ResetEvent(ov.hEvent);
        if (!ReadFile(port, &c, 1, &done, &ov)) {
            if (GetLastError() != ERROR_IO_PENDING)
                break;
            if (WaitForSingleObject(ov.hEvent, 100) != WAIT_OBJECT_0) {
                PurgeComm(port, PURGE_RXABORT);
                GetOverlappedResult(port, &ov, &done, TRUE);
                continue;
            }
            GetOverlappedResult(port, &ov, &done, FALSE);
        }
        if (done == 1)
            got += c;
    }
    CloseHandle(ov.hEvent);
    return got;
}

std::vector<BYTE> callParams(DWORD bearer, const std::string& displayable, DWORD offset = 176)
{
    std::vector<BYTE> buffer(1200);
    auto* params = reinterpret_cast<LINECALLPARAMS*>(buffer.data());
    params->dwTotalSize = 1200;
    params->dwBearerMode = bearer;
    params->dwMediaMode = LINEMEDIAMODE_DATAMODEM;
    params->dwCallParamFlags = LINECALLPARAMFLAGS_IDLE;
    params->dwAddressMode = LINEADDRESSMODE_ADDRESSID;
    std::memcpy(buffer.data() + offset, displayable.c_str(), displayable.size() + 1);
    params->dwDisplayableAddressOffset = offset;
    params->dwDisplayableAddressSize = static_cast<DWORD>(displayable.size());
    return buffer;
}

const LINECALLPARAMS* asParams(const std::vector<BYTE>& buffer)
{
    return reinterpret_cast<const LINECALLPARAMS*>(buffer.data());
}

} // namespace

TEST_F(TapiCalls, APassthroughCallConnectsAtOnceToTheModemsPort)
{
    std::vector<BYTE> params = callParams(LINEBEARERMODE_PASSTHROUGH, "");
    HCALL call = 0;
    LONG request = lineMakeCallA(line, &call, "", 0, asParams(params));
    ASSERT_GT(request, 0);
    EXPECT_EQ(call, 0u) << "the handle is written when the request completes";

    EXPECT_EQ(WaitForSingleObject(app->event, 1000), DWORD{WAIT_OBJECT_0});
    LINEMESSAGE reply;
    ASSERT_TRUE(app->Next(&reply, 0));
    EXPECT_EQ(reply.dwMessageID, DWORD{LINE_REPLY}) << "the reply comes before the call's states";
    EXPECT_EQ(reply.dwParam1, static_cast<DWORD_PTR>(request));
    EXPECT_EQ(reply.dwParam2, 0u);
    EXPECT_NE(call, 0u) << "written with the reply";
    LINEMESSAGE connected;
    ASSERT_TRUE(app->Next(&connected, 0));
    EXPECT_EQ(connected.dwMessageID, DWORD{LINE_CALLSTATE});
    EXPECT_EQ(connected.hDevice, call);
    EXPECT_EQ(connected.dwParam1, DWORD_PTR{LINECALLSTATE_CONNECTED});
    EXPECT_EQ(connected.dwCallbackInstance, DWORD_PTR{7}) << "the instance given to lineOpenA";
    EXPECT_EQ(WaitForSingleObject(app->event, 0), DWORD{WAIT_TIMEOUT}) << "the event is reset with the queue empty";

    DataModemId modem = GetDataModem(line);
    ASSERT_EQ(modem.result, 0);
    std::string answer = talk(modem.port, "AT\r\n", "OK");
    EXPECT_NE(answer.find("OK"), std::string::npos) << answer;
    CloseHandle(modem.port);

    LINECALLSTATUS status{};
    status.dwTotalSize = sizeof(status);
    ASSERT_EQ(lineGetCallStatus(call, &status), 0);
    EXPECT_EQ(status.dwCallState, DWORD{LINECALLSTATE_CONNECTED});
    EXPECT_EQ(status.dwCallPrivilege, DWORD{LINECALLPRIVILEGE_OWNER});
    status.dwTotalSize = 36;
    EXPECT_EQ(lineGetCallStatus(call, &status), (LONG)LINEERR_STRUCTURETOOSMALL);
    EXPECT_EQ(status.dwNeededSize, 56u);
}

TEST_F(TapiCalls, ADialledCallEndsAsTheModemAnswers)
{
    struct Case {
        const char* number;
        DWORD state;
        DWORD mode;
    };
    const Case cases[] = {
        {"5550", LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE},
        {"555-1", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY},
        {"5552", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NOANSWER},
        {"5553", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NODIALTONE},
        {"5554", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNAVAIL},
    };
    ASSERT_EQ(lineClose(line), 0);
    for (const Case& c : cases) {
        // Each call on a line of its own: closing the line closes the port,
        // which hangs the modem up (DTR drops) after a CONNECT.
        ASSERT_EQ(app->Open(0, &line), 0) << c.number;
        std::vector<BYTE> params = callParams(LINEBEARERMODE_VOICE, c.number);
        HCALL call = 0;
        LONG request = lineMakeCallA(line, &call, c.number, 0, asParams(params));
        ASSERT_GT(request, 0) << c.number;
        ASSERT_TRUE(app->WaitReply(request)) << c.number;
        EXPECT_EQ(app->WaitState(call, LINECALLSTATE_DIALING).dwMessageID, DWORD{LINE_CALLSTATE}) << c.number;
        LINEMESSAGE end = app->WaitState(call, LINECALLSTATE_CONNECTED | LINECALLSTATE_DISCONNECTED);
        EXPECT_EQ(end.dwParam1, DWORD_PTR{c.state}) << c.number;
        EXPECT_EQ(end.dwParam2, DWORD_PTR{c.mode}) << c.number;

        LONG drop = lineDrop(call, nullptr, 0);
        EXPECT_GT(drop, 0);
        EXPECT_EQ(app->WaitState(call, LINECALLSTATE_IDLE).dwMessageID, DWORD{LINE_CALLSTATE}) << c.number;
        EXPECT_EQ(lineDrop(call, nullptr, 0), (LONG)LINEERR_INVALCALLSTATE);
        EXPECT_EQ(lineDeallocateCall(call), 0);
        EXPECT_EQ(lineDeallocateCall(call), (LONG)LINEERR_INVALCALLHANDLE);
        ASSERT_EQ(lineClose(line), 0);
    }
    EXPECT_EQ(plat::tapi::LastPlacedCall()->destination, "5554");
}

TEST_F(TapiCalls, DroppingADialAbandonsItAndGoesIdle)
{
    HCALL call = 0;
    LONG request = lineMakeCallA(line, &call, "5552", 0, nullptr);
    ASSERT_GT(request, 0);
    ASSERT_TRUE(app->WaitReply(request));
    ASSERT_EQ(app->WaitState(call, LINECALLSTATE_DIALING).dwMessageID, DWORD{LINE_CALLSTATE});
    EXPECT_EQ(lineDeallocateCall(call), (LONG)LINEERR_INVALCALLSTATE) << "only an idle call is deallocated";
    LONG drop = lineDrop(call, nullptr, 0);
    ASSERT_GT(drop, 0);
    EXPECT_EQ(lineDrop(call, nullptr, 0), (LONG)LINEERR_INVALCALLSTATE) << "one drop at a time";
    bool replied = false;
    bool idle = false;
    LINEMESSAGE message;
    while (!(replied && idle) && app->Next(&message, 3000)) {
        replied = replied || (message.dwMessageID == LINE_REPLY && message.dwParam1 == static_cast<DWORD_PTR>(drop));
        idle = idle || (message.dwMessageID == LINE_CALLSTATE && message.dwParam1 == LINECALLSTATE_IDLE);
        EXPECT_NE(message.dwParam1, DWORD_PTR{LINECALLSTATE_DISCONNECTED}) << "a dropped dial ends idle";
    }
    EXPECT_TRUE(replied);
    EXPECT_TRUE(idle);
    // The modem gave the dial up and answers commands again.
    HCALL passthrough = 0;
    std::vector<BYTE> params = callParams(LINEBEARERMODE_PASSTHROUGH, "");
    ASSERT_GT(lineMakeCallA(line, &passthrough, nullptr, 0, asParams(params)), 0);
    DataModemId modem = GetDataModem(line);
    EXPECT_NE(talk(modem.port, "AT\r", "OK").find("OK"), std::string::npos);
    CloseHandle(modem.port);
}

TEST_F(TapiCalls, MakeCallChecksItsParameters)
{
    std::vector<BYTE> good = callParams(LINEBEARERMODE_VOICE, "5550");
    std::vector<BYTE> outside = callParams(LINEBEARERMODE_VOICE, "5550");
    reinterpret_cast<LINECALLPARAMS*>(outside.data())->dwDisplayableAddressOffset = 1198;
    std::vector<BYTE> intoFixedPart = callParams(LINEBEARERMODE_VOICE, "5550");
    reinterpret_cast<LINECALLPARAMS*>(intoFixedPart.data())->dwDisplayableAddressOffset = 100;
    std::vector<BYTE> small = callParams(LINEBEARERMODE_VOICE, "5550");
    reinterpret_cast<LINECALLPARAMS*>(small.data())->dwTotalSize = 175;
    std::vector<BYTE> twoBearers = callParams(LINEBEARERMODE_VOICE | LINEBEARERMODE_DATA, "5550");
    std::vector<BYTE> data = callParams(LINEBEARERMODE_DATA, "5550");
    std::vector<BYTE> fax = callParams(LINEBEARERMODE_VOICE, "5550");
    reinterpret_cast<LINECALLPARAMS*>(fax.data())->dwMediaMode = LINEMEDIAMODE_G3FAX;
    std::vector<BYTE> address1 = callParams(LINEBEARERMODE_VOICE, "5550");
    reinterpret_cast<LINECALLPARAMS*>(address1.data())->dwAddressID = 1;

    struct Case {
        const char* what;
        HLINE line;
        const char* number;
        const std::vector<BYTE>* params;
        LONG expected;
    };
    const Case cases[] = {
        {"bad line", line + 1000, "5550", &good, (LONG)LINEERR_INVALLINEHANDLE},
        {"displayable address outside", line, "5550", &outside, (LONG)LINEERR_INVALCALLPARAMS},
        {"displayable address in the fixed part", line, "5550", &intoFixedPart, (LONG)LINEERR_INVALCALLPARAMS},
        {"structure too small", line, "5550", &small, (LONG)LINEERR_STRUCTURETOOSMALL},
        {"two bearer modes", line, "5550", &twoBearers, (LONG)LINEERR_INVALBEARERMODE},
        {"unoffered bearer mode", line, "5550", &data, (LONG)LINEERR_INVALBEARERMODE},
        {"unoffered media mode", line, "5550", &fax, (LONG)LINEERR_INVALMEDIAMODE},
        {"address 1", line, "5550", &address1, (LONG)LINEERR_INVALADDRESSID},
        {"not dialable", line, "+49 (30) 5550", &good, (LONG)LINEERR_INVALADDRESS},
    };
    for (const Case& c : cases) {
        HCALL call = 0;
        EXPECT_EQ(lineMakeCallA(c.line, &call, c.number, 0, asParams(*c.params)), c.expected) << c.what;
        EXPECT_EQ(call, 0u) << c.what;
    }

    // The displayable address is read where the parameters say it is.
    std::vector<BYTE> elsewhere = callParams(LINEBEARERMODE_VOICE, "Office", 600);
    HCALL call = 0;
    ASSERT_GT(lineMakeCallA(line, &call, "(555) 0", 0, asParams(elsewhere)), 0);
    auto placed = plat::tapi::LastPlacedCall();
    ASSERT_TRUE(placed.has_value());
    EXPECT_EQ(placed->displayableAddress, "Office");
    EXPECT_EQ(placed->destination, "5550");
    EXPECT_EQ(placed->bearerMode, DWORD{LINEBEARERMODE_VOICE});
    EXPECT_EQ(placed->mediaMode, DWORD{LINEMEDIAMODE_DATAMODEM});
    HCALL second = 0;
    EXPECT_EQ(lineMakeCallA(line, &second, "5550", 0, asParams(good)), (LONG)LINEERR_CALLUNAVAIL)
        << "the modem carries one call at a time";
}

TEST_F(TapiCalls, ClosingTheLineEndsItsCallsAndFreesThePort)
{
    HCALL call = 0;
    LONG request = lineMakeCallA(line, &call, "5552", 0, nullptr);
    ASSERT_GT(request, 0);
    ASSERT_TRUE(app->WaitReply(request));
    ASSERT_EQ(app->WaitState(call, LINECALLSTATE_DIALING).dwMessageID, DWORD{LINE_CALLSTATE});
    ASSERT_EQ(lineClose(line), 0);
    LINECALLSTATUS status{};
    status.dwTotalSize = sizeof(status);
    EXPECT_EQ(lineGetCallStatus(call, &status), (LONG)LINEERR_INVALCALLHANDLE);
    HANDLE port = CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(port, INVALID_HANDLE_VALUE);
    CloseHandle(port);
}
