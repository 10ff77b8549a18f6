// Profiles as overlays: a machine.json may name a "base" profile and then
// holds only what differs from it. The chain of bases is followed to a
// profile without one; each machine.json is applied onto its base's as a
// JSON merge patch (RFC 7386: null removes a key), and the layers' folders
// are kept so that registry files and drive_c/ can be layered as well.
#pragma once

#include "core/Machine.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace plat::overlay {

struct Layer {
    std::string folder;   // the profile folder, without a trailing '/'
    std::string jsonPath; // its machine.json
    nlohmann::json json;  // as written, "base" included
};

// Reads machine.json of `folder` and of every base below it. The result is
// the chain from the bottom (the profile without a base) to `folder` itself.
// A missing base, a base that is no profile, or a loop is refused with the
// machine.json and the key "base".
bool ReadChain(const std::string& folder, std::vector<Layer>* chain, ProfileError* error);

// The machine.json the chain amounts to: each layer merged onto the one
// below it, without the layer-only keys ("base", "removeFiles").
nlohmann::json MergedJson(const std::vector<Layer>& chain);

// The folder a base name stands for, seen from the overlay in `folder`: a
// name without '/' is a built-in profile (the folder of that name beside
// the overlay, else machines/<name> beside the executable); anything else
// is a folder, relative to the overlay.
std::string BaseFolder(const std::string& folder, const std::string& base);

} // namespace plat::overlay
