#include "core/Clock.h"
#include "core/testing/TempProfile.h"

#include <mbstring.h>
#include <time.h>
#include <win/errors.h>
#include <win/kernel.h>

#include <gtest/gtest.h>

using plat::testing::TempProfile;

TEST(System, VersionAndLanguagesComeFromTheProfile)
{
    TempProfile profile;
    profile.Write("machine.json", R"({"os": {"major": 5, "minor": 1, "build": 2600, "csd": "Service Pack 3"},
                                      "languages": {"systemDefault": "0x0c0c", "userUI": "0x0804"}})");
    ASSERT_EQ(profile.Load(), "");
    OSVERSIONINFOA info{};
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(sizeof(info), 148u);
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwBuildNumber, 2600u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 3");
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0c0c);
    EXPECT_EQ(GetUserDefaultUILanguage(), 0x0804);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409) << "unset languages default to US English";
}

TEST(System, LocalTimeAndCalendarTimeFollowTheMachineClock)
{
    plat::clock::SetNow(plat::clock::FromLocal(2026, 12, 31, 23, 59, 58, 900));
    SYSTEMTIME st;
    GetLocalTime(&st);
    EXPECT_EQ(st.wYear, 2026);
    EXPECT_EQ(st.wMonth, 12);
    EXPECT_EQ(st.wDay, 31);
    EXPECT_EQ(st.wHour, 23);
    EXPECT_EQ(st.wMinute, 59);
    __time64_t before = _time64(nullptr);
    plat::clock::Advance(std::chrono::milliseconds(2000));
    GetLocalTime(&st);
    EXPECT_EQ(st.wYear, 2027);
    EXPECT_EQ(st.wDay, 1);
    EXPECT_GE(_time64(nullptr) - before, 2);
    plat::clock::Reset();
}

TEST(System, MultibyteSearchIsExactAndNeverStartsOnATrailByte)
{
    TempProfile western;
    ASSERT_EQ(western.Load(), "");
    const auto* id = reinterpret_cast<const unsigned char*>("HDAUDIO\\FUNC_02&VEN_1A2B&DEV_3005\\4&1&0001");
    EXPECT_NE(_mbsstr(id, reinterpret_cast<const unsigned char*>("VEN_1A2B&DEV_3005")), nullptr);
    EXPECT_EQ(_mbsstr(id, reinterpret_cast<const unsigned char*>("ven_1a2b")), nullptr) << "case-sensitive";
    EXPECT_EQ(_mbscmp(reinterpret_cast<const unsigned char*>("Modem"), reinterpret_cast<const unsigned char*>("modem")),
              -1);

    TempProfile japanese;
    japanese.Write("machine.json", R"({"languages": {"systemDefault": "0x0411"}})");
    ASSERT_EQ(japanese.Load(), "");
    // 0x83 0x5C is one Shift-JIS character whose trail byte is '\'.
    const unsigned char text[] = {0x83, 0x5C, 'A', 0};
    const unsigned char backslash[] = {0x5C, 0};
    EXPECT_EQ(_mbsstr(text, backslash), nullptr);
    const unsigned char letter[] = {'A', 0};
    EXPECT_EQ(_mbsstr(text, letter), text + 2);

    // _mbsdec steps back over a whole character: before 'A' stands the
    // two-byte character, not a '\'. Where lead and trail values repeat,
    // the run of lead-byte values before the byte decides.
    EXPECT_EQ(_mbsdec(text, text + 2), text);
    EXPECT_EQ(_mbsdec(text, text), nullptr);
    const unsigned char path[] = {'a', 0x5C, 0x83, 0x5C, 0x5C, 'b', 0};
    EXPECT_EQ(_mbsdec(path, path + 2), path + 1) << "a single-byte '\\'";
    EXPECT_EQ(_mbsdec(path, path + 4), path + 2);
    EXPECT_EQ(_mbsdec(path, path + 5), path + 4);
    const unsigned char pairs[] = {0x81, 0x81, 0x81, 0x5C, 'c', 0};
    EXPECT_EQ(_mbsdec(pairs, pairs + 4), pairs + 2) << "0x81 0x81, then 0x81 0x5C";
    EXPECT_EQ(_mbsdec(pairs, pairs + 2), pairs);
    EXPECT_EQ(_mbsdec(id, id + 8), id + 7) << "ASCII text steps one byte";
}

TEST(System, ProcessTimesCountThisProcessOnly)
{
    FILETIME created, exited, kernel, user;
    volatile double sink = 0;
    for (int i = 0; i < 2000000; ++i)
        sink = sink + i * 0.5;
    ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
    uint64_t userUnits = (static_cast<uint64_t>(user.dwHighDateTime) << 32) | user.dwLowDateTime;
    EXPECT_GT(userUnits, 0u);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetProcessTimes(reinterpret_cast<HANDLE>(0x1234), &created, &exited, &kernel, &user));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// A debugger listens exactly when the debug channel has a destination.
TEST(System, ADebuggerIsPresentWhenTheDebugChannelIsWatched)
{
    unsetenv("RAVLIN_DEBUG_OUTPUT");
    EXPECT_FALSE(IsDebuggerPresent());
    setenv("RAVLIN_DEBUG_OUTPUT", "stderr", 1);
    EXPECT_TRUE(IsDebuggerPresent());
    unsetenv("RAVLIN_DEBUG_OUTPUT");
}
