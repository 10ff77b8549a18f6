// A standard user cannot write below the Windows folder or the program
// folders, wherever the machine keeps them; an administrator can.
#include "core/testing/TempProfile.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

using plat::testing::TempProfile;

namespace {

// A profile whose program folder is a writable host folder outside the
// profile, as the built program's folder is mapped in the built-in machines.
std::string programFolderProfile(TempProfile& profile, bool administrator)
{
    std::string host = profile.Folder() + "-installed";
    std::filesystem::create_directories(host);
    profile.Write("machine.json", std::string(R"({"administrator": )") + (administrator ? "true" : "false") +
                                      R"(, "folders": {"C:\\Program Files\\Tarn\\Ravlin": ")" + host + R"("}})");
    return host;
}

BOOL createFile(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(h);
    return TRUE;
}

} // namespace

TEST(UserRights, AStandardUserCannotWriteBelowTheProgramFolders)
{
    TempProfile profile;
    std::string host = programFolderProfile(profile, false);
    std::filesystem::create_directories(host + "/htm");
    {
        std::ofstream(host + "/readme.txt") << "x";
    }
    ASSERT_EQ(profile.Load(), "");

    struct Case {
        const char* what;
        std::function<BOOL()> call;
        DWORD error;
    } cases[] = {
        {"new file", [] { return createFile("C:\\Program Files\\Tarn\\Ravlin\\Ravlin_Trace.trc"); }, ERROR_ACCESS_DENIED},
        {"new file, other case", [] { return createFile("c:\\program files\\TARN\\ravlin\\x.trc"); }, ERROR_ACCESS_DENIED},
        {"new file below", [] { return createFile("C:\\Program Files\\Tarn\\Ravlin\\htm\\x.htm"); }, ERROR_ACCESS_DENIED},
        {"missing folder", [] { return createFile("C:\\Program Files\\Tarn\\Ravlin\\none\\x.trc"); },
         ERROR_PATH_NOT_FOUND},
        {"existing file", [] { return createFile("C:\\Program Files\\Tarn\\Ravlin\\readme.txt"); }, ERROR_ACCESS_DENIED},
        {"new folder", [] { return CreateDirectoryA("C:\\Program Files\\Tarn\\Ravlin\\logs", nullptr); },
         ERROR_ACCESS_DENIED},
        {"existing folder", [] { return CreateDirectoryA("C:\\Program Files\\Tarn\\Ravlin\\htm", nullptr); },
         ERROR_ALREADY_EXISTS},
        {"delete", [] { return DeleteFileA("C:\\Program Files\\Tarn\\Ravlin\\readme.txt"); }, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    EXPECT_FALSE(std::filesystem::exists(host + "/Ravlin_Trace.trc"));
    EXPECT_FALSE(std::filesystem::exists(host + "/logs"));
    EXPECT_TRUE(std::filesystem::exists(host + "/readme.txt"));

    // Reading stays allowed, and so is the current folder of a program
    // started from there: relative names are judged by the folder they reach.
    HANDLE h = CreateFileA("C:\\Program Files\\Tarn\\Ravlin\\readme.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    std::filesystem::path scratch = std::filesystem::current_path();
    std::filesystem::current_path(host);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(createFile("Ravlin_Trace.trc"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    std::filesystem::current_path(scratch);
    EXPECT_TRUE(createFile("elsewhere.trc")) << "a folder of the user's stays writable";
    std::filesystem::remove_all(host);
}

TEST(UserRights, AnAdministratorWritesThere)
{
    TempProfile profile;
    std::string host = programFolderProfile(profile, true);
    ASSERT_EQ(profile.Load(), "");
    EXPECT_TRUE(createFile("C:\\Program Files\\Tarn\\Ravlin\\Ravlin_Trace.trc"));
    EXPECT_TRUE(CreateDirectoryA("C:\\Program Files\\Tarn\\Ravlin\\logs", nullptr));
    EXPECT_TRUE(DeleteFileA("C:\\Program Files\\Tarn\\Ravlin\\Ravlin_Trace.trc"));
    EXPECT_TRUE(std::filesystem::is_directory(host + "/logs"));
    std::filesystem::remove_all(host);
}

TEST(UserRights, TheProfileValueMustBeABoolean)
{
    TempProfile profile;
    profile.Write("machine.json", R"({"administrator": "yes"})");
    EXPECT_NE(profile.Load().find("administrator"), std::string::npos);
}
