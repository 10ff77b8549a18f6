#include "serial/Timeouts.h"

#include <cstdint>

namespace plat::serial {
namespace {

constexpr DWORD kMax = 0xFFFFFFFFu;

std::optional<Milliseconds> total(DWORD multiplier, DWORD constant, DWORD size)
{
    if (multiplier == 0 && constant == 0)
        return std::nullopt;
    uint64_t ms = static_cast<uint64_t>(multiplier) * size + constant;
    return Milliseconds(static_cast<int64_t>(ms));
}

} // namespace

ReadRule RuleForRead(const COMMTIMEOUTS& t, DWORD size)
{
    ReadRule rule;
    if (t.ReadIntervalTimeout == kMax && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
        rule.returnAtOnce = true;
        return rule;
    }
    if (t.ReadIntervalTimeout == kMax && t.ReadTotalTimeoutMultiplier == kMax && t.ReadTotalTimeoutConstant != 0 &&
        t.ReadTotalTimeoutConstant != kMax) {
        rule.returnOnAny = true;
        rule.total = Milliseconds(t.ReadTotalTimeoutConstant);
        return rule;
    }
    rule.total = total(t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, size);
    if (t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != kMax)
        rule.interval = Milliseconds(t.ReadIntervalTimeout);
    return rule;
}

std::optional<Milliseconds> RuleForWrite(const COMMTIMEOUTS& t, DWORD size)
{
    return total(t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant, size);
}

bool ValidTimeouts(const COMMTIMEOUTS& t)
{
    return !(t.ReadIntervalTimeout == kMax && t.ReadTotalTimeoutMultiplier == kMax &&
             t.ReadTotalTimeoutConstant == kMax);
}

} // namespace plat::serial
