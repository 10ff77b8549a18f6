#include "process/CommandLine.h"
#include "process/ImageFiles.h"
#include "process/Wow64.h"

#include <gtest/gtest.h>

using namespace plat::process;
using Strings = std::vector<std::string>;

TEST(CommandLine, ProgramCandidatesFollowCreateProcessOrder)
{
    struct Case {
        const char* line;
        Strings expected;
    } cases[] = {
        // The unquoted-path hazard: "C:\Program" is tried first.
        {R"(C:\Program Files\Tarn\Ravlin\Ravlin.exe)", {R"(C:\Program)", R"(C:\Program Files\Tarn\Ravlin\Ravlin.exe)"}},
        {R"(c:\program files\sub dir\program name)",
         {R"(c:\program)", R"(c:\program files\sub)", R"(c:\program files\sub dir\program)",
          R"(c:\program files\sub dir\program name)"}},
        // A quoted first token is taken whole, whatever follows.
        {R"("C:\Program Files\Tarn\Ravlin\Ravlin.exe" -x "y z")", {R"(C:\Program Files\Tarn\Ravlin\Ravlin.exe)"}},
        {R"("C:\unterminated path)", {R"(C:\unterminated path)"}},
        {"  notepad \t a.txt  ", {"notepad", "notepad \t a.txt"}},
        {"", {}},
        {"   ", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgramCandidates(c.line), c.expected) << c.line;
}

TEST(CommandLine, ExeIsAppendedOnlyWithoutAnExtension)
{
    EXPECT_EQ(WithDefaultExtension(R"(C:\Program)"), R"(C:\Program.exe)");
    EXPECT_EQ(WithDefaultExtension(R"(C:\x.y\prog)"), R"(C:\x.y\prog.exe)");
    EXPECT_EQ(WithDefaultExtension("prog.com"), "prog.com");
    EXPECT_EQ(WithDefaultExtension("prog."), "prog");
}

TEST(CommandLine, ArgumentsSplitAsTheCRuntimeSplitsThem)
{
    struct Case {
        const char* line;
        Strings expected;
    } cases[] = {
        {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
        {R"(p "ab\"c" "\\" d)", {"p", R"(ab"c)", R"(\)", "d"}},
        {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
        {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
        {"p \t x\t", {"p", "x"}},
        {R"(p "")", {"p", ""}},
        // The program name keeps its backslashes and loses its quotes.
        {R"("C:\Program Files\x.exe" arg)", {R"(C:\Program Files\x.exe)", "arg"}},
        {R"(C:\dir\"x y"\p.exe)", {R"(C:\dir\x y\p.exe)"}},
        {R"("C:\a\\" b)", {R"(C:\a\\)", "b"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitArguments(c.line), c.expected) << c.line;
}

TEST(ImageFiles, WindowsNamesFindTheirLinuxFiles)
{
    struct Case {
        const char* name;
        ImageKind kind;
        Strings expected;
    } cases[] = {
        {R"(C:\x\Ravlin.exe)", ImageKind::Program, {R"(C:\x\Ravlin.exe)", R"(C:\x\Ravlin)"}},
        {R"(C:\x\RAVLIN.EXE)", ImageKind::Program, {R"(C:\x\RAVLIN.EXE)", R"(C:\x\RAVLIN)"}},
        {R"(C:\x\tool)", ImageKind::Program, {R"(C:\x\tool)"}},
        {"Quillset.dll", ImageKind::Library, {"Quillset.dll", "Quillset.so"}},
        {"Quillset", ImageKind::Library, {"Quillset.dll", "Quillset.so"}},
        {"desk.cpl", ImageKind::Library, {"desk.cpl", "desk.so"}},
        {"libx.so", ImageKind::Library, {"libx.so"}},
        {"noext.", ImageKind::Library, {"noext"}},
        {R"(C:\a.b\lib)", ImageKind::Library, {R"(C:\a.b\lib.dll)", R"(C:\a.b\lib.so)"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImageFileNames(c.name, c.kind), c.expected) << c.name;
}

TEST(Wow64, OnlyA32BitProcessOnA64BitSystem)
{
    EXPECT_TRUE(RunsUnderWow64(32, 64));
    EXPECT_FALSE(RunsUnderWow64(64, 64));
    EXPECT_FALSE(RunsUnderWow64(32, 32));
}
