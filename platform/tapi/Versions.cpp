#include "tapi/Versions.h"

#include <tapi.h>

#include <cstddef>

namespace plat::tapi {
namespace {
const DWORD kVersions[] = {0x00010003, 0x00010004, 0x00020000, 0x00020001, 0x00020002};
}

bool IsSupportedVersion(DWORD version)
{
    for (DWORD v : kVersions) {
        if (v == version)
            return true;
    }
    return false;
}

DWORD NegotiateVersion(DWORD low, DWORD high)
{
    DWORD best = 0;
    for (DWORD v : kVersions) {
        if (v >= low && v <= high)
            best = v;
    }
    return best;
}

DWORD DevCapsFixedSize(DWORD version)
{
    if (version < 0x00010004)
        return offsetof(LINEDEVCAPS, dwLineFeatures);
    if (version < 0x00020000)
        return offsetof(LINEDEVCAPS, dwSettableDevStatus);
    if (version < 0x00020002)
        return offsetof(LINEDEVCAPS, PermanentLineGuid);
    return sizeof(LINEDEVCAPS);
}

DWORD CallParamsFixedSize(DWORD version)
{
    return version < 0x00020000 ? offsetof(LINECALLPARAMS, dwPredictiveAutoTransferStates) : sizeof(LINECALLPARAMS);
}

DWORD CallStatusFixedSize(DWORD version)
{
    return version < 0x00020000 ? offsetof(LINECALLSTATUS, dwCallFeatures2) : sizeof(LINECALLSTATUS);
}

} // namespace plat::tapi
