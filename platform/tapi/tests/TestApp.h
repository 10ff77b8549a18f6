// A TAPI application for the tests: initialised with an event in the
// constructor, shut down in the destructor.
#pragma once

#include <tapi.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace plat::tapi::testing {

class TestApp {
public:
    TestApp()
    {
        LINEINITIALIZEEXPARAMS params{};
        params.dwTotalSize = sizeof(params);
        params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
        version = 0x00020002;
        result = lineInitializeExA(&app, nullptr, nullptr, "tests", &devices, &version, &params);
        event = params.Handles.hEvent;
    }
    ~TestApp()
    {
        if (app)
            lineShutdown(app);
    }
    TestApp(const TestApp&) = delete;
    TestApp& operator=(const TestApp&) = delete;

    // The line name of a device ("" when lineGetDevCapsA fails).
    std::string Name(DWORD device) const
    {
        std::vector<BYTE> buffer(1292);
        auto* caps = reinterpret_cast<LINEDEVCAPS*>(buffer.data());
        caps->dwTotalSize = 1292;
        if (lineGetDevCapsA(app, device, 0x00020002, 0, caps) != 0 || caps->dwLineNameSize == 0)
            return "";
        return reinterpret_cast<const char*>(buffer.data() + caps->dwLineNameOffset);
    }

    // The first device whose line has this name.
    DWORD Find(const std::string& name) const
    {
        for (DWORD i = 0; i < devices; ++i) {
            if (Name(i) == name)
                return i;
        }
        return 0xFFFFFFFF;
    }

    LONG Open(DWORD device, HLINE* line, DWORD_PTR instance = 7) const
    {
        return lineOpenA(app, device, line, 0x00020002, 0, instance, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM,
                         nullptr);
    }

    // The next message, waiting up to `ms`; false when none came.
    bool Next(LINEMESSAGE* message, DWORD ms = 5000) const { return lineGetMessage(app, message, ms) == 0; }

    // Takes messages until the LINE_REPLY of `request`; false when none came.
    bool WaitReply(LONG request, DWORD ms = 5000) const
    {
        LINEMESSAGE message{};
        while (Next(&message, ms)) {
            if (message.dwMessageID == LINE_REPLY && message.dwParam1 == static_cast<DWORD_PTR>(request))
                return true;
        }
        return false;
    }

    // Waits for LINE_CALLSTATE of `call` with one of the `states`, passing
    // over other messages; the state's message, or one with dwMessageID ~0.
    LINEMESSAGE WaitState(HCALL call, DWORD states, DWORD ms = 10000) const
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        LINEMESSAGE message{};
        while (std::chrono::steady_clock::now() < until) {
            if (Next(&message, 100) && message.dwMessageID == LINE_CALLSTATE && message.hDevice == call &&
                (message.dwParam1 & states))
                return message;
        }
        message.dwMessageID = ~0u;
        return message;
    }

    HLINEAPP app = 0;
    DWORD devices = 0;
    DWORD version = 0;
    HANDLE event = nullptr;
    LONG result = -1;
};

// The handle and the name in a "comm/datamodem" VARSTRING.
struct DataModemId {
    LONG result = -1;
    HANDLE port = nullptr;
    std::string name;
};

inline DataModemId GetDataModem(HLINE line)
{
    std::vector<BYTE> buffer(279);
    auto* id = reinterpret_cast<VARSTRING*>(buffer.data());
    id->dwTotalSize = 279;
    DataModemId out;
    out.result = lineGetIDA(line, 0, 0, LINECALLSELECT_LINE, id, "comm/datamodem");
    if (out.result == 0 && id->dwStringSize > sizeof(HANDLE)) {
        std::memcpy(&out.port, buffer.data() + id->dwStringOffset, sizeof(HANDLE));
        out.name = reinterpret_cast<const char*>(buffer.data() + id->dwStringOffset + sizeof(HANDLE));
    }
    return out;
}

} // namespace plat::tapi::testing
