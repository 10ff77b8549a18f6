// The program's resource script as the program sees it: this test carries
// app/Ravlin.rc the way Ravlin does.
#include "core/testing/TempProfile.h"
#include "resources/DialogTemplate.h"
#include "resources/Icons.h"
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
