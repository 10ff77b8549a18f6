// lineOpenA, lineClose, lineSetStatusMessages and lineGetIDA: open lines and
// the devices behind them. The modem provider opens the modem's COM port
// when a line of the modem is opened and holds it until the last such line
// is closed; "comm/datamodem" hands the application a second handle to it.
#include "core/AsciiText.h"
#include "tapi/KeepLastError.h"
#include "tapi/Objects.h"
#include "tapi/VariablePart.h"
#include "tapi/Versions.h"

#include <tapi.h>

#include <cstring>
#include <strings.h>

using namespace plat::tapi;

namespace {

constexpr DWORD kAllLineStates = 0x01FFFFFF;   // LINEDEVSTATE_OTHER .. LINEDEVSTATE_REMOVED
constexpr DWORD kAllAddressStates = 0x000001FF; // LINEADDRESSSTATE_OTHER .. LINEADDRESSSTATE_CAPSCHANGE

bool validPrivileges(DWORD privileges)
{
    return privileges == LINECALLPRIVILEGE_NONE || privileges == LINECALLPRIVILEGE_MONITOR ||
           privileges == LINECALLPRIVILEGE_OWNER ||
           privileges == (LINECALLPRIVILEGE_MONITOR | LINECALLPRIVILEGE_OWNER);
}

// The provider's hold on a port: shared with the lines already open on it,
// else opened now, exclusively and overlapped. Null when the port cannot be
// opened (held by another program, or not there).
std::shared_ptr<ProviderPort> acquirePortLocked(Sessions& s, const std::string& name)
{
    std::string key = plat::text::UpperAscii(name);
    if (auto it = s.ports.find(key); it != s.ports.end()) {
        if (auto port = it->second.lock())
            return port;
        s.ports.erase(it);
    }
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    auto port = std::make_shared<ProviderPort>();
    port->name = name;
    port->handle.Reset(handle);
    s.ports[key] = port;
    return port;
}

LONG fillVarString(LPVARSTRING out, DWORD format, const std::string& bytes)
{
    VariablePart variable(out, out->dwTotalSize, sizeof(VARSTRING));
    auto placed = variable.Add(bytes.data(), static_cast<DWORD>(bytes.size()));
    out->dwNeededSize = variable.Needed();
    out->dwUsedSize = variable.Used();
    out->dwStringFormat = format;
    out->dwStringSize = placed.size;
    out->dwStringOffset = placed.offset;
    return 0;
}

// "comm/datamodem": a HANDLE to the port followed by the device's name. The
// handle is made only when the buffer can take it (it is the caller's to
// close, so none may be made that the caller never sees).
LONG commDataModem(LPVARSTRING out, const Line& line)
{
    const size_t size = sizeof(HANDLE) + line.device.name.size() + 1;
    if (out->dwTotalSize < sizeof(VARSTRING) + size) {
        out->dwNeededSize = static_cast<DWORD>(sizeof(VARSTRING) + size);
        out->dwUsedSize = sizeof(VARSTRING);
        out->dwStringFormat = STRINGFORMAT_BINARY;
        out->dwStringSize = 0;
        out->dwStringOffset = 0;
        return 0;
    }
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), line.port->handle.Get(), GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        return LINEERR_OPERATIONFAILED;
    std::string bytes(sizeof(HANDLE), '\0');
    std::memcpy(bytes.data(), &copy, sizeof(HANDLE));
    bytes += line.device.name;
    bytes += '\0';
    return fillVarString(out, STRINGFORMAT_BINARY, bytes);
}

} // namespace

extern "C" LONG WINAPI lineOpenA(HLINEAPP hLineApp, DWORD dwDeviceID, LPHLINE lphLine, DWORD dwAPIVersion,
                                 DWORD dwExtVersion, DWORD_PTR dwCallbackInstance, DWORD dwPrivileges,
                                 DWORD dwMediaModes, const LINECALLPARAMS*)
{
    KeepLastError keep;
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto app = s.apps.find(hLineApp);
    if (app == s.apps.end())
        return LINEERR_INVALAPPHANDLE;
    if (!lphLine)
        return LINEERR_INVALPOINTER;
    if (dwDeviceID >= app->second->devices.size())
        return LINEERR_BADDEVICEID;
    if (!IsSupportedVersion(dwAPIVersion))
        return LINEERR_INCOMPATIBLEAPIVERSION;
    if (dwExtVersion != 0)
        return LINEERR_INCOMPATIBLEEXTVERSION;
    if (!validPrivileges(dwPrivileges))
        return LINEERR_INVALPRIVSELECT;
    const LineDevice& device = app->second->devices[dwDeviceID];
    if ((dwPrivileges & LINECALLPRIVILEGE_OWNER) &&
        (dwMediaModes == 0 || (dwMediaModes & ~device.mediaModes) != 0))
        return LINEERR_INVALMEDIAMODE;

    auto line = std::make_shared<Line>();
    if (!device.port.empty() || !device.instanceId.empty()) {
        // A modem whose port cannot be opened fails the same way whether
        // another program holds the port or the port is not there.
        line->port = device.port.empty() ? nullptr : acquirePortLocked(s, device.port);
        if (!line->port)
            return LINEERR_OPERATIONFAILED;
    }
    line->handle = NewHandleLocked(s);
    line->app = hLineApp;
    line->deviceId = dwDeviceID;
    line->device = device;
    line->apiVersion = dwAPIVersion;
    line->callbackInstance = dwCallbackInstance;
    line->privileges = dwPrivileges;
    line->mediaModes = dwMediaModes;
    s.lines.emplace(line->handle, line);
    app->second->lines.insert(line->handle);
    *lphLine = line->handle;
    return 0;
}

extern "C" LONG WINAPI lineClose(HLINE hLine)
{
    KeepLastError keep;
    Detached detached;
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.lines.count(hLine))
        return LINEERR_INVALLINEHANDLE;
    DetachLineLocked(s, hLine, &detached);
    return 0;
}

extern "C" LONG WINAPI lineSetStatusMessages(HLINE hLine, DWORD dwLineStates, DWORD dwAddressStates)
{
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto line = s.lines.find(hLine);
    if (line == s.lines.end())
        return LINEERR_INVALLINEHANDLE;
    if (dwLineStates & ~kAllLineStates)
        return LINEERR_INVALLINESTATE;
    if (dwAddressStates & ~kAllAddressStates)
        return LINEERR_INVALADDRESSSTATE;
    line->second->lineStates = dwLineStates;
    line->second->addressStates = dwAddressStates;
    return 0;
}

extern "C" LONG WINAPI lineGetIDA(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect,
                                  LPVARSTRING lpDeviceID, LPCSTR lpszDeviceClass)
{
    KeepLastError keep;
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    std::shared_ptr<Line> line;
    if (dwSelect == LINECALLSELECT_LINE || dwSelect == LINECALLSELECT_ADDRESS) {
        auto it = s.lines.find(hLine);
        if (it == s.lines.end())
            return LINEERR_INVALLINEHANDLE;
        if (dwSelect == LINECALLSELECT_ADDRESS && dwAddressID != 0)
            return LINEERR_INVALADDRESSID;
        line = it->second;
    } else if (dwSelect == LINECALLSELECT_CALL) {
        auto call = s.calls.find(hCall);
        if (call == s.calls.end())
            return LINEERR_INVALCALLHANDLE;
        line = s.lines.at(call->second->line);
    } else {
        return LINEERR_INVALCALLSELECT;
    }
    if (!lpDeviceID || !lpszDeviceClass)
        return LINEERR_INVALPOINTER;
    if (lpDeviceID->dwTotalSize < sizeof(VARSTRING)) {
        if (lpDeviceID->dwTotalSize >= offsetof(VARSTRING, dwUsedSize))
            lpDeviceID->dwNeededSize = sizeof(VARSTRING);
        return LINEERR_STRUCTURETOOSMALL;
    }

    if (strcasecmp(lpszDeviceClass, "tapi/line") == 0) {
        std::string bytes(sizeof(DWORD), '\0');
        std::memcpy(bytes.data(), &line->deviceId, sizeof(DWORD));
        return fillVarString(lpDeviceID, STRINGFORMAT_BINARY, bytes);
    }
    if (!line->port)
        return LINEERR_INVALDEVICECLASS;
    if (strcasecmp(lpszDeviceClass, "comm/datamodem") == 0)
        return commDataModem(lpDeviceID, *line);
    if (strcasecmp(lpszDeviceClass, "comm") == 0 || strcasecmp(lpszDeviceClass, "comm/datamodem/portname") == 0)
        return fillVarString(lpDeviceID, STRINGFORMAT_ASCII, line->port->name + std::string(1, '\0'));
    return LINEERR_INVALDEVICECLASS;
}
