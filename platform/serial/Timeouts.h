// COMMTIMEOUTS as a Windows serial driver reads them, turned into what one
// read or write request waits for.
#pragma once

#include <win/kernel.h>

#include <chrono>
#include <optional>

namespace plat::serial {

using Milliseconds = std::chrono::milliseconds;

struct ReadRule {
    bool returnAtOnce = false; // MAXDWORD, 0, 0: whatever is there, even nothing
    bool returnOnAny = false;  // MAXDWORD, MAXDWORD, c: the first byte ends it
    std::optional<Milliseconds> total;    // the whole request; none = no limit
    std::optional<Milliseconds> interval; // between two bytes, after the first
};

ReadRule RuleForRead(const COMMTIMEOUTS& timeouts, DWORD size);
// The whole write's limit; none = no limit.
std::optional<Milliseconds> RuleForWrite(const COMMTIMEOUTS& timeouts, DWORD size);

// SetCommTimeouts refuses MAXDWORD for both read totals with a MAXDWORD interval.
bool ValidTimeouts(const COMMTIMEOUTS& timeouts);

} // namespace plat::serial
