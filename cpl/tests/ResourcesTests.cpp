#include "AppletFixture.h"

#include "resources/Icons.h"
#include "resources/Manifest.h"
#include "resources/VersionInfo.h"

#include <string>

namespace {

struct Block {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Block findResource(HMODULE module, LPCSTR type, LPCSTR name, WORD language)
{
    HRSRC resource = FindResourceExA(module, type, name, language);
    if (!resource)
        return {};
    return {static_cast<const BYTE*>(LockResource(LoadResource(module, resource))), SizeofResource(module, resource)};
}

// Entry `index` of a string block, in UTF-8.
std::string entry(const Block& block, unsigned index)
{
    DWORD at = 0;
    for (unsigned i = 0; i < index; ++i)
        at += 2 + 2 * (block.data[at] | block.data[at + 1] << 8);
    int length = block.data[at] | block.data[at + 1] << 8;
    if (length == 0)
        return "";
    auto text = reinterpret_cast<const WCHAR*>(block.data + at + 2);
    char utf8[256];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof(utf8), nullptr, nullptr);
    return std::string(utf8, static_cast<size_t>(n));
}

} // namespace

using AppletResources = AppletTest;

TEST_F(AppletResources, TheStringTableHoldsTheEighteenNamesLetterForLetter)
{
    struct Case {
        WORD language;
        const char* name;
    } cases[] = {
        {0x0004, "數據機診斷工具"},
        {0x0007, "Modem-Diagnose-Tool"},
        {0x000A, "Herramienta de diagnóstico del módem"},
        {0x001D, "Diagnostiskt verktyg för modem"},
        {0x0401, "أداة تشخيص حالة المودم"},
        {0x0409, "Modem Diagnostic Tool"},
        {0x040C, "Outil de diagnostic de modem"},
        {0x0410, "Strumento diagnostico per modem"},
        {0x0411, "モデム診断ツール"},
        {0x0412, "모뎀 진단 도구"},
        {0x0413, "Modemdiagnosetool"},
        {0x0415, "Narzedzie do diagnostyki modemu"},
        {0x0416, "Ferramenta de diagnóstico de modem"},
        {0x0418, "Instrumentul de diagnosticare a modemului"},
        {0x0419, "Программа"},
        {0x041A, "Dijagnostički alat za modem"},
        {0x041E, "เครื่องมือการวินิจฉัยโมเด็ม        "},
        {0x0804, "调制解调器诊断工具"},
    };
    for (const Case& c : cases) {
        Block block = findResource(m_module, RT_STRING, MAKEINTRESOURCEA(1), c.language);
        ASSERT_NE(block.data, nullptr) << std::hex << c.language;
        EXPECT_EQ(entry(block, 1), c.name) << std::hex << c.language;
        EXPECT_EQ(entry(block, 2), "No Help Available") << std::hex << c.language;
        EXPECT_EQ(entry(block, 3), "Diagnose the modem hardware and software problem") << std::hex << c.language;
        for (unsigned other : {0u, 4u, 9u, 15u})
            EXPECT_EQ(entry(block, other), "") << std::hex << c.language << " entry " << other;
    }
}

TEST_F(AppletResources, IconVersionAndManifest)
{
    Block group = findResource(m_module, RT_GROUP_ICON, MAKEINTRESOURCEA(2000), 0);
    ASSERT_NE(group.data, nullptr);
    auto images = plat::resources::ParseGroupIcon(group.data, group.size);
    ASSERT_TRUE(images);
    ASSERT_EQ(images->size(), 3u);
    EXPECT_EQ((*images)[0].width, 32);
    EXPECT_EQ((*images)[0].bitCount, 4);
    EXPECT_EQ((*images)[1].width, 48);
    EXPECT_EQ((*images)[1].bitCount, 8);
    EXPECT_EQ((*images)[2].width, 64);
    EXPECT_EQ((*images)[2].bitCount, 8);

    Block version = findResource(m_module, RT_VERSION, MAKEINTRESOURCEA(1), 0x0409);
    ASSERT_NE(version.data, nullptr);
    auto info = plat::resources::ParseVersionInfo(version.data, version.size);
    ASSERT_TRUE(info);
    auto& strings = info->strings["040904b0"];
    EXPECT_EQ(strings["FileDescription"], "Modem Diagnostic DLL");
    EXPECT_EQ(strings["InternalName"], "Modem Diagnostic CPL");
    EXPECT_EQ(strings["ProductName"], "Modem Diagnostic Dynamic Link Library");
    EXPECT_EQ(strings["FileVersion"], "1, 1, 0, 0");
    EXPECT_EQ(strings["ProductVersion"], "1, 1, 0, 0");
    EXPECT_EQ(info->fileVersionMS, 0x00010001u);
    EXPECT_EQ(info->fileVersionLS, 0u);
    EXPECT_EQ(info->translations, std::vector<DWORD>{0x04B00409});

}

// The applet's isolation manifest (id 2) declares no dependency, so the
// applet uses what its host process uses. It says nothing else either: the
// execution level, the supported Windows versions and DPI awareness are
// read from the program's manifest (id 1) when a process starts, never from
// a DLL's. And it is the only manifest among the ids Windows reserves.
TEST_F(AppletResources, IsolationManifestDeclaresNothing)
{
    Block block = findResource(m_module, RT_MANIFEST, ISOLATIONAWARE_MANIFEST_RESOURCE_ID, 0x0409);
    ASSERT_NE(block.data, nullptr);
    auto manifest = plat::resources::ParseManifest(std::string_view(reinterpret_cast<const char*>(block.data), block.size));
    ASSERT_TRUE(manifest) << "not well-formed";
    EXPECT_EQ(manifest->elements[0].name, "assembly");
    EXPECT_EQ(manifest->elements[0].nameSpace, plat::resources::kAssemblyV1);
    EXPECT_EQ(manifest->elements.size(), 1u) << "no dependency, nor anything else";

    for (int id = 1; id <= 16; ++id) {
        if (id != 2) {
            EXPECT_EQ(FindResourceA(m_module, MAKEINTRESOURCEA(id), RT_MANIFEST), nullptr) << id;
        }
    }
}

TEST_F(AppletResources, OnlyTheEntryPointsAreExported)
{
    EXPECT_NE(GetProcAddress(m_module, "CPlApplet"), nullptr);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetProcAddress(m_module, "theApp"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}
