#include "core/testing/TempProfile.h"
#include "process/Modules.h"
#include "resources/DialogTemplate.h"
#include "resources/Icons.h"
#include "resources/ModuleResources.h"
#include "resources/VersionInfo.h"

#include <win/errors.h>
#include <win/kernel.h>
#include <win/resources.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using plat::testing::TempProfile;

namespace {

// The test executable carries tests/TestResources.rc.
class ResourceApi : public ::testing::Test {
protected:
    void UseLanguages(const char* ui, const char* system)
    {
        m_profile.Write("machine.json", std::string(R"({"languages": {"userUI": ")") + ui +
                                            R"(", "userDefault": ")" + ui + R"(", "systemDefault": ")" + system +
                                            R"("}})");
        ASSERT_EQ(m_profile.Load(), "");
    }
    void SetUp() override { UseLanguages("0x0409", "0x0409"); }

    static std::string LoadText(UINT id, int size = 64)
    {
        std::string buffer(static_cast<size_t>(size), '\x7f');
        int n = LoadStringA(nullptr, id, buffer.data(), size);
        EXPECT_EQ(buffer[static_cast<size_t>(n)], '\0');
        return buffer.substr(0, static_cast<size_t>(n));
    }

    static std::string Bytes(HRSRC resource)
    {
        auto data = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
        return std::string(data, SizeofResource(nullptr, resource));
    }

    TempProfile m_profile;
};

} // namespace

TEST(SearchOrder, SpecificLanguagesFallBackToTheirNeutralFormsOnly)
{
    plat::Languages machine{0x0419, 0x040c, 0x0c0a};
    using Order = std::vector<LANGID>;
    EXPECT_EQ(plat::resources::SearchOrder(0x0c0a, machine).languages, (Order{0x0c0a, 0x000a, 0x0000}));
    EXPECT_FALSE(plat::resources::SearchOrder(0x0c0a, machine).anyLanguage);
    EXPECT_EQ(plat::resources::SearchOrder(0x0007, machine).languages, (Order{0x0007, 0x0000}));
    // 0x0400 and 0x0800 stand for the user and the system default.
    EXPECT_EQ(plat::resources::SearchOrder(0x0400, machine).languages, (Order{0x040c, 0x000c, 0x0000}));
    EXPECT_EQ(plat::resources::SearchOrder(0x0800, machine).languages, (Order{0x0419, 0x0019, 0x0000}));
    // The neutral request walks the machine's languages, then English, then any.
    plat::resources::LanguageOrder neutral = plat::resources::SearchOrder(0, machine);
    EXPECT_EQ(neutral.languages, (Order{0x0000, 0x0c0a, 0x000a, 0x040c, 0x000c, 0x0419, 0x0019, 0x0409, 0x0009}));
    EXPECT_TRUE(neutral.anyLanguage);
}

TEST_F(ResourceApi, FindResourceExAFollowsTheLanguageRules)
{
    struct Case {
        WORD language;
        UINT block;
        const char* expected; // the first string's text, or null for not found
        DWORD error;
    } cases[] = {
        {0x0409, 1, "Hello", 0},
        {0x0807, 1, "Hallo", 0},   // Swiss German finds the neutral German block
        {0x0007, 1, "Hallo", 0},
        {0x0405, 1, nullptr, ERROR_RESOURCE_LANG_NOT_FOUND}, // Czech has no block, and no English fallback
        {0x0405, 2, "Neutral", 0}, // but a language-neutral block serves everyone
        {0x0409, 9, nullptr, ERROR_RESOURCE_NAME_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0xdeadbeef);
        HRSRC block = FindResourceExA(nullptr, RT_STRING, MAKEINTRESOURCEA(c.block), c.language);
        if (!c.expected) {
            EXPECT_EQ(block, nullptr) << std::hex << c.language;
            EXPECT_EQ(GetLastError(), c.error) << std::hex << c.language;
            continue;
        }
        ASSERT_NE(block, nullptr) << std::hex << c.language;
        std::string bytes = Bytes(block);
        // Entry (id % 16) of the block: 1 for block 1, 1 for block 2 (id 17).
        size_t at = 2; // skip entry 0's length (0)
        ASSERT_GE(bytes.size(), at + 2);
        size_t length = static_cast<unsigned char>(bytes[at]);
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += bytes[at + 2 + 2 * i];
        EXPECT_EQ(text, c.expected) << std::hex << c.language;
    }
}

TEST_F(ResourceApi, LookupFailuresNameWhatIsMissing)
{
    struct Case {
        HMODULE module;
        LPCSTR type;
        LPCSTR name;
        DWORD error;
    } cases[] = {
        {nullptr, RT_BITMAP, MAKEINTRESOURCEA(1), ERROR_RESOURCE_TYPE_NOT_FOUND},
        {nullptr, RT_RCDATA, MAKEINTRESOURCEA(99), ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, RT_RCDATA, "MISSING", ERROR_RESOURCE_NAME_NOT_FOUND},
        {plat::modules::FromAddress(reinterpret_cast<const void*>(&std::fputs)), RT_RCDATA, MAKEINTRESOURCEA(7),
         ERROR_RESOURCE_DATA_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(FindResourceA(c.module, c.name, c.type), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(ResourceApi, NamesAreStringsOrNumbers)
{
    HRSRC named = FindResourceA(nullptr, "named", RT_RCDATA);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(Bytes(named), std::string("named\0", 6));
    EXPECT_EQ(FindResourceA(nullptr, "NaMeD", RT_RCDATA), named);
    HRSRC seven = FindResourceA(nullptr, "#7", RT_RCDATA);
    EXPECT_EQ(seven, FindResourceA(nullptr, MAKEINTRESOURCEA(7), RT_RCDATA));
    EXPECT_EQ(Bytes(seven), std::string("seven\0", 6));
    EXPECT_EQ(FindResourceA(nullptr, "#7", "#10"), seven);
}

TEST_F(ResourceApi, ForeignHandlesAreRefused)
{
    HRSRC seven = FindResourceA(nullptr, MAKEINTRESOURCEA(7), RT_RCDATA);
    ASSERT_NE(seven, nullptr);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SizeofResource(nullptr, reinterpret_cast<HRSRC>(reinterpret_cast<char*>(seven) + 1)), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadResource(GetModuleHandleA("kernel32"), seven), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ResourceApi, LoadStringUsesTheUserLanguageAndTheAnsiCodePage)
{
    EXPECT_EQ(LoadText(1), "Hello");
    EXPECT_EQ(LoadText(5), "Z\xFCrich"); // 1252
    EXPECT_EQ(LoadText(17), "Neutral");

    UseLanguages("0x0c07", "0x0407");
    EXPECT_EQ(LoadText(1), "Hallo");

    UseLanguages("0x0411", "0x0411"); // Japanese in code page 932
    EXPECT_EQ(LoadText(1), "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD");
    EXPECT_EQ(LoadText(1, 4), "\x82\xB1"); // cut before a split character
    UseLanguages("0x0411", "0x0409"); // Japanese text, western code page
    EXPECT_EQ(LoadText(1), "?????");

    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadText(6), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadText(1000), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(ResourceApi, LoadIconPicksTheStandardSizeAndSharesTheHandle)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(10));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(10)), icon);
    std::optional<plat::resources::IconInfo> info = plat::resources::DescribeIcon(icon);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 32);
    EXPECT_EQ(info->height, 32);
    EXPECT_EQ(info->bitCount, 4);

    HICON standard = LoadIconA(nullptr, IDI_APPLICATION);
    ASSERT_NE(standard, nullptr);
    EXPECT_TRUE(plat::resources::DescribeIcon(standard)->system);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(11)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_FALSE(plat::resources::DescribeIcon(reinterpret_cast<HICON>(0x1234)));
}

TEST(BestIconEntry, ClosestSizeThenDeepestColourTheDisplayShows)
{
    using plat::resources::GroupIconEntry;
    std::vector<GroupIconEntry> entries = {
        {48, 48, 0, 8, 0, 1}, {32, 32, 16, 4, 0, 2}, {64, 64, 0, 8, 0, 3}, {32, 32, 0, 8, 0, 4}, {32, 32, 0, 32, 0, 5},
    };
    EXPECT_EQ(entries[plat::resources::BestIconEntry(entries, 32, 32, 32)].id, 5);
    EXPECT_EQ(entries[plat::resources::BestIconEntry(entries, 32, 32, 8)].id, 4);
    EXPECT_EQ(entries[plat::resources::BestIconEntry(entries, 64, 64, 32)].id, 3);
    EXPECT_EQ(entries[plat::resources::BestIconEntry(entries, 40, 40, 32)].id, 5);
}

TEST_F(ResourceApi, VersionDialogAndManifestResourcesRead)
{
    HRSRC version = FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_VERSION);
    ASSERT_NE(version, nullptr);
    std::string bytes = Bytes(version);
    auto info = plat::resources::ParseVersionInfo(reinterpret_cast<const BYTE*>(bytes.data()),
                                                  static_cast<DWORD>(bytes.size()));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->fileVersionMS, 0x00010002u);
    EXPECT_EQ(info->fileVersionLS, 0x00030004u);
    EXPECT_EQ(info->productVersionMS, 0x00050006u);
    EXPECT_EQ(info->strings["040904b0"]["FileDescription"], "Test image");
    EXPECT_EQ(info->translations, std::vector<DWORD>{0x04B00409});

    HRSRC dialog = FindResourceA(nullptr, MAKEINTRESOURCEA(102), RT_DIALOG);
    ASSERT_NE(dialog, nullptr);
    bytes = Bytes(dialog);
    auto parsed = plat::resources::ParseDialogTemplate(reinterpret_cast<const BYTE*>(bytes.data()),
                                                       static_cast<DWORD>(bytes.size()));
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->extended);
    EXPECT_EQ(parsed->caption, "Test Dialog");
    EXPECT_EQ(parsed->cx, 277);
    EXPECT_EQ(parsed->cy, 190);
    EXPECT_EQ(parsed->fontName, "MS Shell Dlg");
    EXPECT_EQ(parsed->pointSize, 8);
    EXPECT_EQ(parsed->exStyle, 0x00040000u);
    EXPECT_EQ(parsed->items, 0);

    HRSRC manifest = FindResourceA(nullptr, ISOLATIONAWARE_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    EXPECT_NE(Bytes(manifest).find("<assembly"), std::string::npos);
}
