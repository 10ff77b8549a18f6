#include "core/ClockCalendar.h"

namespace plat::clock {

void LocalFromSeconds(int64_t seconds, std::tm* local)
{
    std::time_t t = static_cast<std::time_t>(seconds);
    localtime_r(&t, local);
}

int64_t SecondsFromLocal(std::tm* local)
{
    return static_cast<int64_t>(mktime(local));
}

} // namespace plat::clock
