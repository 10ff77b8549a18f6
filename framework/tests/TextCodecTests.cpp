// The dialog's ANSI texts reach the page as UTF-8, and come back, in the
// machine's ANSI code page: what a Chinese or Japanese Windows's A
// functions return shows right.
#include "framework/bridge/TextCodec.h"

#include "core/testing/TempProfile.h"

#include <gtest/gtest.h>

#include <string>

using afx::bridge::AnsiToUtf8;
using afx::bridge::Utf8ToAnsi;

TEST(TextCodec, TextsFollowTheMachinesAnsiCodePage)
{
    struct Case {
        const char* language;
        std::string ansi;
        std::string utf8;
    } cases[] = {
        // 936: the modem name of a Simplified Chinese machine, which a
        // Windows-1252 reading turns into "Ììñ· ...".
        {"0x0804", "\xCC\xEC\xF1\xB7 HDA56 \xC8\xED\xBC\xFE", "\xE5\xA4\xA9\xE7\xA9\xB9 HDA56 \xE8\xBD\xAF\xE4\xBB\xB6"},
        {"0x0804", "\xD6\xD0\xB9\xFA", "\xE4\xB8\xAD\xE5\x9B\xBD"}, // the country name
        // 932: a trail byte equal to '\' (0x5C) stays inside its character.
        {"0x0411", "\x95\x5C\x8E\xA6", "\xE8\xA1\xA8\xE7\xA4\xBA"},
        {"0x0411", "\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"},
        // 1252: the western machines as before, its 0x80..0x9F included.
        {"0x0407", "Deutschland \xE4 \x80", "Deutschland \xC3\xA4 \xE2\x82\xAC"},
        {"0x0409", "", ""},
    };
    for (const Case& c : cases) {
        plat::testing::TempProfile profile;
        profile.Write("machine.json", std::string(R"({"languages": {"systemDefault": ")") + c.language + R"("}})");
        ASSERT_EQ(profile.Load(), "");
        EXPECT_EQ(AnsiToUtf8(c.ansi), c.utf8) << c.language;
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi) << c.language;
    }
}

TEST(TextCodec, WhatThePageSendsThatTheCodePageLacksBecomesTheDefaultCharacter)
{
    plat::testing::TempProfile profile;
    profile.Write("machine.json", R"({"languages": {"systemDefault": "0x0409"}})");
    ASSERT_EQ(profile.Load(), "");
    EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE4\xB8\xAD"), "caf\xE9 ?");
}
