// lineMakeCallA, lineDrop, lineDeallocateCall and lineGetCallStatus. A call
// on a modem line is either a passthrough call, which connects at once to
// the modem's port, or a dialled call: the provider dials through the modem
// on a thread of its own and reports CONNECTED or DISCONNECTED with the
// disconnect mode of the modem's answer.
#include "tapi/TestView.h"
#include "tapi/KeepLastError.h"
#include "tapi/ModemDialer.h"
#include "tapi/Objects.h"
#include "tapi/Versions.h"

#include <tapi.h>

#include <cctype>
#include <cstring>

using namespace plat::tapi;

namespace {

// Without LINECALLPARAMS dwNoAnswerTimeout the provider waits this long
// (machine time) for the modem's answer to a dial.
constexpr DWORD kDialTimeoutMs = 90000;

std::optional<PlacedCall>& lastPlacedCall()
{
    static std::optional<PlacedCall> last; // guarded by the sessions' lock
    return last;
}

// The dialable address as the modem gets it: formatting characters dropped,
// the subaddress ('|') and name ('^') parts not dialled.
std::optional<std::string> dialable(const char* address)
{
    std::string digits;
    for (const char* p = address ? address : ""; *p && *p != '|' && *p != '^'; ++p) {
        char c = *p;
        if (c == ' ' || c == '-' || c == '(' || c == ')' || c == '.')
            continue;
        if (!std::isdigit(static_cast<unsigned char>(c)) && !std::strchr("ABCDabcd*#!PpTtWw@$,;?", c))
            return std::nullopt;
        digits += c;
    }
    if (digits.size() > 128)
        return std::nullopt;
    return digits;
}

bool singleBit(DWORD value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

// Every (size, offset) pair of the parameters must lie inside dwTotalSize.
bool variablePartsInside(const LINECALLPARAMS& params, DWORD fixed)
{
    static const size_t kSizeFields[] = {
        offsetof(LINECALLPARAMS, dwOrigAddressSize),       offsetof(LINECALLPARAMS, dwDisplayableAddressSize),
        offsetof(LINECALLPARAMS, dwCalledPartySize),       offsetof(LINECALLPARAMS, dwCommentSize),
        offsetof(LINECALLPARAMS, dwUserUserInfoSize),      offsetof(LINECALLPARAMS, dwHighLevelCompSize),
        offsetof(LINECALLPARAMS, dwLowLevelCompSize),      offsetof(LINECALLPARAMS, dwDevSpecificSize),
        offsetof(LINECALLPARAMS, dwTargetAddressSize),     offsetof(LINECALLPARAMS, dwSendingFlowspecSize),
        offsetof(LINECALLPARAMS, dwReceivingFlowspecSize), offsetof(LINECALLPARAMS, dwDeviceClassSize),
        offsetof(LINECALLPARAMS, dwDeviceConfigSize),      offsetof(LINECALLPARAMS, dwCallDataSize),
        offsetof(LINECALLPARAMS, dwCallingPartyIDSize),
    };
    const BYTE* base = reinterpret_cast<const BYTE*>(&params);
    for (size_t field : kSizeFields) {
        if (field + 2 * sizeof(DWORD) > fixed)
            continue;
        DWORD size = 0;
        DWORD offset = 0;
        std::memcpy(&size, base + field, sizeof(DWORD));
        std::memcpy(&offset, base + field + sizeof(DWORD), sizeof(DWORD));
        if (size != 0 && (offset < fixed || offset > params.dwTotalSize || size > params.dwTotalSize - offset))
            return false;
    }
    return true;
}

struct CallRequest {
    DWORD bearerMode = LINEBEARERMODE_VOICE;
    DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    DWORD flags = 0;
    DWORD addressMode = LINEADDRESSMODE_ADDRESSID;
    DWORD noAnswerTimeout = 0;
    std::string displayableAddress;
};

LONG readCallParams(const LINECALLPARAMS* params, DWORD apiVersion, CallRequest* out)
{
    if (!params)
        return 0;
    const DWORD fixed = CallParamsFixedSize(apiVersion);
    if (params->dwTotalSize < fixed)
        return LINEERR_STRUCTURETOOSMALL;
    if (!variablePartsInside(*params, fixed))
        return LINEERR_INVALCALLPARAMS;
    if (params->dwBearerMode)
        out->bearerMode = params->dwBearerMode;
    if (params->dwMediaMode)
        out->mediaMode = params->dwMediaMode;
    out->flags = params->dwCallParamFlags;
    if (params->dwAddressMode)
        out->addressMode = params->dwAddressMode;
    if (out->addressMode == LINEADDRESSMODE_ADDRESSID) {
        if (params->dwAddressID != 0)
            return LINEERR_INVALADDRESSID;
    } else if (out->addressMode != LINEADDRESSMODE_DIALABLEADDR) {
        return LINEERR_INVALADDRESSMODE;
    }
    if (params->dwDisplayableAddressSize) {
        const char* text = reinterpret_cast<const char*>(params) + params->dwDisplayableAddressOffset;
        out->displayableAddress.assign(text, strnlen(text, params->dwDisplayableAddressSize));
    }
    if (apiVersion >= 0x00020000)
        out->noAnswerTimeout = params->dwNoAnswerTimeout;
    return 0;
}

void runDialer(std::shared_ptr<Call> call, HANDLE port, std::string number, DWORD timeoutMs)
{
    DialResult result = DialModem(port, number, call->abort, timeoutMs);
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    call->dialing = false;
    if (call->removed)
        return;
    if (call->dropRequest) {
        PostReplyLocked(s, call->app, call->dropRequest, 0);
        call->dropRequest = 0;
        SetCallStateLocked(s, *call, LINECALLSTATE_IDLE, 0);
    } else if (result == DialResult::Connected) {
        SetCallStateLocked(s, *call, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    } else {
        SetCallStateLocked(s, *call, LINECALLSTATE_DISCONNECTED, DisconnectModeOf(result));
    }
}

} // namespace

namespace plat::tapi {
std::optional<PlacedCall> LastPlacedCall()
{
    std::lock_guard<std::mutex> lock(TheSessions().mutex);
    return lastPlacedCall();
}
} // namespace plat::tapi

extern "C" LONG WINAPI lineMakeCallA(HLINE hLine, LPHCALL lphCall, LPCSTR lpszDestAddress, DWORD dwCountryCode,
                                     const LINECALLPARAMS* lpCallParams)
{
    KeepLastError keep;
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto found = s.lines.find(hLine);
    if (found == s.lines.end())
        return LINEERR_INVALLINEHANDLE;
    Line& line = *found->second;
    if (!lphCall)
        return LINEERR_INVALPOINTER;
    CallRequest request;
    if (LONG error = readCallParams(lpCallParams, line.apiVersion, &request))
        return error;
    if (!singleBit(request.bearerMode) || !(request.bearerMode & line.device.bearerModes))
        return LINEERR_INVALBEARERMODE;
    if (!singleBit(request.mediaMode) || !(request.mediaMode & line.device.mediaModes))
        return LINEERR_INVALMEDIAMODE;
    std::optional<std::string> number = dialable(lpszDestAddress);
    if (!number)
        return LINEERR_INVALADDRESS;
    if (!line.port)
        return LINEERR_OPERATIONUNAVAIL;
    if (line.port->activeCall)
        return LINEERR_CALLUNAVAIL;

    auto call = std::make_shared<Call>();
    call->handle = NewHandleLocked(s);
    call->line = line.handle;
    call->app = line.app;
    call->callbackInstance = line.callbackInstance;
    call->apiVersion = line.apiVersion;
    call->port = line.port;
    call->bearerMode = request.bearerMode;
    call->mediaMode = request.mediaMode;
    call->destination = *number;
    call->displayableAddress = request.displayableAddress;
    s.calls.emplace(call->handle, call);
    line.calls.insert(call->handle);
    line.port->activeCall = call->handle;
    lastPlacedCall() = PlacedCall{*number,          request.displayableAddress, request.bearerMode,
                                  request.mediaMode, request.flags,              request.addressMode,
                                  dwCountryCode};

    // As on Windows, *lphCall is written when the request completes, not
    // during this call: here when the application takes the LINE_REPLY.
    LONG id = NewRequestLocked(s);
    PostReplyLocked(s, call->app, id, 0, lphCall, call->handle);
    if (request.bearerMode == LINEBEARERMODE_PASSTHROUGH) {
        // The application talks to the modem itself: nothing to dial.
        SetCallStateLocked(s, *call, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    } else {
        SetCallStateLocked(s, *call, LINECALLSTATE_DIALING, 0);
        call->dialing = true;
        DWORD timeout = request.noAnswerTimeout ? request.noAnswerTimeout * 1000 : kDialTimeoutMs;
        call->dialer = std::thread(runDialer, call, line.port->handle.Get(), *number, timeout);
    }
    return id;
}

extern "C" LONG WINAPI lineDrop(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto found = s.calls.find(hCall);
    if (found == s.calls.end())
        return LINEERR_INVALCALLHANDLE;
    Call& call = *found->second;
    if (dwSize && !lpsUserUserInfo)
        return LINEERR_INVALPOINTER;
    if (call.state == LINECALLSTATE_IDLE || call.dropRequest)
        return LINEERR_INVALCALLSTATE;
    LONG id = NewRequestLocked(s);
    if (call.dialing) {
        // The dialer abandons the dial and then completes the request.
        call.dropRequest = id;
        call.abort = true;
        return id;
    }
    PostReplyLocked(s, call.app, id, 0);
    SetCallStateLocked(s, call, LINECALLSTATE_IDLE, 0);
    return id;
}

extern "C" LONG WINAPI lineDeallocateCall(HCALL hCall)
{
    Detached detached;
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto found = s.calls.find(hCall);
    if (found == s.calls.end())
        return LINEERR_INVALCALLHANDLE;
    if (found->second->state != LINECALLSTATE_IDLE)
        return LINEERR_INVALCALLSTATE;
    DetachCallLocked(s, hCall, &detached);
    return 0;
}

extern "C" LONG WINAPI lineGetCallStatus(HCALL hCall, LPLINECALLSTATUS lpCallStatus)
{
    Sessions& s = TheSessions();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto found = s.calls.find(hCall);
    if (found == s.calls.end())
        return LINEERR_INVALCALLHANDLE;
    if (!lpCallStatus)
        return LINEERR_INVALPOINTER;
    const Call& call = *found->second;
    const DWORD total = lpCallStatus->dwTotalSize;
    const DWORD fixed = CallStatusFixedSize(call.apiVersion);
    if (total < fixed) {
        if (total >= offsetof(LINECALLSTATUS, dwUsedSize))
            lpCallStatus->dwNeededSize = fixed;
        return LINEERR_STRUCTURETOOSMALL;
    }
    LINECALLSTATUS status{};
    status.dwTotalSize = total;
    status.dwNeededSize = fixed;
    status.dwUsedSize = fixed;
    status.dwCallState = call.state;
    status.dwCallStateMode = call.stateMode;
    status.dwCallPrivilege = LINECALLPRIVILEGE_OWNER;
    status.dwCallFeatures = call.state == LINECALLSTATE_IDLE ? 0 : LINECALLFEATURE_DROP;
    status.tStateEntryTime = call.stateEntered;
    std::memcpy(lpCallStatus, &status, fixed);
    return 0;
}
