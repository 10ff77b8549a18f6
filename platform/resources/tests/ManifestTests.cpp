#include "resources/Manifest.h"

#include <gtest/gtest.h>

using namespace plat::resources;

TEST(ManifestReader, NamespacesAttributesAndTextAsTheLoaderReadsThem)
{
    auto manifest = ParseManifest(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<!-- a comment before the root -->
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion='1.0'>
  <ms_asmv2:trustInfo xmlns:ms_asmv2="urn:schemas-microsoft-com:asm.v2">
    <ms_asmv2:security><ms_asmv2:requestedPrivileges>
      <ms_asmv2:requestedExecutionLevel level="asInvoker" uiAccess="false"/>
    </ms_asmv2:requestedPrivileges></ms_asmv2:security>
  </ms_asmv2:trustInfo>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1"><application>
    <supportedOS Id="{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}"/>
  </application></compatibility>
  <dependency><dependentAssembly>
    <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"/>
  </dependentAssembly></dependency>
  <application xmlns="urn:schemas-microsoft-com:asm.v3"><windowsSettings>
    <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings"> true </dpiAware>
    <dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">system &amp; more</dpiAwareness>
  </windowsSettings></application>
</assembly>
)");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->elements[0].name, "assembly");
    EXPECT_EQ(manifest->elements[0].attributes.at("manifestVersion"), "1.0");
    EXPECT_EQ(manifest->elements[0].attributes.count("xmlns"), 0u);
    ManifestSettings settings = ReadManifestSettings(*manifest);
    EXPECT_EQ(settings.executionLevel, "asInvoker");
    EXPECT_EQ(settings.uiAccess, "false");
    EXPECT_EQ(settings.supportedOS, std::vector<std::string>{"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"});
    EXPECT_EQ(settings.dependencies, std::vector<std::string>{"Microsoft.Windows.Common-Controls 6.0.0.0"});
    EXPECT_EQ(settings.dpiAware, "true");
    EXPECT_EQ(settings.dpiAwareness, "system & more");
}

TEST(ManifestReader, ASettingOutsideItsNamespaceCountsForNothing)
{
    // Windows ignores these: dpiAware and supportedOS in the assembly's own
    // namespace, an execution level outside the trust namespaces.
    auto manifest = ParseManifest(R"(<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <trustInfo><security><requestedPrivileges><requestedExecutionLevel level="requireAdministrator"/>
  </requestedPrivileges></security></trustInfo>
  <compatibility><application><supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/></application></compatibility>
  <application><windowsSettings><dpiAware>true</dpiAware></windowsSettings></application>
</assembly>)");
    ASSERT_TRUE(manifest);
    ManifestSettings settings = ReadManifestSettings(*manifest);
    EXPECT_EQ(settings.executionLevel, "");
    EXPECT_TRUE(settings.supportedOS.empty());
    EXPECT_EQ(settings.dpiAware, "");
}

TEST(ManifestReader, TextsThatAreNotWellFormedAreRefused)
{
    const char* broken[] = {
        "",
        "<!-- only a comment -->",
        "<assembly>",
        "<assembly></assemblY>",
        "<assembly><a></assembly></a>",
        "<assembly/><assembly/>",
        "<assembly a=1/>",
        "<assembly a=\"1/>",
        "<assembly a=\"1\" a=\"2\"/>",
        "<assembly>&nbsp;</assembly>",
        "<p:assembly/>",
        "text<assembly/>",
        "<assembly/>text",
        "<assembly><!-- unclosed </assembly>",
    };
    for (const char* text : broken)
        EXPECT_FALSE(ParseManifest(text)) << text;
    EXPECT_TRUE(ParseManifest("\xEF\xBB\xBF<assembly/>\n"));
}
