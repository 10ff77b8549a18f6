// How the provider reads the modem's answer to a dial.
#include "tapi/ModemDialer.h"

#include <tapi.h>

#include <gtest/gtest.h>

using plat::tapi::ClassifyModemLine;
using plat::tapi::DialResult;
using plat::tapi::DisconnectModeOf;

TEST(ModemDialer, ClassifiesFinalResultsAndPassesOverTheRest)
{
    struct Case {
        const char* line;
        std::optional<DialResult> expected;
    };
    const Case cases[] = {
        {"CONNECT", DialResult::Connected},   {"CONNECT 33600/ARQ", DialResult::Connected},
        {"BUSY", DialResult::Busy},           {"NO ANSWER", DialResult::NoAnswer},
        {"NO DIALTONE", DialResult::NoDialtone}, {"NO DIAL TONE", DialResult::NoDialtone},
        {"NO CARRIER", DialResult::NoCarrier}, {"ERROR", DialResult::Error},
        {"  BUSY ", DialResult::Busy},        {"OK", DialResult::Connected},
        // numeric results
        {"1", DialResult::Connected},         {"3", DialResult::NoCarrier},
        {"6", DialResult::NoDialtone},        {"7", DialResult::Busy},
        {"8", DialResult::NoAnswer},          {"4", DialResult::Error},
        {"12", DialResult::Connected},
        // no final result: echo, blank, information, RING
        {"ATDT5551", std::nullopt},           {"", std::nullopt},
        {"RING", std::nullopt},               {"2", std::nullopt},
        {"BUSYNESS", std::nullopt},           {"PROTOCOL: LAPM", std::nullopt},
        {"12345678901", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyModemLine(c.line), c.expected) << '"' << c.line << '"';
}

TEST(ModemDialer, FailedDialsMapToDisconnectModes)
{
    EXPECT_EQ(DisconnectModeOf(DialResult::Busy), DWORD{LINEDISCONNECTMODE_BUSY});
    EXPECT_EQ(DisconnectModeOf(DialResult::NoAnswer), DWORD{LINEDISCONNECTMODE_NOANSWER});
    EXPECT_EQ(DisconnectModeOf(DialResult::NoDialtone), DWORD{LINEDISCONNECTMODE_NODIALTONE});
    EXPECT_EQ(DisconnectModeOf(DialResult::NoCarrier), DWORD{LINEDISCONNECTMODE_UNAVAIL});
    EXPECT_EQ(DisconnectModeOf(DialResult::Error), DWORD{LINEDISCONNECTMODE_UNKNOWN});
}
