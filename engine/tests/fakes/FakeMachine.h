// Test doubles for the engine's two members: a scripted modem record and a
// scripted line whose "port" is a small Hayes modem that answers commands
// from a table. They replace CModemDevice and CTapiLine at link time, so the
// engine's own code runs unchanged and byte-exactly, without TAPI, serial
// ports or discovery.
//
// The script is set by the test before it resumes the engine and read by
// the test after the verdict has arrived; the engine's thread uses it in
// between, so no lock is needed.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fake {

struct ModemScript {
    int found = 1;         // SearchModem's answer
    int hardwareFound = 1; // m_bHardwareFound after SearchModem
    int countryFound = 1;  // gates GetDeviceId
    std::string friendlyName = "Fake Data Fax Modem";
    std::string driverVersion = "7.80";
    std::string deviceId = "PCI\\VEN_1234&DEV_5678&SUBSYS_00000000\\3&0&78";
    int deviceStatus = 1;
    int files = 1;
    int registry = 1;
    // Called as each installation check runs: "CheckDeviceStatus", ...
    std::function<void(const std::string&)> onCheck;
    int searches = 0;
};

struct LineScript {
    // TAPI side.
    int openResult = 0;      // Open's answer (a LINEERR code or 0)...
    std::deque<int> openResults; // ...unless one is queued here for the next Open
    int makeCallResult = 0;  // MakeCall's answer
    int callResult = 1;      // GetCallResult after MakeCall (1 = pending)
    int connectDelay = 0;    // port calls that find no port yet after MakeCall
    int refuseWrites = 0;    // WriteByte calls that are refused (counted down)
    bool refuseData = false; // data bytes (outside command lines) are refused
    // A port call that finds nothing to do moves the machine's clock on by
    // this much: time passes exactly while the engine waits for the modem,
    // however fast or slow the test machine is. 0 leaves the clock alone.
    int idleStepMs = 100;

    // Modem side: commands are matched without their CR; an unknown command
    // answers `unknownReply`.
    bool echo = true;
    std::map<std::string, std::string> replies;
    std::string unknownReply = "\r\nERROR\r\n";
    std::string loopback = "*"; // what a data byte '*' brings back
    // Called when a command line (before its reply is queued) or a data
    // byte has reached the modem.
    std::function<void(const std::string&)> onCommand;
    std::function<void(char)> onData;
    std::function<void(const char*)> onMakeCall; // null: passthrough call
    std::function<void()> onRefusedWrite;

    // What happened.
    int opens = 0;
    int closes = 0;
    int makeCalls = 0;
    bool lineOpen = false;
    std::vector<std::string> numbers; // MakeCall's argument ("(null)" for none)
    std::vector<std::string> commands;
    std::string dataWritten;

    // State of the port.
    int portCallsUntilConnected = 0;
    bool connected = false;
    std::deque<char> toHost;
    std::string lineBuffer;

    // Bytes already waiting in the port (stale replies).
    void Queue(const std::string& bytes) { toHost.insert(toHost.end(), bytes.begin(), bytes.end()); }
};

// Whether the fake line is open now; read by other threads.
std::atomic<bool>& LineOpen();

// The pump a test gives Dialog::WaitFor: while the line is closed the only
// thing a run can wait for is the clock (the card test's settling wait), so
// the clock runs fast there.
void PumpClock();

ModemScript& Modem();
LineScript& Line();
// Back to the defaults.
void Reset();

// A verbose reply: CR LF before and after each line.
std::string Reply(const std::vector<std::string>& lines);

} // namespace fake
