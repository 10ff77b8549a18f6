// HINF values: each open INF file is held by a handle of its own until
// SetupCloseInfFile. Handle values are never reused, so a stale HINF or
// INFCONTEXT is recognised instead of reaching another file.
#pragma once

#include "inf/InfFile.h"

#include <win/setupapi_inf.h>

#include <memory>

namespace plat::inf {

HINF InsertInf(std::shared_ptr<const InfFile> file);
// The file of an open handle; null for anything else (including null and
// INVALID_HANDLE_VALUE).
std::shared_ptr<const InfFile> LookupInf(HINF handle);
// Releases the handle; false when it was not open.
bool RemoveInf(HINF handle);

} // namespace plat::inf
