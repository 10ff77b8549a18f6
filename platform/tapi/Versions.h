// The TAPI versions this TAPI speaks (1.3 to 2.2) and the fixed sizes of
// the structures that grew with them: a structure must be at least as large
// as the fixed part of the version the application negotiated.
#pragma once

#include <win/types.h>

namespace plat::tapi {

constexpr DWORD kLowestVersion = 0x00010003;
constexpr DWORD kHighestVersion = 0x00020002;

bool IsSupportedVersion(DWORD version);
// The highest supported version within [low, high]; 0 when there is none.
DWORD NegotiateVersion(DWORD low, DWORD high);

DWORD DevCapsFixedSize(DWORD version);
DWORD CallParamsFixedSize(DWORD version);
DWORD CallStatusFixedSize(DWORD version);

} // namespace plat::tapi
