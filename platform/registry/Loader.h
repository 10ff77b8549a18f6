// Loading the registry of a machine profile: the files registry/*.reg, in
// name order, each one applied over the ones before it.
#pragma once

#include "core/Machine.h"
#include "registry/Registry.h"

#include <memory>
#include <string>
#include <string_view>

namespace plat::registry {

// Registers the registry's profile loader with the platform core; the
// machine then starts only on a registry that loaded whole.
void RegisterLoader();

// Builds the registry of the profile folder `folder` for the user `userSid`.
// A profile without a registry/ folder has an empty registry.
bool LoadProfileRegistry(const std::string& folder, const std::string& userSid, std::shared_ptr<Registry>* out,
                         ProfileError* error);

// Applies the bytes of one .reg file to `registry`.
bool ApplyRegFile(std::string_view bytes, Registry& registry, RegFileError* error);

} // namespace plat::registry
