// The clock's calendar conversions with the Windows C runtime's 64-bit
// time functions.
#include "core/ClockCalendar.h"

#include <time.h>

namespace plat::clock {

void LocalFromSeconds(int64_t seconds, std::tm* local)
{
    __time64_t t = static_cast<__time64_t>(seconds);
    _localtime64_s(local, &t);
}

int64_t SecondsFromLocal(std::tm* local)
{
    return static_cast<int64_t>(_mktime64(local));
}

} // namespace plat::clock
