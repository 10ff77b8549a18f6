// Share modes of files, as Windows checks them (the table of "Creating and
// Opening Files" and Wine's kernel32 file tests): a second open must share
// what the first one holds, and the first one must share what the second
// one asks for.
#include "core/testing/TempProfile.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using plat::testing::TempProfile;

namespace {

constexpr DWORD R = GENERIC_READ;
constexpr DWORD W = GENERIC_WRITE;
constexpr DWORD SR = FILE_SHARE_READ;
constexpr DWORD SW = FILE_SHARE_WRITE;
constexpr DWORD SD = FILE_SHARE_DELETE;

HANDLE open(const char* name, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING)
{
    return CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string contentOf(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ShareModes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_profile.Load(), "");
        std::ofstream("shared.txt", std::ios::binary) << "first program's lines";
    }
    TempProfile m_profile;
};

} // namespace

TEST_F(ShareModes, ASecondOpenMustShareWhatTheFirstHoldsAndBeSharedWhatItAsks)
{
    struct Case {
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool opens;
    } cases[] = {
        // The trace file's own open: FILE_SHARE_READ only lets readers in.
        {W, SR, W, SR, false},
        {W, SR, R, SR | SW, true},
        {W, SR, R, SR, false}, // the reader does not share the write the first holds
        {W, SR, R | W, SR | SW, false},
        // Readers who share reading meet; one who refuses to share does not.
        {R, SR, R, SR, true},
        {R, SR, R, 0, false},
        {R, 0, R, SR, false},
        {R, SR, W, SR | SW, false}, // the first does not share writing
        {R, SR | SW, W, SR | SW, true},
        {R, SR | SW | SD, R, SW, false}, // the second must share the first's read
        // An open without data access neither needs nor breaks sharing.
        {0, 0, R, SR, true},
        {R, 0, 0, 0, true},
        // Deleting needs FILE_SHARE_DELETE from the other side, both ways.
        {DELETE, SR | SW | SD, R, SR | SW, false},
        {DELETE, SR | SW | SD, R, SR | SW | SD, true},
        {R, SR | SW, DELETE, SR | SW | SD, false},
        {R, SR | SW | SD, DELETE, SR | SW | SD, true},
        {GENERIC_ALL, SR | SW, R, SR | SW, false}, // GENERIC_ALL holds the right to delete
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << "first " << c.firstAccess << "/" << c.firstShare << ", second "
                                          << c.secondAccess << "/" << c.secondShare);
        HANDLE first = open("shared.txt", c.firstAccess, c.firstShare);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        SetLastError(0xdeadbeef);
        HANDLE second = open("shared.txt", c.secondAccess, c.secondShare);
        if (c.opens) {
            EXPECT_NE(second, INVALID_HANDLE_VALUE);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
        } else {
            EXPECT_EQ(second, INVALID_HANDLE_VALUE);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
        if (second != INVALID_HANDLE_VALUE)
            CloseHandle(second);
        CloseHandle(first);
    }
}

TEST_F(ShareModes, ARefusedCreateAlwaysLeavesTheFileAsItWasAndClosingFreesIt)
{
    HANDLE first = open("shared.txt", W, SR);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    for (DWORD disposition : {DWORD{CREATE_ALWAYS}, DWORD{TRUNCATE_EXISTING}, DWORD{OPEN_ALWAYS}}) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(open("SHARED.TXT", W, SR, disposition), INVALID_HANDLE_VALUE) << disposition;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << disposition;
    }
    EXPECT_EQ(contentOf("shared.txt"), "first program's lines") << "a refused open empties nothing";
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileA("shared.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    // A duplicate keeps the open alive; the last close ends it.
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), first, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    CloseHandle(first);
    EXPECT_EQ(open("shared.txt", W, SR, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    CloseHandle(copy);
    HANDLE again = open("shared.txt", W, SR, CREATE_ALWAYS);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(again);
    EXPECT_EQ(contentOf("shared.txt"), "");
    EXPECT_TRUE(DeleteFileA("shared.txt"));
}
