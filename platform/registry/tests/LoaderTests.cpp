// Loading a profile's registry/*.reg files: order, removals, roots, and
// refusal of broken files naming the file and the line.
#include "registry/RegistryLoader.h"

#include "core/testing/TempProfile.h"

#include <windows.h>

#include <gtest/gtest.h>

using plat::testing::TempProfile;

namespace {

class RegistryLoader : public ::testing::Test {
protected:
    void SetUp() override { plat::registry::RegisterLoader(); }
};

// The string value `name` of HKEY_LOCAL_MACHINE\`path`, or "<missing>".
std::string readString(HKEY root, const char* path, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char buffer[256] = {};
    DWORD size = sizeof(buffer);
    LSTATUS status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(buffer) : "<missing>";
}

bool keyExists(HKEY root, const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

} // namespace

TEST_F(RegistryLoader, FilesApplyInNameOrder)
{
    TempProfile profile;
    profile.Write("registry/20-override.reg", "REGEDIT4\n"
                                              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n"
                                              "\"v\"=\"second\"\n"
                                              "\"gone\"=-\n"
                                              "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\Sub]\n");
    profile.Write("registry/10-base.reg", "Windows Registry Editor Version 5.00\n"
                                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n"
                                          "\"v\"=\"first\"\n"
                                          "\"gone\"=\"x\"\n"
                                          "\"kept\"=\"k\"\n"
                                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\Sub\\Deeper]\n");
    profile.Write("registry/30-notes.txt", "not a registry file");
    ASSERT_EQ(profile.Load(), "");
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", "v"), "second");
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", "gone"), "<missing>");
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", "kept"), "k");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\A\\Sub"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\A\\Sub\\Deeper"));
}

TEST_F(RegistryLoader, ProfileWithoutRegistryFolderHasEmptyRoots)
{
    TempProfile profile;
    std::filesystem::remove_all(profile.Path("registry"));
    ASSERT_EQ(profile.Load(), "");
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) {
        DWORD subkeys = 99, values = 99;
        EXPECT_EQ(RegQueryInfoKeyA(root, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(values, 0u);
        EXPECT_EQ(subkeys, root == HKEY_USERS ? 1u : 0u); // the profile user's key
    }
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE"));
}

TEST_F(RegistryLoader, CurrentUserIsTheProfileUserUnderUsers)
{
    TempProfile profile;
    profile.Write("machine.json", R"({"user": "S-1-5-21-7-7-7-1004"})");
    profile.Write("registry/user.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Tool]\n\"Who\"=\"me\"\n");
    ASSERT_EQ(profile.Load(), "");
    EXPECT_EQ(readString(HKEY_CURRENT_USER, "Software\\Tool", "Who"), "me");
    EXPECT_EQ(readString(HKEY_USERS, "S-1-5-21-7-7-7-1004\\Software\\Tool", "Who"), "me");
}

TEST_F(RegistryLoader, BrokenFileStopsTheMachineNamingFileAndLine)
{
    TempProfile good;
    good.Write("registry/a.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Good]\n\"v\"=\"good\"\n");
    ASSERT_EQ(good.Load(), "");

    TempProfile broken;
    broken.Write("registry/a.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Half]\n\"v\"=\"half\"\n");
    broken.Write("registry/b.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\B]\n\"v\"=dword:xyz\n");
    std::string error = broken.Load();
    EXPECT_NE(error.find(broken.Path("registry/b.reg") + ":4: "), std::string::npos) << error;
    EXPECT_NE(error.find("dword"), std::string::npos) << error;

    // Nothing of the broken profile is visible; the previous registry stays.
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Half"));
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Good", "v"), "good");
}

TEST_F(RegistryLoader, ClassesRootAndCurrentConfigFileKeysLandUnderTheMachine)
{
    TempProfile profile;
    profile.Write("registry/a.reg", "REGEDIT4\n"
                                    "[HKEY_CLASSES_ROOT\\.mdm]\n@=\"modemfile\"\n"
                                    "[HKEY_CURRENT_CONFIG\\Software\\Fonts]\n\"LogPixels\"=dword:60\n");
    ASSERT_EQ(profile.Load(), "");
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.mdm", ""), "modemfile");
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_CONFIG, "Software\\Fonts"));
}

TEST(RegistrySeedCorpus, SeedFilesLoadOrFailAsNamed)
{
    // The fuzzer's seeds are real files of each format; "broken-" seeds are
    // refused, the others load.
    std::filesystem::path corpus = REGISTRY_SEED_CORPUS;
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        plat::registry::Registry registry("S-1-5-21-1000-1000-1000-1001");
        plat::registry::RegFileError error;
        bool broken = entry.path().filename().string().rfind("broken-", 0) == 0;
        EXPECT_EQ(plat::registry::ApplyRegFile(bytes, registry, &error), !broken)
            << entry.path() << ":" << error.line << ": " << error.message;
        ++seen;
    }
    EXPECT_GE(seen, 4);
}

// An overlay's files come after all of its base's, whatever their names, and
// its removals (of keys and values the base may or may not have) act on the
// base's registry as regedit's would.
TEST_F(RegistryLoader, OverlayFilesApplyAfterTheBase)
{
    TempProfile parent;
    parent.Write("base/machine.json", "{}");
    parent.Write("base/registry/10-a.reg", "REGEDIT4\n"
                                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n\"v\"=\"base\"\n\"gone\"=\"x\"\n"
                                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\Sub\\Deeper]\n");
    parent.Write("base/registry/90-z.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Z]\n\"z\"=\"base\"\n");
    parent.Write("top/machine.json", R"({"base": "base"})");
    parent.Write("top/registry/00-first.reg", "Windows Registry Editor Version 5.00\n"
                                              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Z]\n\"z\"=\"overlay\"\n"
                                              "[-hkey_local_machine\\software\\a\\SUB]\n"
                                              "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\NotThere]\n"
                                              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\a]\n\"GONE\"=-\n\"never\"=-\n");
    plat::ProfileError error;
    ASSERT_TRUE(plat::LoadMachine(parent.Path("top"), &error)) << error.ToString();
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Z", "z"), "overlay");
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", "v"), "base");
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", "gone"), "<missing>");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\A\\Sub"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\NotThere"));

    // A broken overlay file is named as such.
    parent.Write("top/registry/50-bad.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n\"v\"=dword:123456789\n");
    ASSERT_FALSE(plat::LoadMachine(parent.Path("top"), &error));
    EXPECT_NE(error.ToString().find("top/registry/50-bad.reg:3"), std::string::npos) << error.ToString();
}
