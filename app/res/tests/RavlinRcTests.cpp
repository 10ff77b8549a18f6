// The program's resource script as the program sees it: this test carries
// app/Ravlin.rc the way Ravlin does.
#include "core/testing/TempProfile.h"
#include "resources/DialogTemplate.h"
#include "resources/Icons.h"
#include "resources/Manifest.h"
#include "resources/VersionInfo.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Bytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Bytes resource(LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResourceA(nullptr, name, type);
    if (!found)
        return {};
    return {static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))), SizeofResource(nullptr, found)};
}

} // namespace

TEST(RavlinResources, VersionNamesTheProgram)
{
    Bytes bytes = resource(MAKEINTRESOURCEA(1), RT_VERSION);
    ASSERT_NE(bytes.data, nullptr);
    auto version = plat::resources::ParseVersionInfo(bytes.data, bytes.size);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->fileVersionMS, 0x00010000u);
    EXPECT_EQ(version->fileVersionLS, 0x00160000u);
    EXPECT_EQ(version->productVersionMS, 0x00010000u);
    EXPECT_EQ(version->productVersionLS, 0x00160000u);
    auto& strings = version->strings["040904b0"];
    EXPECT_EQ(strings["FileDescription"], "Modem test");
    EXPECT_EQ(strings["ProductName"], "Tarn Modem Diagnostic Tool");
    EXPECT_EQ(strings["InternalName"], "Ravlin.exe");
    EXPECT_EQ(strings["OriginalFilename"], "Ravlin.exe");
    EXPECT_EQ(strings["FileVersion"], "1.0.22.0");
    EXPECT_EQ(strings["ProductVersion"], "1.0.22.0");
}

TEST(RavlinResources, MainDialogTemplate)
{
    Bytes bytes = resource(MAKEINTRESOURCEA(102), RT_DIALOG);
    ASSERT_NE(bytes.data, nullptr);
    auto dialog = plat::resources::ParseDialogTemplate(bytes.data, bytes.size);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->caption, "Modem Diagnostic Tool");
    EXPECT_EQ(dialog->cx, 277);
    EXPECT_EQ(dialog->cy, 190);
    EXPECT_EQ(dialog->fontName, "MS Shell Dlg");
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_EQ(dialog->items, 0);
    const DWORD caption = 0x00C00000, sysMenu = 0x00080000, minimize = 0x00020000, maximize = 0x00010000,
                thickFrame = 0x00040000, center = 0x0800, appWindow = 0x00040000;
    EXPECT_EQ(dialog->style & (caption | sysMenu | minimize | maximize | center),
              caption | sysMenu | minimize | maximize | center);
    EXPECT_EQ(dialog->style & thickFrame, 0u) << "not resizable";
    EXPECT_EQ(dialog->exStyle & appWindow, appWindow) << "shown in the taskbar";
}

TEST(RavlinResources, Icon128LoadsAtTheStandardSize)
{
    plat::testing::TempProfile profile;
    ASSERT_EQ(profile.Load(), "");
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    ASSERT_NE(icon, nullptr);
    auto info = plat::resources::DescribeIcon(icon);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 32);
    EXPECT_EQ(info->bitCount, 8);
}

// The manifest Windows reads when it starts the program (id 1): no
// elevation and no virtualization, tested from Windows 7 to 11, aware of the
// system's DPI (the window does not rescale itself between monitors), the
// common controls of version 6. One manifest only among the ids Windows
// reserves (1 to 16).
TEST(RavlinResources, ManifestRunsAsInvokerOnWindows7To11AtSystemDpiWithCommonControls6)
{
    Bytes bytes = resource(MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_NE(bytes.data, nullptr);
    auto manifest = plat::resources::ParseManifest(std::string_view(reinterpret_cast<const char*>(bytes.data), bytes.size));
    ASSERT_TRUE(manifest) << "not well-formed";
    auto identity = manifest->FindAll("assemblyIdentity", plat::resources::kAssemblyV1);
    ASSERT_FALSE(identity.empty());
    EXPECT_EQ(identity[0]->parent, 0) << "the program's own identity comes first";
    EXPECT_EQ(identity[0]->attributes.at("type"), "win32");
    EXPECT_EQ(identity[0]->attributes.at("version"), "1.0.22.0");

    auto settings = plat::resources::ReadManifestSettings(*manifest);
    EXPECT_EQ(settings.executionLevel, "asInvoker");
    EXPECT_EQ(settings.uiAccess, "false");
    EXPECT_EQ(settings.supportedOS, (std::vector<std::string>{
                                        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
                                        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
                                        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
                                        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
                                    }));
    EXPECT_EQ(settings.dependencies, std::vector<std::string>{"Microsoft.Windows.Common-Controls 6.0.0.0"});
    EXPECT_EQ(settings.dpiAware, "true");
    EXPECT_EQ(settings.dpiAwareness, "") << "would override dpiAware from Windows 10 1607 on";

    for (int id = 2; id <= 16; ++id)
        EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_MANIFEST), nullptr) << id;
}
