// The table of open registry key handles. The table owns every OpenKey;
// RegCloseKey removes it. Handle values are never reused, so a closed
// handle stays invalid. The predefined keys (HKEY_LOCAL_MACHINE...) are not
// in the table: they always name the root of the current registry.
#pragma once

#include "registry/OpenKey.h"

#include <win/types.h>

#include <memory>

namespace plat::registry::keys {

HKEY Insert(std::shared_ptr<const OpenKey> key);

// The key of a handle, predefined keys included; null for an unknown,
// closed or unsupported handle.
std::shared_ptr<const OpenKey> Get(HKEY handle);

bool IsPredefined(HKEY handle);

// Removes a handle from the table; false when it is not there.
bool Remove(HKEY handle);

} // namespace plat::registry::keys
