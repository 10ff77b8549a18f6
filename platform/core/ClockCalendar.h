// The two calendar conversions the clock needs from the host's C runtime:
// seconds since 1970 to local broken-down time, and back. One file per
// host implements them (ClockCalendarPosix.cpp here; the Windows test
// clock has its own), so the clock's arithmetic exists once.
#pragma once

#include <cstdint>
#include <ctime>

namespace plat::clock {

void LocalFromSeconds(int64_t seconds, std::tm* local);
int64_t SecondsFromLocal(std::tm* local); // mktime's rules; normalises *local

} // namespace plat::clock
