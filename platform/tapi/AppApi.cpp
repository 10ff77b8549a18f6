// lineInitializeExA, lineShutdown, lineGetMessage, lineNegotiateAPIVersion
// and lineGetDevCapsA: an application's session and what it learns about the
// line devices.
#include "tapi/KeepLastError.h"
#include "tapi/Objects.h"
#include "tapi/VariablePart.h"
#include "tapi/Versions.h"

#include <tapi.h>

#include <cstring>

using namespace plat::tapi;

namespace {

std::shared_ptr<App> findApp(HLINEAPP handle)
{
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.apps.find(handle);
    return it == s.apps.end() ? nullptr : it->second;
}

LINEDEVCAPS fixedCaps(const LineDevice& device)
{
    LINEDEVCAPS caps{};
    caps.dwPermanentLineID = device.permanentId;
    caps.dwStringFormat = STRINGFORMAT_ASCII;
    caps.dwAddressModes = LINEADDRESSMODE_ADDRESSID;
    caps.dwNumAddresses = 1;
    caps.dwBearerModes = device.bearerModes;
    caps.dwMaxRate = device.port.empty() ? 0 : 115200;
    caps.dwMediaModes = device.mediaModes;
    caps.dwDevCapFlags = LINEDEVCAPFLAGS_CLOSEDROP;
    if (!device.port.empty())
        caps.dwDevCapFlags |= LINEDEVCAPFLAGS_DIALBILLING | LINEDEVCAPFLAGS_DIALQUIET | LINEDEVCAPFLAGS_DIALDIALTONE;
    caps.dwMaxNumActiveCalls = 1;
    caps.dwAnswerMode = LINEANSWERMODE_NONE;
    caps.dwRingModes = 1;
    caps.dwLineStates = LINEDEVSTATE_OTHER | LINEDEVSTATE_RINGING | LINEDEVSTATE_CONNECTED |
                        LINEDEVSTATE_DISCONNECTED | LINEDEVSTATE_INSERVICE | LINEDEVSTATE_OUTOFSERVICE |
                        LINEDEVSTATE_OPEN | LINEDEVSTATE_CLOSE | LINEDEVSTATE_NUMCALLS | LINEDEVSTATE_REINIT |
                        LINEDEVSTATE_CAPSCHANGE | LINEDEVSTATE_CONFIGCHANGE | LINEDEVSTATE_REMOVED;
    caps.MaxDialParams = {255000, 255, 255, 255000};
    caps.DefaultDialParams = {2000, 95, 95, 60000};
    caps.dwLineFeatures = LINEFEATURE_MAKECALL;
    return caps;
}

} // namespace

extern "C" LONG WINAPI lineInitializeExA(LPHLINEAPP lphLineApp, HINSTANCE, LINECALLBACK, LPCSTR,
                                         LPDWORD lpdwNumDevs, LPDWORD lpdwAPIVersion,
                                         LPLINEINITIALIZEEXPARAMS lpLineInitializeExParams)
{
    KeepLastError keep;
    if (!lphLineApp || !lpdwNumDevs || !lpdwAPIVersion)
        return LINEERR_INVALPOINTER;
    if (*lpdwAPIVersion < 0x00020000)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    // Messages reach the application through an event only: this TAPI
    // offers neither the hidden-window callback nor completion ports.
    if (!lpLineInitializeExParams)
        return LINEERR_INVALPARAM;
    if (lpLineInitializeExParams->dwTotalSize < sizeof(LINEINITIALIZEEXPARAMS))
        return LINEERR_STRUCTURETOOSMALL;
    if (lpLineInitializeExParams->dwOptions != LINEINITIALIZEEXOPTION_USEEVENT)
        return LINEERR_INVALPARAM;

    auto app = std::make_shared<App>();
    if (!app->queue.Event())
        return LINEERR_NOMEM;
    app->devices = BuildCatalog();
    Sessions& s = TheSessions();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        app->handle = NewHandleLocked(s);
        s.apps.emplace(app->handle, app);
    }
    *lphLineApp = app->handle;
    *lpdwNumDevs = static_cast<DWORD>(app->devices.size());
    *lpdwAPIVersion = kHighestVersion;
    lpLineInitializeExParams->dwNeededSize = sizeof(LINEINITIALIZEEXPARAMS);
    lpLineInitializeExParams->dwUsedSize = sizeof(LINEINITIALIZEEXPARAMS);
    lpLineInitializeExParams->Handles.hEvent = app->queue.Event();
    return 0;
}

extern "C" LONG WINAPI lineShutdown(HLINEAPP hLineApp)
{
    KeepLastError keep;
    Detached detached;
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.apps.count(hLineApp))
        return LINEERR_INVALAPPHANDLE;
    DetachAppLocked(s, hLineApp, &detached);
    return 0;
}

extern "C" LONG WINAPI lineGetMessage(HLINEAPP hLineApp, LPLINEMESSAGE lpMessage, DWORD dwTimeout)
{
    KeepLastError keep;
    std::shared_ptr<App> app = findApp(hLineApp);
    if (!app)
        return LINEERR_INVALAPPHANDLE;
    if (!lpMessage)
        return LINEERR_INVALPOINTER;
    LINEMESSAGE message{};
    if (!app->queue.Take(&message, dwTimeout))
        return LINEERR_OPERATIONFAILED;
    std::memcpy(lpMessage, &message, sizeof(message));
    return 0;
}

extern "C" LONG WINAPI lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion,
                                               DWORD dwAPIHighVersion, LPDWORD lpdwAPIVersion,
                                               LPLINEEXTENSIONID lpExtensionID)
{
    KeepLastError keep;
    std::shared_ptr<App> app = findApp(hLineApp);
    if (!app)
        return LINEERR_INVALAPPHANDLE;
    if (!lpdwAPIVersion || !lpExtensionID)
        return LINEERR_INVALPOINTER;
    if (dwDeviceID >= app->devices.size())
        return LINEERR_BADDEVICEID;
    DWORD version = NegotiateVersion(dwAPILowVersion, dwAPIHighVersion);
    if (!version)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    *lpdwAPIVersion = version;
    std::memset(lpExtensionID, 0, sizeof(LINEEXTENSIONID));
    return 0;
}

extern "C" LONG WINAPI lineGetDevCapsA(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                                       LPLINEDEVCAPS lpLineDevCaps)
{
    KeepLastError keep;
    std::shared_ptr<App> app = findApp(hLineApp);
    if (!app)
        return LINEERR_INVALAPPHANDLE;
    if (!lpLineDevCaps)
        return LINEERR_INVALPOINTER;
    if (dwDeviceID >= app->devices.size())
        return LINEERR_BADDEVICEID;
    if (!IsSupportedVersion(dwAPIVersion))
        return LINEERR_INCOMPATIBLEAPIVERSION;
    if (dwExtVersion != 0)
        return LINEERR_INCOMPATIBLEEXTVERSION;

    const LineDevice& device = app->devices[dwDeviceID];
    const DWORD total = lpLineDevCaps->dwTotalSize;
    const DWORD fixed = DevCapsFixedSize(dwAPIVersion);
    if (total < fixed) {
        if (total >= offsetof(LINEDEVCAPS, dwUsedSize))
            lpLineDevCaps->dwNeededSize = fixed;
        return LINEERR_STRUCTURETOOSMALL;
    }

    LINEDEVCAPS caps = fixedCaps(device);
    VariablePart variable(lpLineDevCaps, total, fixed);
    auto name = variable.Add(device.name.c_str(), static_cast<DWORD>(device.name.size() + 1));
    caps.dwLineNameSize = name.size;
    caps.dwLineNameOffset = name.offset;
    static const char kModemProvider[] = "Modem service provider";
    static const char kOtherProvider[] = "Telephony service provider";
    const char* provider = device.instanceId.empty() ? kOtherProvider : kModemProvider;
    auto info = variable.Add(provider, static_cast<DWORD>(std::strlen(provider) + 1));
    caps.dwProviderInfoSize = info.size;
    caps.dwProviderInfoOffset = info.offset;
    if (fixed > offsetof(LINEDEVCAPS, dwDeviceClassesOffset)) {
        // A list of NUL-terminated class names ending in an empty one.
        static const char kModemClasses[] = "tapi/line\0comm\0comm/datamodem\0comm/datamodem/portname\0";
        static const char kLineClasses[] = "tapi/line\0";
        auto classes = device.port.empty() ? variable.Add(kLineClasses, sizeof(kLineClasses))
                                           : variable.Add(kModemClasses, sizeof(kModemClasses));
        caps.dwDeviceClassesSize = classes.size;
        caps.dwDeviceClassesOffset = classes.offset;
    }
    caps.dwTotalSize = total;
    caps.dwNeededSize = variable.Needed();
    caps.dwUsedSize = variable.Used();
    std::memcpy(lpLineDevCaps, &caps, fixed);
    return 0;
}
