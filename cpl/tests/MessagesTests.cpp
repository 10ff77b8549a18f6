#include "AppletFixture.h"

#include "resources/Icons.h"

#include <cstring>

namespace {

const char kDescription[] = "Diagnose the modem hardware and software problem";

} // namespace

using AppletMessages = AppletTest;

TEST_F(AppletMessages, EveryMessageHasItsResult)
{
    CPLINFO old;
    std::memset(&old, 0x5A, sizeof(old));
    NEWCPLINFOA info;
    struct Case {
        UINT message;
        LPARAM lParam2;
        LONG_PTR result;
    } cases[] = {
        {CPL_INIT, 0, 1},
        {CPL_GETCOUNT, 0, 1},
        {CPL_INQUIRE, reinterpret_cast<LPARAM>(&old), 0},
        {CPL_SELECT, 0, 0},
        {CPL_NEWINQUIRE, reinterpret_cast<LPARAM>(&info), 0},
        {CPL_DBLCLK, 0, 0}, // no App Paths entry on this machine: nothing starts
        {CPL_STOP, 0, 0},
        {CPL_EXIT, 0, 0},
        {CPL_DYNAMIC_RES, 0, 0},
        {CPL_STARTWPARMSA, 0, 0},
        {CPL_SETUP, 0, 0},
        {0xFFFF, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Send(c.message, 0, c.lParam2), c.result) << "message " << c.message;

    CPLINFO untouched;
    std::memset(&untouched, 0x5A, sizeof(untouched));
    EXPECT_EQ(std::memcmp(&old, &untouched, sizeof(old)), 0) << "CPL_INQUIRE leaves CPLINFO alone";
}

TEST_F(AppletMessages, NewInquireFillsTheFixedFieldsInEveryLanguage)
{
    // English, a neutral-sublanguage block, a language without a block.
    for (LANGID ui : {LANGID{0x0409}, LANGID{0x0807}, LANGID{0x0405}}) {
        UseMachine(ui, ui);
        NEWCPLINFOA info = Inquire();
        // Copies: the byte-packed fields cannot be bound to references.
        DWORD size = info.dwSize, flags = info.dwFlags, helpContext = info.dwHelpContext;
        LONG_PTR data = info.lData;
        HICON hIcon = info.hIcon;
        EXPECT_EQ(size, 252u);
        EXPECT_EQ(flags, 0u);
        EXPECT_EQ(helpContext, 0u);
        EXPECT_EQ(data, 0);
        EXPECT_EQ(info.szHelpFile[0], '\0');
        ASSERT_NE(hIcon, nullptr) << "the icon is set in every language";
        auto icon = plat::resources::DescribeIcon(hIcon);
        ASSERT_TRUE(icon);
        EXPECT_EQ(icon->width, 32);
        EXPECT_EQ(icon->height, 32);
        EXPECT_EQ(icon->bitCount, 4);
        EXPECT_EQ(std::string(info.szInfo), ui == 0x0405 ? "" : kDescription) << std::hex << ui;
    }
}

TEST_F(AppletMessages, TheAppletIndexIsNotLookedAt)
{
    EXPECT_EQ(Send(CPL_INIT), 1);
    NEWCPLINFOA first, fifth;
    std::memset(&first, 0, sizeof(first));
    std::memset(&fifth, 0, sizeof(fifth));
    EXPECT_EQ(Send(CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&first)), 0);
    EXPECT_EQ(Send(CPL_NEWINQUIRE, 5, reinterpret_cast<LPARAM>(&fifth)), 0);
    EXPECT_EQ(std::memcmp(&first, &fifth, sizeof(first)), 0);
    EXPECT_STREQ(first.szName, "Modem Diagnostic Tool");
}
