// The machine's clock: the host's real time plus an offset that tests set.
// Built into the emulated PC, and into the Windows unit suites' test clock.
#include "core/Clock.h"

#include "core/ClockCalendar.h"

#include <atomic>
#include <cstdint>

namespace plat::clock {
namespace {
std::atomic<int64_t> g_offsetMicros{0};
}

TimePoint Now()
{
    return std::chrono::system_clock::now() + std::chrono::microseconds(g_offsetMicros.load());
}

LocalTime ToLocal(TimePoint point)
{
    using namespace std::chrono;
    auto sinceEpoch = point.time_since_epoch();
    auto secs = duration_cast<seconds>(sinceEpoch);
    if (secs > sinceEpoch)
        secs -= seconds(1);
    LocalTime local{};
    LocalFromSeconds(static_cast<int64_t>(secs.count()), &local.tm);
    local.milliseconds = static_cast<int>(duration_cast<milliseconds>(sinceEpoch - secs).count());
    return local;
}

void SetNow(TimePoint point)
{
    auto delta = point - std::chrono::system_clock::now();
    g_offsetMicros.store(std::chrono::duration_cast<std::chrono::microseconds>(delta).count());
}

void Advance(std::chrono::milliseconds delta)
{
    g_offsetMicros.fetch_add(std::chrono::duration_cast<std::chrono::microseconds>(delta).count());
}

void Reset()
{
    g_offsetMicros.store(0);
}

TimePoint FromLocal(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    std::chrono::seconds since(SecondsFromLocal(&tm));
    return TimePoint(std::chrono::duration_cast<TimePoint::duration>(since)) + std::chrono::milliseconds(millisecond);
}

} // namespace plat::clock
