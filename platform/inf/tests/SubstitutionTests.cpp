// %strkey%, %dirid% and %% in fields, and the choice of the strings section.
#include "InfTestSupport.h"

#include "inf/StringSubstitution.h"

using inftest::InfTest;
using inftest::kHeader;

class Substitution : public InfTest {
protected:
    // Field 1 of the line "x = <value>" in a file with these strings.
    std::string Expand(const std::string& value, const std::string& strings = "")
    {
        HINF inf = Open(kHeader + strings + "[S]\nx = " + value + "\n", INF_STYLE_WIN4, nullptr,
                        "s" + std::to_string(m_count++) + ".inf");
        if (inf == INVALID_HANDLE_VALUE)
            return "<error>";
        INFCONTEXT context;
        if (!SetupFindFirstLineA(inf, "S", "x", &context))
            return "<no line>";
        return Field(context, 1);
    }
    int m_count = 0;
};

TEST_F(Substitution, StringKeysPercentsAndUnknownTokens)
{
    const std::string strings = "[Strings]\nMfg = \"Tarn Systems\"\nmodem=\"V.92 Modem\"\npct=\"50%%\"\n"
                                "Empty=\"\"\nList = a, b\n";
    struct {
        const char* value;
        const char* expected;
    } cases[] = {
        {"%Mfg%", "Tarn Systems"},
        {"%MFG%", "Tarn Systems"},
        {"\"%Mfg% %Modem%\"", "Tarn Systems V.92 Modem"},
        {"%Mfg%%Modem%", "Tarn SystemsV.92 Modem"},
        {"%%", "%"},
        {"100%%", "100%"},
        {"%unknown%", "%unknown%"},
        {"%unknown%Mfg%", "%unknown%Mfg%"},
        {"a%Mfg", "a%Mfg"},
        {"%Mfg% 50%", "Tarn Systems 50%"},
        {"%pct%", "50%%"}, // a string's own value is not substituted again
        {"<%Empty%>", "<>"},
        {"%List%", "a"},   // the first field of the strings line
        {"% Mfg%", "% Mfg%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Expand(c.value, strings), c.expected);
    }
}

TEST_F(Substitution, DirectoryIdentifiers)
{
    // Every identifier the machine knows, as SetupGetStringField gives it on
    // 64-bit Windows installed in C:\Windows (the same table DestinationDirs
    // use).
    struct {
        const char* value;
        const char* expected;
    } cases[] = {
        {"%10%", "C:\\Windows"},
        {"%11%\\modem.sys", "C:\\Windows\\system32\\modem.sys"},
        {"%12%", "C:\\Windows\\system32\\drivers"},
        {"%17%", "C:\\Windows\\INF"},
        {"%18%", "C:\\Windows\\help"},
        {"%20%", "C:\\Windows\\Fonts"},
        {"%21%", "C:\\Windows\\system32\\viewers"},
        {"%23%", "C:\\Windows\\system32\\spool\\drivers\\color"},
        {"%01%\\x.cty", "C:\\Windows\\INF\\x.cty"},
        {"%1%", "C:\\Windows\\INF"},
        {"%24%\\boot.ini", "C:\\boot.ini"},
        {"%25%", "C:\\Windows"},
        {"%30%", "C:"},
        {"%50%", "C:\\Windows\\system"},
        {"%51%", "C:\\Windows\\system32\\spool"},
        {"%52%", "C:\\Windows\\system32\\spool\\drivers"},
        {"%54%", "C:"},
        {"%55%", "C:\\Windows\\system32\\spool\\prtprocs\\x64"},
        {"%16419%\\Tarn", "C:\\ProgramData\\Tarn"},
        {"%16420%", "C:\\Windows"},
        {"%16422%", "C:\\Program Files"},
        {"%16425%", "C:\\Windows\\SysWOW64"},
        {"%16426%", "C:\\Program Files (x86)"},
        {"%16427%", "C:\\Program Files\\Common Files"},
        {"%13%", "%13%"},
        {"%99999999999%", "%99999999999%"},
        {"%-1%", "%-1%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Expand(c.value), c.expected);
    }
    // A string of the same name wins over the directory.
    EXPECT_EQ(Expand("%10%", "[Strings]\n10=ten\n"), "ten");
}

TEST_F(Substitution, DirectoryIdentifiersFollowTheSystemsWordSize)
{
    UseMachine(R"({"os": {"bits": 32}})");
    EXPECT_EQ(Expand("%16425%"), "C:\\Windows\\system32");
    EXPECT_EQ(Expand("%16426%"), "C:\\Program Files");
    EXPECT_EQ(Expand("%55%"), "C:\\Windows\\system32\\spool\\prtprocs\\w32x86");
}

TEST_F(Substitution, KeysAreSubstitutedBeforeTheyAreLookedUp)
{
    HINF inf = Open(kHeader + "[Strings]\nModelKey=\"Tarn.Model\"\n[Models]\n%ModelKey% = Install, PCI\\VEN_1\n");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE);
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "Models", "tarn.model", &context));
    EXPECT_EQ(Field(context, 0), "Tarn.Model");
    EXPECT_EQ(Field(context, 2), "PCI\\VEN_1");
}

TEST_F(Substitution, TheStringsSectionFollowsTheUserInterfaceLanguage)
{
    const std::string all = "[Strings]\nName=default\n[Strings.0007]\nName=neutral\n"
                            "[strings.0407]\nName=exact\n[Strings.0409]\nName=english\n";
    struct {
        int uiLanguage;
        std::string sections;
        const char* expected;
    } cases[] = {
        {0x0407, all, "exact"},
        {0x0807, all, "neutral"},
        {0x0409, all, "english"},
        {0x040C, all, "default"},
        {0x0807, "[Strings]\nName=default\n[Strings.0407]\nName=exact\n", "default"},
        {0x0407, "[Strings.7]\nName=short\n[Strings]\nName=default\n", "short"},
        // Only the chosen section is read: a key it lacks stays as written.
        {0x0407, "[Strings]\nName=default\nOther=x\n[Strings.0407]\nName=exact\n", "exact"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.uiLanguage << " " << c.sections);
        UseMachine("{\"languages\": {\"userUI\": " + std::to_string(c.uiLanguage) + "}}");
        EXPECT_EQ(Expand("%Name%", c.sections), c.expected);
    }
    UseMachine("{\"languages\": {\"userUI\": 1031}}");
    EXPECT_EQ(Expand("%Other%", "[Strings]\nOther=x\n[Strings.0407]\nName=exact\n"), "%Other%");
}

TEST(StringsSections, LanguageDecorations)
{
    using plat::inf::StringsSectionLanguage;
    EXPECT_EQ(StringsSectionLanguage("Strings.0407"), LANGID{0x0407});
    EXPECT_EQ(StringsSectionLanguage("STRINGS.040c"), LANGID{0x040C});
    EXPECT_EQ(StringsSectionLanguage("Strings.9"), LANGID{0x0009});
    EXPECT_FALSE(StringsSectionLanguage("Strings"));
    EXPECT_FALSE(StringsSectionLanguage("Strings."));
    EXPECT_FALSE(StringsSectionLanguage("Strings.04070"));
    EXPECT_FALSE(StringsSectionLanguage("Strings.German"));
    EXPECT_FALSE(StringsSectionLanguage("Stringsx0407"));
}
