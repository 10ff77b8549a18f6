// What applications last asked of the emulated TAPI, for tests that check
// how a program fills its call parameters.
#pragma once

#include <win/types.h>

#include <optional>
#include <string>

namespace plat::tapi {

struct PlacedCall {
    std::string destination;        // as dialled (formatting characters removed)
    std::string displayableAddress; // read through dwDisplayableAddressOffset/Size
    DWORD bearerMode = 0;
    DWORD mediaMode = 0;
    DWORD callParamFlags = 0;
    DWORD addressMode = 0;
    DWORD countryCode = 0;
};

// The last call that lineMakeCallA accepted; nullopt before the first.
std::optional<PlacedCall> LastPlacedCall();

} // namespace plat::tapi
