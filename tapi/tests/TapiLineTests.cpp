// CTapiLine against the emulated PC: TAPI lines made from the installed
// modem, the emulated modem behind COM3 on a pty, and the trace file.
#include "TapiLine.h"

#include "ModemDevice.h"
#include "Trace.h"
#include "boot/Boot.h"
#include "serial/Serial.h"
#include "tapi/TestView.h"
#include "tapi/testing/PtyPort.h"
#include "tapi/testing/TapiMachine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace plat::tapi::testing;

namespace {

const char kName[] = "Virtual Data Fax Modem";
const LONG kOperationFailed = static_cast<LONG>(LINEERR_OPERATIONFAILED);
const LONG kResourceUnavail = static_cast<LONG>(LINEERR_RESOURCEUNAVAIL);
const LONG kBadDeviceId = static_cast<LONG>(LINEERR_BADDEVICEID);

// The texts of the trace file's lines, without time and thread.
class TraceFile {
public:
    explicit TraceFile(const std::string& name) : m_path(name + ".trc")
    {
        std::remove(m_path.c_str());
        TraceSetName(name.c_str());
        TraceSetLevel(20);
    }
    std::vector<std::string> Lines() const
    {
        std::ifstream in(m_path, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            size_t colon = line.find(": ");
            lines.push_back(colon == std::string::npos ? line : line.substr(colon + 2));
        }
        return lines;
    }

private:
    std::string m_path;
};

bool eventually(const std::function<bool()>& done, int ms = 5000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

// Offers each byte until the line takes it, as the AT exchange does.
bool writeAll(CTapiLine& line, const std::string& bytes)
{
    for (char c : bytes) {
        if (!eventually([&] { return line.WriteByte(c) == 1; }))
            return false;
    }
    return true;
}

std::string readUntil(CTapiLine& line, const std::string& until)
{
    std::string got;
    eventually([&] {
        char c = 0;
        while (line.ReadByte(&c))
            got += c;
        return got.find(until) != std::string::npos;
    });
    return got;
}

bool portFree(const char* name)
{
    HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (port == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(port);
    return true;
}

class TapiLineTest : public ::testing::Test {
protected:
    std::string Load(const std::string& json, std::vector<ModemEntry> modems = {ModemEntry{}})
    {
        return machine.Load(modems, json);
    }
    TapiMachine machine;
};

} // namespace

TEST_F(TapiLineTest, OpenTakesTheFirstLineWithTheExactNameThatCarriesDataModemCalls)
{
    struct Case {
        const char* what;
        const char* tapi;
        const char* name;
        LONG expected;
    };
    const Case cases[] = {
        {"the modem's line", "", kName, 0},
        {"the case differs", "", "virtual data fax modem", kBadDeviceId},
        {"a prefix", "", "Virtual Data Fax", kBadDeviceId},
        {"a voice line of the same name comes first",
         R"(, "tapi": {"extraLines": [{"name": "Virtual Data Fax Modem", "mediaModes": ["interactivevoice"],
                                       "before": true}]})",
         kName, 0},
        {"only a voice line has the name",
         R"(, "tapi": {"extraLines": [{"name": "Phone", "mediaModes": ["interactivevoice"]}]})", "Phone",
         kBadDeviceId},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Load(std::string(kModemOnCom3) + c.tapi), "") << c.what;
        TraceFile trace("open");
        CTapiLine line;
        EXPECT_EQ(line.Open(c.name, "COM3"), c.expected) << c.what;
        if (c.expected == 0) {
            // The chosen line is the modem's: its passthrough call reaches the modem.
            ASSERT_EQ(line.MakeCall(NULL), 0) << c.what;
            ASSERT_TRUE(writeAll(line, "AT\r\n")) << c.what;
            EXPECT_NE(readUntil(line, "OK").find("OK"), std::string::npos) << c.what;
        } else {
            EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"ERROR: No device available. Return LINEERR_BADDEVICEID"}))
                << c.what;
        }
        line.Close();
        EXPECT_EQ(trace.Lines().back(), "TapiLine closed") << c.what;
    }
}

// A modem without a line of its name: the dial tone and dialing tests try
// again and again. Each failed Open gives TAPI back; the emulated PC never
// reuses a handle value, so any handle made between the two markers that
// still answers a wait is one that an Open left behind.
TEST_F(TapiLineTest, FailedOpensLeaveNoTapiInstanceBehind)
{
    ASSERT_EQ(Load(kModemOnCom3), "");
    CTapiLine line;
    HANDLE first = CreateEventA(NULL, TRUE, FALSE, NULL);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(line.Open("No Such Modem", "COM3"), kBadDeviceId);
    HANDLE last = CreateEventA(NULL, TRUE, FALSE, NULL);
    int alive = 0;
    for (uintptr_t h = reinterpret_cast<uintptr_t>(first) + 4; h < reinterpret_cast<uintptr_t>(last); h += 4) {
        if (WaitForSingleObject(reinterpret_cast<HANDLE>(h), 0) != WAIT_FAILED)
            ++alive;
    }
    EXPECT_EQ(alive, 0) << "TAPI events still open after 20 failed opens";
    CloseHandle(first);
    CloseHandle(last);

    // The same object then opens the modem's line.
    ASSERT_EQ(line.Open(kName, "COM3"), 0);
    ASSERT_EQ(line.MakeCall(NULL), 0);
    ASSERT_TRUE(writeAll(line, "AT\r\n"));
    EXPECT_NE(readUntil(line, "OK").find("OK"), std::string::npos);
}

// TAPI hands out the call's handle when the request completes, after
// MakeCall has returned; the line keeps it and ends the call with it.
TEST_F(TapiLineTest, TheCallHandleArrivesWithTheRequestsCompletion)
{
    ASSERT_EQ(Load(kModemOnCom3), "");
    for (const char* number : {(const char*)NULL, "5550"}) {
        CTapiLine line;
        ASSERT_EQ(line.Open(kName, "COM3"), 0);
        ASSERT_EQ(line.MakeCall(number), 0);
        ASSERT_TRUE(eventually([&] { return line.GetCall() != 0; })) << (number ? number : "passthrough");
        LINECALLSTATUS status{};
        status.dwTotalSize = sizeof(status);
        ASSERT_EQ(lineGetCallStatus(line.GetCall(), &status), 0);
        EXPECT_TRUE(eventually([&] { return line.WriteByte('x') == 1; }));
        HCALL call = line.GetCall();
        line.Close();
        EXPECT_EQ(line.GetCall(), 0u);
        EXPECT_EQ(lineGetCallStatus(call, &status), (LONG)LINEERR_INVALCALLHANDLE);
        EXPECT_TRUE(portFree("COM3"));
    }
}

TEST_F(TapiLineTest, APortThatTapiCannotOpenIsProbedDirectly)
{
    ModemEntry onCom9;
    onCom9.attachedTo = "COM9";
    struct Case {
        const char* what;
        const char* ports;
        std::vector<ModemEntry> modems;
        LONG expected;
        std::vector<std::string> traces;
    };
    const Case cases[] = {
        {"held by another program",
         R"("ports": {"COM3": {"modem": "m", "heldBy": "Fax Monitor"}}, "modems": {"m": {}})",
         {ModemEntry{}},
         kOperationFailed,
         {"ERROR: GetLastError(). Return code = 5", "ERROR: Open the line error. Return code = -2147483576"}},
        {"absent",
         R"("ports": {"COM3": {"absent": true}})",
         {ModemEntry{}},
         kResourceUnavail,
         {"ERROR: GetLastError(). Return code = 2", "ERROR: Open the line error. Return code = -2147483573"}},
        {"TAPI's port is gone but the modem's COM3 works",
         R"("ports": {"COM3": {"modem": "m"}, "COM9": {"absent": true}}, "modems": {"m": {}})",
         {onCom9},
         kOperationFailed,
         {"ERROR: Can not open via TAPI, but COM port works OK",
          "ERROR: Open the line error. Return code = -2147483576"}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Load(c.ports, c.modems), "") << c.what;
        TraceFile trace("probe");
        CTapiLine line;
        EXPECT_EQ(line.Open(kName, "COM3"), c.expected) << c.what;
        EXPECT_EQ(trace.Lines(), c.traces) << c.what;
        line.Close();
        std::vector<std::string> expected = c.traces;
        expected.push_back("Close TapiLine");
        expected.push_back("TapiLine closed");
        EXPECT_EQ(trace.Lines(), expected) << c.what;
    }
    EXPECT_TRUE(portFree("COM3")) << "the probe closes the port again";
}

TEST_F(TapiLineTest, APassthroughCallGivesThePortForByteWiseIo)
{
    ASSERT_EQ(Load(kModemOnCom3), "");
    CTapiLine line;
    ASSERT_EQ(line.Open(kName, "COM3"), 0);
    char c = 0;
    EXPECT_EQ(line.ReadByte(&c), 0) << "no port before the call";
    EXPECT_EQ(line.WriteByte('A'), 0) << "no port before the call";

    ASSERT_EQ(line.MakeCall(NULL), 0);
    auto placed = plat::tapi::LastPlacedCall();
    ASSERT_TRUE(placed.has_value());
    EXPECT_EQ(placed->bearerMode, DWORD{LINEBEARERMODE_PASSTHROUGH});
    EXPECT_EQ(placed->mediaMode, DWORD{LINEMEDIAMODE_DATAMODEM});
    EXPECT_EQ(placed->callParamFlags, DWORD{LINECALLPARAMFLAGS_IDLE});
    EXPECT_EQ(placed->destination, "");
    EXPECT_EQ(placed->displayableAddress, "");
    EXPECT_EQ(line.GetCallResult(), CALLRESULT_PENDING);

    ASSERT_TRUE(writeAll(line, "AT\r\n"));
    std::string reply = readUntil(line, "OK\r\n");
    EXPECT_NE(reply.find("OK\r\n"), std::string::npos) << reply;
    ASSERT_TRUE(writeAll(line, "ATI3\r\n"));
    reply = readUntil(line, "OK\r\n");
    EXPECT_NE(reply.find("Virtual Data Fax Modem 1.0"), std::string::npos) << reply;
    EXPECT_EQ(line.GetCallResult(), CALLRESULT_PENDING) << "a passthrough call stays up";
}

TEST_F(TapiLineTest, ASecondWriteWhileOneIsPendingIsNotTaken)
{
    PtyPort pty;
    ASSERT_FALSE(pty.SlavePath().empty());
    ASSERT_EQ(Load(R"("ports": {"COM3": {"device": ")" + pty.SlavePath() + R"("}})"), "");
    CTapiLine line;
    ASSERT_EQ(line.Open(kName, "COM3"), 0);
    ASSERT_EQ(line.MakeCall(NULL), 0);
    ASSERT_TRUE(eventually([&] { return line.WriteByte('0') == 1; }));

    // Nobody reads the pty: the port's buffer fills and a write stays pending.
    std::string sent = "0";
    const int kLimit = 1 << 20;
    int refused = 0;
    for (int i = 1; i < kLimit && refused == 0; ++i) {
        char next = static_cast<char>('a' + i % 26);
        if (line.WriteByte(next) == 1)
            sent += next;
        else
            refused = i;
    }
    ASSERT_NE(refused, 0) << "the port never backed up";
    char offered = static_cast<char>('a' + refused % 26);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(line.WriteByte(offered), 0) << "the previous write is still outstanding";

    // Once the other end reads, the pending write finishes and the byte is taken.
    std::string received;
    ASSERT_TRUE(eventually([&] {
        received += pty.Drain();
        return line.WriteByte(offered) == 1;
    }));
    sent += offered;
    ASSERT_TRUE(eventually([&] {
        received += pty.Drain();
        return received.size() >= sent.size();
    }));
    EXPECT_EQ(received, sent) << "every byte once, in order, none of the refused offers";
}

TEST_F(TapiLineTest, EachDisconnectModeGivesItsCallResult)
{
    struct Case {
        const char* number;
        int result;
    };
    const Case cases[] = {
        {"5551", CALLRESULT_BUSY},
        {"5552", CALLRESULT_NOANSWER},
        {"5553", CALLRESULT_NODIALTONE},
        {"5554", CALLRESULT_FAILED}, // NO CARRIER: LINEDISCONNECTMODE_UNAVAIL
    };
    ASSERT_EQ(Load(kModemOnCom3), "");
    for (const Case& c : cases) {
        CTapiLine line;
        ASSERT_EQ(line.Open(kName, "COM3"), 0) << c.number;
        ASSERT_EQ(line.MakeCall(c.number), 0) << c.number;
        auto placed = plat::tapi::LastPlacedCall();
        EXPECT_EQ(placed->bearerMode, DWORD{LINEBEARERMODE_VOICE}) << c.number;
        EXPECT_EQ(placed->displayableAddress, c.number);
        EXPECT_TRUE(eventually([&] { return line.GetCallResult() != CALLRESULT_PENDING; })) << c.number;
        EXPECT_EQ(line.GetCallResult(), c.result) << c.number;
        char ch;
        EXPECT_EQ(line.ReadByte(&ch), 0) << "no port after a disconnect";
        EXPECT_EQ(line.WriteByte('A'), 0) << "no port after a disconnect";
    }
}

TEST_F(TapiLineTest, ADialledCallThatConnectsGivesThePort)
{
    ASSERT_EQ(Load(kModemOnCom3), "");
    CTapiLine line;
    ASSERT_EQ(line.Open(kName, "COM3"), 0);
    ASSERT_EQ(line.MakeCall("5550"), 0);
    // Online: the modem echoes nothing and answers nothing, but the port is there.
    EXPECT_TRUE(eventually([&] { return line.WriteByte('x') == 1; }));
    EXPECT_EQ(line.GetCallResult(), CALLRESULT_PENDING);
    line.Close();
    EXPECT_TRUE(portFree("COM3"));
}

TEST(TapiLineClose, ALineNeverOpenedOnlyTraces)
{
    TraceFile trace("never");
    {
        CTapiLine line;
        EXPECT_EQ(line.Close(), 0);
        EXPECT_EQ(line.Close(), 0);
    }
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"Close TapiLine", "TapiLine closed", "Close TapiLine",
                                                        "TapiLine closed", "Close TapiLine", "TapiLine closed"}));
}

TEST_F(TapiLineTest, ClosingAConnectedCallFreesThePort)
{
    ASSERT_EQ(Load(kModemOnCom3), "");
    TraceFile trace("connected");
    CTapiLine line;
    ASSERT_EQ(line.Open(kName, "COM3"), 0);
    ASSERT_EQ(line.MakeCall(NULL), 0);
    ASSERT_TRUE(eventually([&] { return line.WriteByte('A') == 1; }));
    char c;
    line.ReadByte(&c); // leaves a read outstanding
    EXPECT_FALSE(portFree("COM3"));
    EXPECT_EQ(line.Close(), 0);
    EXPECT_TRUE(portFree("COM3"));
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"Close TapiLine", "TapiLine closed"}));
    EXPECT_EQ(line.ReadByte(&c), 0);

    // The line opens again for the next stage.
    ASSERT_EQ(line.Open(kName, "COM3"), 0);
    ASSERT_EQ(line.MakeCall(NULL), 0);
    ASSERT_TRUE(writeAll(line, "AT\r\n"));
    EXPECT_NE(readUntil(line, "OK").find("OK"), std::string::npos);
}

TEST(TapiLineDefaultMachine, TheModemThatDiscoveryFindsIsReachedThroughItsLine)
{
    std::string error;
    ASSERT_TRUE(plat::StartMachineFrom(std::string(RAVLIN_SOURCE_DIR) + "/machines/default", &error)) << error;
    CModemDevice modem;
    ASSERT_EQ(modem.SearchModem(), 1);
    CTapiLine line;
    ASSERT_EQ(line.Open(modem), 0) << modem.GetFriendlyName() << " on " << modem.GetAttachedTo();
    ASSERT_EQ(line.MakeCall(NULL), 0);
    ASSERT_TRUE(writeAll(line, "AT\r\n"));
    EXPECT_NE(readUntil(line, "OK").find("OK"), std::string::npos);
    line.Close();
    EXPECT_TRUE(portFree(modem.GetAttachedTo()));
}

// A read or write that ends with an error (a purge by another user of the
// port, a line error while the port aborts on errors) gives no byte for
// that call, and the next call starts a new request: the exchange goes on.
TEST_F(TapiLineTest, ARequestThatEndsWithAnErrorDoesNotBlockThePort)
{
    ASSERT_EQ(Load(kModemOnCom3), "");
    CTapiLine line;
    ASSERT_EQ(line.Open(kName, "COM3"), 0);
    ASSERT_EQ(line.MakeCall(NULL), 0);
    ASSERT_TRUE(writeAll(line, "AT\r\n"));
    ASSERT_NE(readUntil(line, "OK\r\n").find("OK\r\n"), std::string::npos);

    struct Case {
        const char* what;
        std::function<bool()> fault;
    } cases[] = {
        {"purge", [] { return plat::serial::PurgeOpenPort("COM3", PURGE_RXABORT | PURGE_TXABORT); }},
        {"line error with fAbortOnError",
         [] { return plat::serial::SetAbortOnError("COM3", true) && plat::serial::RaiseLineError("COM3", CE_FRAME); }},
    };
    for (const Case& c : cases) {
        char ch = 0;
        EXPECT_EQ(line.ReadByte(&ch), 0) << c.what << ": nothing to read, a read is now pending";
        ASSERT_TRUE(c.fault()) << c.what;
        EXPECT_EQ(line.ReadByte(&ch), 0) << c.what << ": the aborted read gives no byte";
        ASSERT_TRUE(writeAll(line, "ATI3\r\n")) << c.what;
        std::string reply = readUntil(line, "OK\r\n");
        EXPECT_NE(reply.find("Virtual Data Fax Modem 1.0"), std::string::npos) << c.what << ": " << reply;
    }
    line.Close();
}
