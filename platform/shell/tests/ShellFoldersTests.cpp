#include "core/testing/TempProfile.h"

#include <shlobj.h>
#include <win/kernel.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using plat::testing::TempProfile;

TEST(ShellFolders, LocalAppDataIsTheUsersWritableFolder)
{
    TempProfile profile;
    std::string host = profile.Folder() + "-appdata";
    profile.Write("machine.json", R"({"userProfile": "C:\\Users\\Mei"})");
    setenv("RAVLIN_LOCALAPPDATA", host.c_str(), 1);
    ASSERT_EQ(profile.Load(), "");
    unsetenv("RAVLIN_LOCALAPPDATA");

    char path[MAX_PATH] = "x";
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path),
              S_OK);
    EXPECT_STREQ(path, "C:\\Users\\Mei\\AppData\\Local");
    EXPECT_TRUE(std::filesystem::is_directory(host)) << "the folder exists once asked for";
    EXPECT_TRUE(CreateDirectoryA("C:\\Users\\Mei\\AppData\\Local\\Tarn", nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(host + "/Tarn"));
    char cwd[MAX_PATH];
    std::filesystem::path scratch = std::filesystem::current_path();
    std::filesystem::current_path(host + "/Tarn");
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    std::filesystem::current_path(scratch);
    EXPECT_STREQ(cwd, "C:\\Users\\Mei\\AppData\\Local\\Tarn");

    EXPECT_EQ(SHGetFolderPathA(nullptr, 0x0005 /* CSIDL_PERSONAL */, nullptr, SHGFP_TYPE_CURRENT, path), E_INVALIDARG);
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 7, path), E_INVALIDARG);
    std::filesystem::remove_all(host);
}
