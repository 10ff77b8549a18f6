// The machine's clock. Everything in the platform that tells the time
// (GetLocalTime, GetTickCount, _time64) reads it here, so tests can move the
// emulated PC's clock without touching the system's code: an offset is added
// to the host's real time.
#pragma once

#include <chrono>
#include <ctime>

namespace plat::clock {

using TimePoint = std::chrono::system_clock::time_point;

// The machine's current wall-clock time.
TimePoint Now();

// Local broken-down time of a point, with milliseconds.
struct LocalTime {
    std::tm tm;
    int milliseconds;
};
LocalTime ToLocal(TimePoint point);

// Test hooks: shift the machine's clock. SetNow makes Now() return `point`
// at this instant and keep running from there; Advance adds to the shift;
// Reset returns to the host's time.
void SetNow(TimePoint point);
void Advance(std::chrono::milliseconds delta);
void Reset();

// Builds a time point from local calendar fields (for tests).
TimePoint FromLocal(int year, int month, int day, int hour, int minute, int second, int millisecond);

} // namespace plat::clock
