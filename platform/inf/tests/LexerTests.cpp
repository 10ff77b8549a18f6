// How lines of real INF files split into keys and fields.
#include "InfTestSupport.h"

using inftest::InfTest;
using inftest::kHeader;

namespace {

using namespace std::string_literals;

struct LineCase {
    std::string text;               // the line, in section [Test]
    const char* key;                 // field 0, or nullptr when the line has no key
    std::vector<std::string> fields; // fields 1..n
};

const LineCase kLines[] = {
    {"ab=cd", "ab", {"cd"}},
    {"  ab  =  cd  ", "ab", {"cd"}},
    {"AB=cd", "AB", {"cd"}},
    {"ab=cd,ef", "ab", {"cd", "ef"}},
    {"ab = cd , ef ", "ab", {"cd", "ef"}},
    {"ab=cd  ef", "ab", {"cd  ef"}},
    {"ab=cd\tef", "ab", {"cd\tef"}},
    {"ab=\"  cd  \"", "ab", {"  cd  "}},
    {"ab=  \"cd\"  ef  ", "ab", {"cd  ef"}},
    {"ab=\"c\"\"d\",\"e\"f", "ab", {"c\"d", "ef"}},
    {"ab=\"\"\"\"", "ab", {"\""}},
    {"ab=\"\"", "ab", {""}},
    {"ab=\"unterminated, really", "ab", {"unterminated, really"}},
    {"ab=\"open \r", "ab", {"open "}},
    {"ab=cd;ef", "ab", {"cd"}},
    {"ab=cd ; comment, with = signs", "ab", {"cd"}},
    {"ab=\"cd;ef\"", "ab", {"cd;ef"}},
    {"ab=cd,,ef", "ab", {"cd", "", "ef"}},
    {"ab=", "ab", {""}},
    {"ab=cd,", "ab", {"cd", ""}},
    {"ab=a=b", "ab", {"a=b"}},
    {"\"a;b=c\"=d", "a;b=c", {"d"}},
    {"\"ab\" cd=ef", "ab cd", {"ef"}},
    // A line without '=' has no key, unless it is a single field.
    {"ab", "ab", {"ab"}},
    {"ab ; comment", "ab", {"ab"}},
    {"ab,cd", nullptr, {"ab", "cd"}},
    {"ab , cd=ef", nullptr, {"ab", "cd=ef"}},
    {",", nullptr, {"", ""}},
    {"\"\"", "", {""}},
    // A '\' at the end of a line joins the next one.
    {"ab=cd,\\\n ef", "ab", {"cd", "ef"}},
    {"ab=cd\\\nef", "ab", {"cdef"}},
    {"ab=cd,\\ ; comment\n  ef", "ab", {"cd", "ef"}},
    {"ab=cd,\\\\\n ef", "ab", {"cd", "ef"}},
    {"a\\\nb=c", "ab", {"c"}},
    {"ab=cd\\", "ab", {"cd"}},
    // Anywhere else it is text.
    {"ab=c\\d", "ab", {"c\\d"}},
    {"ab=cd \\ x", "ab", {"cd \\ x"}},
    {"ab=\"c\\\"", "ab", {"c\\"}},
    {"ab=\\x", "ab", {"\\x"}},
    // Line ends, Ctrl-Z and NUL.
    {"ab=cd\r", "ab", {"cd"}},
    {"ab=cd\x1a,ef\n[Other]", "ab", {"cd"}},
    {"ab=c\0d"s, "ab", {"c d"}},
};

} // namespace

class Lexer : public InfTest {};

TEST_F(Lexer, LinesSplitIntoKeyAndFieldsAsSetupApiSplitsThem)
{
    int n = 0;
    for (const LineCase& c : kLines) {
        const std::string& line = c.text;
        SCOPED_TRACE("line: " + line);
        HINF inf = Open(kHeader + "[Test]\n" + line + "\n", INF_STYLE_WIN4, nullptr, "line" + std::to_string(n++) + ".inf");
        ASSERT_NE(inf, INVALID_HANDLE_VALUE) << GetLastError();
        INFCONTEXT context;
        ASSERT_TRUE(SetupFindFirstLineA(inf, "Test", nullptr, &context));
        EXPECT_EQ(SetupGetLineCountA(inf, "Test"), 1);
        EXPECT_EQ(Field(context, 0), c.key ? c.key : "<none>");
        EXPECT_EQ(Fields(context), c.fields);
    }
}

TEST_F(Lexer, SectionNamesAndKeysMatchInAnyCase)
{
    HINF inf = Open(kHeader + "[Modem.AddReg]\nHKR,,Key,,1\n[Modems]\nModem=PCI\\VEN_1234\n");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE);
    INFCONTEXT context;
    EXPECT_TRUE(SetupFindFirstLineA(inf, "MODEM.addreg", nullptr, &context));
    EXPECT_TRUE(SetupFindFirstLineA(inf, "modems", "MODEM", &context));
    EXPECT_EQ(Field(context, 1), "PCI\\VEN_1234");
    EXPECT_EQ(Field(context, 0), "Modem");
}

TEST_F(Lexer, DuplicateSectionsAreMergedInFileOrder)
{
    HINF inf = Open(kHeader + "[A]\na=1\n[B]\nb=1\n[a]\na=2\n\n[A]\na=3\n");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetupGetLineCountA(inf, "A"), 3);
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, "A", "a", &context));
    std::vector<std::string> values;
    do {
        values.push_back(Field(context, 1));
    } while (SetupFindNextMatchLineA(&context, "A", &context));
    EXPECT_EQ(values, (std::vector<std::string>{"1", "2", "3"}));
    // The section keeps the name it was first written with.
    char name[64];
    ASSERT_TRUE(SetupEnumInfSectionsA(inf, 1, name, sizeof(name), nullptr));
    EXPECT_STREQ(name, "A");
    ASSERT_TRUE(SetupEnumInfSectionsA(inf, 2, name, sizeof(name), nullptr));
    EXPECT_STREQ(name, "B");
}

TEST_F(Lexer, CommentsBlankLinesAndTextAfterTheHeaderAreNoLines)
{
    HINF inf = Open(kHeader + "[Test] ; trailing = text, ignored\n; a=b\n   \n\t; x\n\na=b\n");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetupGetLineCountA(inf, "Test"), 1);
    INFCONTEXT context;
    EXPECT_FALSE(SetupFindFirstLineA(inf, "Test", "a=b", &context));
}

TEST_F(Lexer, EmptySectionHasNoLines)
{
    HINF inf = Open(kHeader + "[Empty]\n[]\n=x\n");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetupGetLineCountA(inf, "Empty"), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    INFCONTEXT context;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupFindFirstLineA(inf, "Empty", nullptr, &context));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LINE_NOT_FOUND));
    // A section with an empty name, and a line with an empty key.
    ASSERT_TRUE(SetupFindFirstLineA(inf, "", "", &context));
    EXPECT_EQ(Field(context, 1), "x");
}

TEST_F(Lexer, LongNamesAndFieldsUpToTheLimits)
{
    std::string section(MAX_INF_SECTION_NAME_LENGTH, 's');
    std::string key(MAX_INF_STRING_LENGTH, 'k');
    std::string value(MAX_INF_STRING_LENGTH, 'v');
    std::string many;
    for (int i = 0; i < 2000; ++i)
        many += (i ? "," : "") + std::to_string(i);
    HINF inf = Open(kHeader + "[" + section + "]\n" + key + "=" + value + "\nmany=" + many + "\n");
    ASSERT_NE(inf, INVALID_HANDLE_VALUE) << std::hex << GetLastError();
    INFCONTEXT context;
    ASSERT_TRUE(SetupFindFirstLineA(inf, section.c_str(), key.c_str(), &context));
    EXPECT_EQ(Field(context, 1), value);
    ASSERT_TRUE(SetupFindFirstLineA(inf, section.c_str(), "many", &context));
    EXPECT_EQ(SetupGetFieldCount(&context), 2000u);
    EXPECT_EQ(Field(context, 2000), "1999");
}
