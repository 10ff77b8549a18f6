// Which folder the page server shows for a page, and which addresses reach
// a file inside it (case-insensitive names, no traversal, no link escape).
#include "framework/bridge/PageFolder.h"

#include "core/testing/TempProfile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pages = afx::bridge::pages;

class PageFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_profile.Write("drive_c/App/htm/Lang0409/start.htm", "<html></html>");
        m_profile.Write("drive_c/App/htm/Lang0409/my page.htm", "<html></html>");
        m_profile.Write("drive_c/App/htm/common/style.css", "body{}");
        m_profile.Write("drive_c/App/htm/.hidden", "x");
        m_profile.Write("drive_c/App/secret.txt", "secret");
        m_profile.Write("drive_c/pages/x.htm", "<html></html>");
        std::filesystem::create_directory_symlink(m_profile.Path("drive_c/App"), m_profile.Path("drive_c/App/htm/out"));
        std::filesystem::create_symlink(m_profile.Path("drive_c/App/htm/Lang0409/start.htm"),
                                        m_profile.Path("drive_c/App/htm/alias.htm"));
        ASSERT_EQ(m_profile.Load(), "");
        m_root = *pages::Locate("C:\\App\\htm\\Lang0409\\start.htm");
    }
    plat::testing::TempProfile m_profile;
    pages::PageLocation m_root;
};

TEST_F(PageFolderTest, LocatesTheHtmFolderAboveThePage)
{
    struct {
        const char* path;
        const char* rootWindows; // "" when the page cannot be located
        const char* url;
    } cases[] = {
        {"C:\\App\\htm\\Lang0409\\start.htm", "C:\\App\\htm", "/Lang0409/start.htm"},
        {"c:/app/HTM/Lang0409/start.htm", "c:\\app\\HTM", "/Lang0409/start.htm"},
        {"C:\\App\\htm\\Lang0409\\my page.htm", "C:\\App\\htm", "/Lang0409/my%20page.htm"},
        {"file:///C:/App/htm/Lang0409/my%20page.htm", "C:\\App\\htm", "/Lang0409/my%20page.htm"},
        {"C:\\pages\\x.htm", "C:\\pages", "/x.htm"},                    // no htm folder: the page's own
        {"C:\\App\\htm\\..\\secret.txt", "C:\\App", "/secret.txt"},     // ".." is folded first
        {"C:\\App\\htm\\Lang0409\\.\\start.htm", "C:\\App\\htm", "/Lang0409/start.htm"},
        {"Q:\\nowhere\\x.htm", "", ""},                                  // no such drive
        {"start.htm", "", ""},
    };
    for (const auto& c : cases) {
        auto location = pages::Locate(c.path);
        if (!*c.rootWindows) {
            EXPECT_EQ(location, std::nullopt) << c.path;
            continue;
        }
        ASSERT_TRUE(location) << c.path;
        EXPECT_EQ(location->rootWindows, c.rootWindows) << c.path;
        EXPECT_EQ(location->url, c.url) << c.path;
    }
    EXPECT_EQ(m_root.rootHost, m_profile.Path("drive_c/App/htm"));
}

TEST_F(PageFolderTest, ServesOnlyRegularFilesInsideTheFolder)
{
    struct {
        const char* path;
        bool served;
    } cases[] = {
        {"/Lang0409/start.htm", true},
        {"/lang0409/START.HTM", true},             // Windows names ignore case
        {"/Lang0409/my page.htm", true},
        {"/common/style.css", true},
        {"/alias.htm", true},                      // a link to a file inside
        {"/out/secret.txt", false},                // a link that leads outside
        {"/../secret.txt", false},
        {"/Lang0409/../../secret.txt", false},
        {"/Lang0409/./start.htm", false},
        {"/.hidden", false},
        {"/Lang0409", false},                      // a folder
        {"/Lang0409//start.htm", false},
        {"/Lang0409\\start.htm", false},
        {"/Lang0409/missing.htm", false},
        {"/", false},
        {"", false},
        {"Lang0409/start.htm", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pages::Resolve(m_root.rootHost, c.path).has_value(), c.served) << c.path;
    std::string nul("/Lang0409/start.htm\0.css", 24);
    EXPECT_FALSE(pages::Resolve(m_root.rootHost, nul));
}

TEST(PageAddresses, EncodingAndWindowsPaths)
{
    EXPECT_EQ(pages::EncodePath("/a b/ü?#%.htm"), "/a%20b/%C3%BC%3F%23%25.htm");
    EXPECT_EQ(pages::DecodePath("/a%20b/%C3%BC%3F%23%25.htm"), "/a b/ü?#%.htm");
    EXPECT_EQ(pages::DecodePath("/bad%2/%zz%"), "/bad%2/%zz%") << "broken escapes stay as they are";
    EXPECT_EQ(pages::WindowsPathOf("C:\\App\\htm", "/Lang0409/start.htm"), "C:\\App\\htm\\Lang0409\\start.htm");
    EXPECT_EQ(pages::WindowsPathOf("C:\\", "/x.htm"), "C:\\x.htm");
    EXPECT_TRUE(pages::SamePage("/Lang0409/Start.htm", "/lang0409/start.htm"));
    EXPECT_FALSE(pages::SamePage("/Lang0409/start.htm", "/Lang0409/start.html"));
}

// A page folder below a folder with a Chinese name, on a Chinese machine:
// the dialog names it in code page 936, the emulated disk in UTF-8.
TEST(PageFolderNames, AFolderWithANameInTheAnsiCodePageServesItsPages)
{
    plat::testing::TempProfile profile;
    profile.Write("machine.json", R"({"languages": {"systemDefault": "0x0804"}})");
    profile.Write("drive_c/\xE5\xB7\xA5\xE5\x85\xB7/htm/Lang0804/start.htm", "<html></html>");
    ASSERT_EQ(profile.Load(), "");
    auto location = pages::Locate("C:\\\xB9\xA4\xBE\xDF\\htm\\Lang0804\\start.htm");
    ASSERT_TRUE(location);
    EXPECT_EQ(location->rootWindows, "C:\\\xB9\xA4\xBE\xDF\\htm");
    EXPECT_EQ(location->url, "/Lang0804/start.htm");
    auto file = pages::Resolve(location->rootHost, location->url);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->string(), std::filesystem::canonical(profile.Path("drive_c/\xE5\xB7\xA5\xE5\x85\xB7/htm/Lang0804/start.htm")).string());
}
