// WOW64: a 32-bit process on a 64-bit Windows.
#pragma once

namespace plat::process {

constexpr bool RunsUnderWow64(int processBits, int systemBits)
{
    return processBits == 32 && systemBits == 64;
}

} // namespace plat::process
