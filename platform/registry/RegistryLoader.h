// Loading the registry of a machine profile: the files registry/*.reg, in
// name order, each one applied over the ones before it; for an overlay the
// base's files come first.
#pragma once

#include "core/Machine.h"
#include "registry/Registry.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plat::registry {

// Registers the registry's profile loader with the platform core; the
// machine then starts only on a registry that loaded whole.
void RegisterLoader();

// Builds the registry of the profile folder `folder` for the user `userSid`.
// A profile without a registry/ folder has an empty registry.
bool LoadProfileRegistry(const std::string& folder, const std::string& userSid, std::shared_ptr<Registry>* out,
                         ProfileError* error);

// The same for an overlay's layers, from the bottom base up: each layer's
// files are applied after those of the layers below it.
bool LoadProfileRegistry(const std::vector<std::string>& layers, const std::string& userSid,
                         std::shared_ptr<Registry>* out, ProfileError* error);

// Applies the bytes of one .reg file to `registry`.
bool ApplyRegFile(std::string_view bytes, Registry& registry, RegFileError* error);

} // namespace plat::registry
