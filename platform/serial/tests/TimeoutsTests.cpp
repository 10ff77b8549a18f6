#include "serial/Timeouts.h"

#include <gtest/gtest.h>

using namespace plat::serial;

TEST(Timeouts, ReadRulesAsAWindowsSerialDriverReadsThem)
{
    struct Case {
        COMMTIMEOUTS t;
        DWORD size;
        bool atOnce, onAny;
        long total;    // -1: none
        long interval; // -1: none
    } cases[] = {
        {{0, 0, 0, 0, 0}, 10, false, false, -1, -1},                  // wait for every byte
        {{MAXDWORD, 0, 0, 0, 0}, 10, true, false, -1, -1},            // what is there, now
        {{MAXDWORD, MAXDWORD, 500, 0, 0}, 10, false, true, 500, -1},  // first byte or 500 ms
        {{0, 10, 100, 0, 0}, 5, false, false, 150, -1},               // multiplier per byte + constant
        {{20, 0, 0, 0, 0}, 5, false, false, -1, 20},                  // gap between bytes only
        {{MAXDWORD, 0, 40, 0, 0}, 5, false, false, 40, -1},
        {{0, MAXDWORD, 0, 0, 0}, 2, false, false, 2L * MAXDWORD, -1}, // no 32-bit overflow
    };
    for (const Case& c : cases) {
        ReadRule rule = RuleForRead(c.t, c.size);
        SCOPED_TRACE(std::to_string(c.t.ReadIntervalTimeout) + "/" + std::to_string(c.t.ReadTotalTimeoutMultiplier) +
                     "/" + std::to_string(c.t.ReadTotalTimeoutConstant));
        EXPECT_EQ(rule.returnAtOnce, c.atOnce);
        EXPECT_EQ(rule.returnOnAny, c.onAny);
        EXPECT_EQ(rule.total ? rule.total->count() : -1, c.total);
        EXPECT_EQ(rule.interval ? rule.interval->count() : -1, c.interval);
    }
    EXPECT_FALSE(RuleForWrite({0, 0, 0, 0, 0}, 100));
    EXPECT_EQ(RuleForWrite({0, 0, 0, 2, 30}, 100)->count(), 230);
    EXPECT_FALSE(ValidTimeouts({MAXDWORD, MAXDWORD, MAXDWORD, 0, 0}));
    EXPECT_TRUE(ValidTimeouts({MAXDWORD, MAXDWORD, 1, 0, 0}));
}
