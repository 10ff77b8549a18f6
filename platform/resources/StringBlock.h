// RT_STRING resources: string identifier n lives in block n / 16 + 1 as
// entry n % 16; a block holds 16 strings, each a WORD length followed by
// that many UTF-16 units (no terminator).
#pragma once

#include <win/types.h>

#include <optional>
#include <string>

namespace plat::resources {

constexpr WORD StringBlockOf(UINT id)
{
    return static_cast<WORD>(id / 16 + 1);
}

// Entry `index` (0-15) of the block; nullopt when the block is cut short.
std::optional<std::u16string> StringInBlock(const BYTE* data, DWORD size, unsigned index);

} // namespace plat::resources
