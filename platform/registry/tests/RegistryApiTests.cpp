// Conformance tests of the Reg* functions: Win32's size and error rules,
// names without regard to case, HKEY_CLASSES_ROOT's merged view, and the
// refusal of every change.
#include "registry/RegistryLoader.h"

#include "core/testing/TempProfile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

using plat::testing::TempProfile;

namespace {

const char* const kProfile = "Windows Registry Editor Version 5.00\n"
                             "\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Tool]\n"
                             "@=\"default\"\n"
                             "\"Name\"=\"Modem\"\n"
                             "\"Count\"=dword:0000002a\n"
                             "\"Raw\"=hex(1):41,00,42,00\n"
                             "\"Empty\"=\"\"\n"
                             "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
                             "\"Bin\"=hex:01,02,03\n"
                             "\"Accent\"=\"caf\xC3\xA9\"\n"
                             "\"Euro\"=\"\xE2\x82\xAC\"\n"
                             "\"Kanji\"=\"\xE6\x97\xA5\"\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Tool\\Beta]\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Tool\\alpha]\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Tool\\Gamma]\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Tool\\IniDelKeys]\n"
                             "\"StartPlay\"=\"\"\n"
                             "\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.txt]\n"
                             "@=\"txtfile\"\n"
                             "\"Machine\"=\"m\"\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.txt\\ShellNew]\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\machineonly]\n"
                             "[HKEY_CURRENT_USER\\Software\\Classes\\.TXT]\n"
                             "@=\"usertxt\"\n"
                             "\"User\"=\"u\"\n"
                             "[HKEY_CURRENT_USER\\Software\\Classes\\.txt\\UserSub]\n"
                             "[HKEY_CURRENT_USER\\Software\\Classes\\useronly]\n";

class RegistryApi : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::registry::RegisterLoader();
        m_profile.Write("registry/profile.reg", kProfile);
        ASSERT_EQ(m_profile.Load(), "");
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Tool", 0, KEY_READ, &m_key), ERROR_SUCCESS);
    }
    void TearDown() override { RegCloseKey(m_key); }

    TempProfile m_profile;
    HKEY m_key = nullptr;
};

std::string bytes(const BYTE* data, DWORD size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

std::vector<std::string> enumKeys(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof(name)) == ERROR_SUCCESS; ++i)
        names.push_back(name);
    return names;
}

std::vector<std::string> enumValueNames(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    DWORD size = sizeof(name);
    for (DWORD i = 0; RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, size = sizeof(name))
        names.push_back(name);
    return names;
}

} // namespace

TEST_F(RegistryApi, QueryValueSizeRules)
{
    using namespace std::literals;
    struct Case {
        const char* name;
        DWORD bufferSize;
        LSTATUS status;
        DWORD type;
        DWORD size;           // reported size
        std::string_view data; // expected data on success
    } cases[] = {
        {"Name", 256, ERROR_SUCCESS, REG_SZ, 6, "Modem\0"sv},
        {"Name", 6, ERROR_SUCCESS, REG_SZ, 6, "Modem\0"sv},
        {"Name", 5, ERROR_MORE_DATA, REG_SZ, 6, ""},
        {"Name", 0, ERROR_MORE_DATA, REG_SZ, 6, ""},
        {"NAME", 256, ERROR_SUCCESS, REG_SZ, 6, "Modem\0"sv},
        {"Count", 4, ERROR_SUCCESS, REG_DWORD, 4, "\x2a\0\0\0"sv},
        {"Count", 3, ERROR_MORE_DATA, REG_DWORD, 4, ""},
        {"Empty", 1, ERROR_SUCCESS, REG_SZ, 1, "\0"sv},
        {"Multi", 5, ERROR_SUCCESS, REG_MULTI_SZ, 5, "a\0b\0\0"sv},
        {"Multi", 4, ERROR_MORE_DATA, REG_MULTI_SZ, 5, ""},
        {"Bin", 3, ERROR_SUCCESS, REG_BINARY, 3, "\1\2\3"sv},
        {"Accent", 256, ERROR_SUCCESS, REG_SZ, 5, "caf\xE9\0"sv},
        {"Euro", 256, ERROR_SUCCESS, REG_SZ, 2, "\x80\0"sv},
        {"Kanji", 256, ERROR_SUCCESS, REG_SZ, 2, "?\0"sv},
        {"", 256, ERROR_SUCCESS, REG_SZ, 8, "default\0"sv},
        {"Missing", 256, ERROR_FILE_NOT_FOUND, 0xdead, 256, ""},
    };
    for (const Case& c : cases) {
        BYTE buffer[256];
        std::memset(buffer, 0xcc, sizeof(buffer));
        DWORD type = 0xdead, size = c.bufferSize;
        EXPECT_EQ(RegQueryValueExA(m_key, c.name, nullptr, &type, buffer, &size), c.status) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(size, c.size) << c.name;
        if (c.status == ERROR_SUCCESS)
            EXPECT_EQ(bytes(buffer, size), c.data) << c.name;
        else
            EXPECT_EQ(buffer[0], 0xcc) << c.name << ": a failed query leaves the buffer alone";
    }
}

TEST_F(RegistryApi, QueryValueSizeQueriesAndParameters)
{
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(m_key, "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(RegQueryValueExA(m_key, "Count", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    size = 0;
    EXPECT_EQ(RegQueryValueExA(m_key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u) << "a null name is the default value";

    BYTE buffer[16];
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(m_key, "Name", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    size = sizeof(buffer);
    EXPECT_EQ(RegQueryValueExA(m_key, "Name", &reserved, nullptr, buffer, &size), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, TextStoredWithoutTerminatorGetsOneWhenThereIsRoom)
{
    BYTE buffer[8];
    std::memset(buffer, 0xcc, sizeof(buffer));
    DWORD size = 3;
    EXPECT_EQ(RegQueryValueExA(m_key, "Raw", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(bytes(buffer, 3), std::string("AB\0", 3));

    std::memset(buffer, 0xcc, sizeof(buffer));
    size = 2;
    EXPECT_EQ(RegQueryValueExA(m_key, "Raw", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(buffer[2], 0xcc) << "nothing is written past the buffer";
}

TEST_F(RegistryApi, RegFunctionsLeaveTheLastErrorAlone)
{
    SetLastError(0xdeadbeef);
    DWORD size = 0;
    HKEY key = nullptr;
    EXPECT_EQ(RegQueryValueExA(m_key, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(m_key, "Nope", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(m_key, "Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(m_key, "Name", 0, REG_SZ, nullptr, 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
}

TEST_F(RegistryApi, EnumValues)
{
    EXPECT_EQ(enumValueNames(m_key), (std::vector<std::string>{"", "Name", "Count", "Raw", "Empty", "Multi", "Bin",
                                                               "Accent", "Euro", "Kanji"}));
    char name[16];
    BYTE data[16];
    DWORD nameSize, dataSize, type;

    // Name and data.
    nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
    EXPECT_EQ(RegEnumValueA(m_key, 1, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "Name");
    EXPECT_EQ(nameSize, 4u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes(data, dataSize), std::string("Modem\0", 6));

    // The name does not fit: its count stays, the data's size is told.
    std::strcpy(name, "xxxx");
    nameSize = 4, dataSize = sizeof(data);
    EXPECT_EQ(RegEnumValueA(m_key, 1, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(nameSize, 4u);
    EXPECT_EQ(dataSize, 6u);
    EXPECT_EQ(std::string(name), "xxxx");

    // The data does not fit.
    nameSize = sizeof(name), dataSize = 2;
    EXPECT_EQ(RegEnumValueA(m_key, 1, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(nameSize, static_cast<DWORD>(sizeof(name)));
    EXPECT_EQ(dataSize, 6u);

    // Past the last value.
    nameSize = sizeof(name);
    EXPECT_EQ(RegEnumValueA(m_key, 10, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumValueA(m_key, 0, nullptr, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumValueA(m_key, 0, name, &nameSize, nullptr, nullptr, data, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, EnumKeysInCaseInsensitiveOrderKeepingTheirCase)
{
    std::vector<std::string> expected = {"alpha", "Beta", "Gamma", "IniDelKeys"};
    EXPECT_EQ(enumKeys(m_key), expected);

    char name[16] = "zzzz";
    DWORD nameSize = 5; // "Gamma" needs 6 with its terminator
    FILETIME written{};
    EXPECT_EQ(RegEnumKeyExA(m_key, 2, name, &nameSize, nullptr, nullptr, nullptr, &written), ERROR_MORE_DATA);
    EXPECT_EQ(nameSize, 5u);
    nameSize = 6;
    char className[4] = "x";
    DWORD classSize = sizeof(className);
    EXPECT_EQ(RegEnumKeyExA(m_key, 2, name, &nameSize, nullptr, className, &classSize, &written), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "Gamma");
    EXPECT_EQ(nameSize, 5u);
    EXPECT_EQ(std::string(className), "");
    EXPECT_EQ(classSize, 0u);
    EXPECT_NE(written.dwHighDateTime, 0u);
    EXPECT_EQ(RegEnumKeyA(m_key, 3, name, 10), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyA(m_key, 4, name, sizeof(name)), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryApi, QueryInfoKey)
{
    DWORD subkeys = 0, maxSubkey = 0, maxClass = 9, values = 0, maxValueName = 0, maxValue = 0;
    EXPECT_EQ(RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, &maxClass, &values,
                               &maxValueName, &maxValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 4u);
    EXPECT_EQ(maxSubkey, 10u); // IniDelKeys
    EXPECT_EQ(maxClass, 0u);
    EXPECT_EQ(values, 10u);
    EXPECT_EQ(maxValueName, 6u); // Accent
    EXPECT_GE(maxValue, 16u);    // at least "default" with its terminator
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryInfoKeyA(m_key, nullptr, nullptr, &reserved, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, SubkeyPaths)
{
    struct Case {
        HKEY root;
        const char* path;
        LSTATUS status;
    } cases[] = {
        {HKEY_LOCAL_MACHINE, "software\\VENDOR\\tool", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Tool\\", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\\\Vendor", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Vendor", ERROR_BAD_PATHNAME},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Missing", ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Tool\\Name", ERROR_FILE_NOT_FOUND}, // a value, not a key
        {HKEY_LOCAL_MACHINE, "", ERROR_SUCCESS},
        {nullptr, "SOFTWARE", ERROR_INVALID_HANDLE},
        {HKEY_PERFORMANCE_DATA, "x", ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        HKEY key = reinterpret_cast<HKEY>(1);
        EXPECT_EQ(RegOpenKeyExA(c.root, c.path, 0, KEY_READ, &key), c.status) << c.path;
        if (c.status == ERROR_SUCCESS)
            EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        else
            EXPECT_EQ(key, nullptr) << c.path;
    }
    // A subkey with a trailing '\' relative to an open key, as "IniDelKeys\".
    HKEY iniDel = nullptr;
    ASSERT_EQ(RegOpenKeyExA(m_key, "inidelkeys\\", 0, KEY_READ, &iniDel), ERROR_SUCCESS);
    EXPECT_EQ(enumValueNames(iniDel), std::vector<std::string>{"StartPlay"});
    RegCloseKey(iniDel);

    // RegOpenKeyA without a subkey hands back the same handle.
    HKEY same = nullptr;
    EXPECT_EQ(RegOpenKeyA(m_key, "", &same), ERROR_SUCCESS);
    EXPECT_EQ(same, m_key);
    EXPECT_EQ(RegOpenKeyA(m_key, nullptr, &same), ERROR_SUCCESS);
    EXPECT_EQ(same, m_key);
    EXPECT_EQ(RegOpenKeyA(m_key, "Beta", &same), ERROR_SUCCESS);
    EXPECT_NE(same, m_key);
    EXPECT_EQ(RegCloseKey(same), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyA(m_key, "Beta", nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, ClassesRootMergesUserOverMachine)
{
    EXPECT_EQ(enumKeys(HKEY_CLASSES_ROOT), (std::vector<std::string>{".TXT", "machineonly", "useronly"}));
    HKEY txt = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &txt), ERROR_SUCCESS);
    char buffer[32];
    DWORD size = sizeof(buffer);
    EXPECT_EQ(RegQueryValueExA(txt, "", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(buffer), "usertxt");
    EXPECT_EQ(enumValueNames(txt), (std::vector<std::string>{"", "User", "Machine"}));
    EXPECT_EQ(enumKeys(txt), (std::vector<std::string>{"ShellNew", "UserSub"}));
    DWORD values = 0, subkeys = 0;
    EXPECT_EQ(RegQueryInfoKeyA(txt, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(subkeys, 2u);
    HKEY sub = nullptr;
    EXPECT_EQ(RegOpenKeyExA(txt, "ShellNew", 0, KEY_READ, &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    RegCloseKey(txt);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "machineonly", 0, KEY_READ, &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
}

TEST_F(RegistryApi, EveryChangeIsRefused)
{
    HKEY created = reinterpret_cast<HKEY>(1);
    DWORD disposition = 0;
    const BYTE data[] = "changed";
    EXPECT_EQ(RegSetValueExA(m_key, "Name", 0, REG_SZ, data, sizeof(data)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(m_key, "New", 0, REG_SZ, data, sizeof(data)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExA(m_key, "New", 0, nullptr, 0, KEY_READ, nullptr, &created, &disposition),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(created, nullptr);
    EXPECT_EQ(RegCreateKeyA(m_key, "Beta", &created), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(m_key, "Beta"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(m_key, "Name"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(HKEY_LOCAL_MACHINE, "x"), ERROR_ACCESS_DENIED);
    const REGSAM writeAccess[] = {KEY_WRITE, KEY_ALL_ACCESS, KEY_SET_VALUE, KEY_READ | KEY_CREATE_SUB_KEY,
                                  GENERIC_WRITE};
    for (REGSAM access : writeAccess) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, access, &key), ERROR_ACCESS_DENIED) << access;
    }
    EXPECT_EQ(enumKeys(m_key).size(), 4u);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(m_key, "New", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(m_key, "Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(reinterpret_cast<HKEY>(0x1234), "x"), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryApi, AccessRightsOfAHandleAreKept)
{
    HKEY enumOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Tool", 0, KEY_ENUMERATE_SUB_KEYS, &enumOnly),
              ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(enumOnly, "Name", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(enumKeys(enumOnly).size(), 4u);
    RegCloseKey(enumOnly);

    const REGSAM readAccess[] = {KEY_READ | KEY_WOW64_64KEY, GENERIC_READ, MAXIMUM_ALLOWED, KEY_QUERY_VALUE};
    for (REGSAM access : readAccess) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Tool", 0, access, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS) << access;
        RegCloseKey(key);
    }
}

TEST_F(RegistryApi, BadAndClosedHandles)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(m_key, "Beta", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);

    HKEY bad[] = {key, nullptr, reinterpret_cast<HKEY>(0x1234), HKEY_PERFORMANCE_DATA};
    for (HKEY h : bad) {
        char name[16];
        DWORD size = sizeof(name);
        HKEY out = nullptr;
        EXPECT_EQ(RegQueryValueExA(h, "Name", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegEnumValueA(h, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegEnumKeyExA(h, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegEnumKeyA(h, 0, name, sizeof(name)), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr),
                  ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegOpenKeyExA(h, "x", 0, KEY_READ, &out), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegOpenKeyA(h, "", &out), ERROR_INVALID_HANDLE);
    }
    // Predefined keys are never really closed.
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(enumKeys(HKEY_LOCAL_MACHINE), std::vector<std::string>{"SOFTWARE"});
}

TEST_F(RegistryApi, OpenHandleKeepsItsRegistryAcrossAProfileChange)
{
    TempProfile other;
    other.Write("registry/other.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n");
    ASSERT_EQ(other.Load(), "");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(m_key, "Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Other", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(RegistryCodePage, AnsiNamesAreConvertedBeforeTheirPathIsSplit)
{
    // On a Japanese machine the A functions speak code page 932, where
    // U+8868 is 0x95 0x5C: its trail byte is no path separator.
    plat::registry::RegisterLoader();
    TempProfile japanese;
    japanese.Write("machine.json", R"({"languages": {"systemDefault": "0x0411"}})");
    japanese.Write("registry/profile.reg", "Windows Registry Editor Version 5.00\n\n"
                                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\\xE8\xA1\xA8StartPlay]\n"
                                           "\"\xE8\xA1\xA8\"=\"\xE8\xA1\xA8\xE7\xA4\xBA\"\n"
                                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\\xE8\xA1\xA8\\StartPlay]\n");
    ASSERT_EQ(japanese.Load(), "");

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\\x95\x5CStartPlay", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char data[16] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "\x95\x5C", nullptr, &type, reinterpret_cast<BYTE*>(data), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(data, "\x95\x5C\x8E\xA6");
    char name[16] = {};
    DWORD chars = sizeof(name);
    EXPECT_EQ(RegEnumValueA(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "\x95\x5C");
    RegCloseKey(key);

    // The key "U+8868" with its subkey "StartPlay" is reached with a real
    // separator after the trail byte.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\\x95\x5C\\StartPlay", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", 0, KEY_READ, &key), ERROR_SUCCESS);
    chars = sizeof(name);
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "\x95\x5C");
    chars = sizeof(name);
    EXPECT_EQ(RegEnumKeyExA(key, 1, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "\x95\x5CStartPlay");
    EXPECT_EQ(chars, 11u);
    RegCloseKey(key);
}
