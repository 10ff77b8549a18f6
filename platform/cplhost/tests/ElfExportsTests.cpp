#include "cplhost/ElfExports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using plat::cplhost::ExportsFunction;

TEST(ElfExports, FindsDefinedFunctionsOnly)
{
    std::string applet = std::string(RAVLIN_TEST_APPLETS) + "/RecordingApplet.so";
    EXPECT_TRUE(ExportsFunction(applet, "CPlApplet"));
    EXPECT_TRUE(ExportsFunction(applet, "DllMain"));
    EXPECT_FALSE(ExportsFunction(applet, "CPlApple"));
    EXPECT_FALSE(ExportsFunction(applet, "LoadIconA")) << "an import is no export";
    EXPECT_FALSE(ExportsFunction(RAVLIN_BIN_DIR "/plat_cplhost_tests", "main")) << "a program is no library";
}

TEST(ElfExports, OtherFilesAreNoLibraries)
{
    std::string applet = std::string(RAVLIN_TEST_APPLETS) + "/RecordingApplet.so";
    std::ifstream in(applet, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {
        {"empty.so", ""},
        {"text.so", "CPlApplet CPlApplet CPlApplet"},
        {"header-only.so", bytes.substr(0, 64)},
        {"cut.so", bytes.substr(0, bytes.size() / 3)},
    };
    for (const Case& c : cases) {
        std::filesystem::path path = std::filesystem::current_path() / c.name;
        std::ofstream(path, std::ios::binary) << c.content;
        EXPECT_FALSE(ExportsFunction(path.string(), "CPlApplet")) << c.name;
    }
    EXPECT_FALSE(ExportsFunction("/no/such/file.so", "CPlApplet"));
}
