// The manifest of ravlin-capture.exe (res/ravlin-capture.rc), read back as
// Windows reads it when it starts the program.
#include "resources/Manifest.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

TEST(CaptureResources, ManifestRunsAsInvokerOnWindows7To11)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    auto text = std::string_view(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                                 SizeofResource(nullptr, found));
    auto manifest = plat::resources::ParseManifest(text);
    ASSERT_TRUE(manifest) << "not well-formed";
    auto settings = plat::resources::ReadManifestSettings(*manifest);
    EXPECT_EQ(settings.executionLevel, "asInvoker");
    EXPECT_EQ(settings.uiAccess, "false");
    EXPECT_EQ(settings.supportedOS, (std::vector<std::string>{
                                        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                                    }));
    EXPECT_EQ(settings.dependencies, std::vector<std::string>{"Microsoft.Windows.Common-Controls 6.0.0.0"});
    EXPECT_EQ(settings.dpiAware, "true");
}
