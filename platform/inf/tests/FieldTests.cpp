// Reading fields and walking lines: results, sizes and last errors.
#include "InfTestSupport.h"

#include <cstring>

using inftest::InfTest;
using inftest::kHeader;

class Fields : public InfTest {
protected:
    void SetUp() override
    {
        InfTest::SetUp();
        m_inf = Open(kHeader +
                     "[Lines]\n"
                     "Name = Tarn Modem\n"
                     "HKR,, Properties, 1, 80,01,00,FF,a, 00ff\n"
                     "HKR, Init, 1,, \"AT&F\" ,\n"
                     "Bad = 12, 1FF, zz, 0x12\n"
                     "name = second\n");
        ASSERT_NE(m_inf, INVALID_HANDLE_VALUE);
    }
    INFCONTEXT Line(DWORD index)
    {
        INFCONTEXT context{};
        EXPECT_TRUE(SetupGetLineByIndexA(m_inf, "Lines", index, &context));
        return context;
    }
    HINF m_inf = nullptr;
};

TEST_F(Fields, StringFieldSizeRules)
{
    INFCONTEXT context = Line(0);
    char buffer[32];
    DWORD required = 0;

    SetLastError(0xdeadbeef);
    EXPECT_TRUE(SetupGetStringFieldA(&context, 1, nullptr, 0, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(required, 11u); // "Tarn Modem" and its zero

    std::memset(buffer, 'x', sizeof(buffer));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupGetStringFieldA(&context, 1, buffer, 10, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(required, 11u);

    SetLastError(0xdeadbeef);
    EXPECT_TRUE(SetupGetStringFieldA(&context, 1, buffer, 11, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_STREQ(buffer, "Tarn Modem");

    SetLastError(0xdeadbeef);
    EXPECT_TRUE(SetupGetStringFieldA(&context, 0, buffer, sizeof(buffer), &required));
    EXPECT_STREQ(buffer, "Name");
    EXPECT_EQ(required, 5u);
}

TEST_F(Fields, MissingFieldsAndKeys)
{
    struct {
        DWORD line;
        DWORD index;
        DWORD error; // 0: the field exists
        const char* text;
    } cases[] = {
        {0, 2, ERROR_INVALID_PARAMETER, ""},
        {1, 0, ERROR_INVALID_PARAMETER, ""}, // a line without '=' has no key
        {1, 2, 0, ""},                       // an empty field exists
        {2, 4, 0, ""},
        {2, 5, 0, "AT&F"},
        {2, 6, 0, ""},
        {2, 7, ERROR_INVALID_PARAMETER, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << " field " << c.index);
        INFCONTEXT context = Line(c.line);
        char buffer[32] = "unchanged";
        SetLastError(0xdeadbeef);
        EXPECT_EQ(SetupGetStringFieldA(&context, c.index, buffer, sizeof(buffer), nullptr), c.error == 0);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_STREQ(buffer, c.error ? "unchanged" : c.text);
    }
    INFCONTEXT context = Line(2);
    EXPECT_EQ(SetupGetFieldCount(&context), 6u);
}

TEST_F(Fields, IntegerFields)
{
    struct {
        const char* text;
        bool ok;
        INT value;
    } cases[] = {
        {"12", true, 12},
        {"-12", true, -12},
        {"+7", true, 7},
        {"010", true, 10},
        {"0x1F", true, 31},
        {"0X1f", true, 31},
        {"-0x10", true, -16},
        {"0x00010001", true, 0x10001},
        {"0xFFFFFFFF", true, -1},
        {"4294967295", true, -1},
        {"", true, 0},
        {"abc", false, 0},
        {"12a", false, 0},
        {"0x", false, 0},
        {"0x100000000", false, 0},
        {"4294967296", false, 0},
        {"1 2", false, 0},
        {"-", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        HINF inf = Open(kHeader + "[N]\nn=\"" + c.text + "\"\n");
        INFCONTEXT context;
        ASSERT_TRUE(SetupFindFirstLineA(inf, "N", "n", &context));
        INT value = 12345;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(SetupGetIntField(&context, 1, &value), c.ok);
        EXPECT_EQ(GetLastError(), c.ok ? static_cast<DWORD>(NO_ERROR) : static_cast<DWORD>(ERROR_INVALID_DATA));
        EXPECT_EQ(value, c.ok ? c.value : 12345);
    }
    INFCONTEXT context = Line(0);
    INT value = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupGetIntField(&context, 5, &value));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Fields, BinaryFieldsTakeOneByteFromEachFieldOn)
{
    INFCONTEXT context = Line(1);
    BYTE data[8] = {};
    DWORD required = 0;

    SetLastError(0xdeadbeef);
    EXPECT_TRUE(SetupGetBinaryField(&context, 5, nullptr, 0, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(required, 6u);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupGetBinaryField(&context, 5, data, 5, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    SetLastError(0xdeadbeef);
    EXPECT_TRUE(SetupGetBinaryField(&context, 5, data, sizeof(data), &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    const BYTE expected[] = {0x80, 0x01, 0x00, 0xFF, 0x0A, 0xFF};
    EXPECT_EQ(std::memcmp(data, expected, sizeof(expected)), 0);

    // Index 0 and indexes past the line are refused; fields that are not
    // hexadecimal bytes are invalid data.
    for (DWORD index : {0u, 11u}) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(SetupGetBinaryField(&context, index, data, sizeof(data), &required));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    // A byte may carry a "0x" prefix ("0x12" is 0x12); a field that is no
    // byte is invalid data even when the buffer is too small, and the size
    // is then not reported.
    context = Line(3);
    for (DWORD index : {2u, 3u}) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(SetupGetBinaryField(&context, index, data, sizeof(data), nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
        required = 0xdeadbeef;
        EXPECT_FALSE(SetupGetBinaryField(&context, index, data, 0, &required));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
        EXPECT_EQ(required, 0xdeadbeefu);
    }
    EXPECT_TRUE(SetupGetBinaryField(&context, 4, data, sizeof(data), &required));
    EXPECT_EQ(required, 1u);
    EXPECT_EQ(data[0], 0x12);
}

TEST_F(Fields, MultiSzFieldsEndAtAnEmptyField)
{
    INFCONTEXT context = Line(2);
    char buffer[32];
    DWORD required = 0;

    SetLastError(0xdeadbeef);
    EXPECT_TRUE(SetupGetMultiSzFieldA(&context, 2, nullptr, 0, &required));
    EXPECT_EQ(required, 8u); // "Init\0" "1\0" "\0"

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupGetMultiSzFieldA(&context, 2, buffer, 7, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    std::memset(buffer, 'x', sizeof(buffer));
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(SetupGetMultiSzFieldA(&context, 2, buffer, 8, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(std::string(buffer, 9), std::string("Init\0" "1\0\0x", 9));

    // Starting on an empty field gives an empty list.
    EXPECT_TRUE(SetupGetMultiSzFieldA(&context, 4, buffer, sizeof(buffer), &required));
    EXPECT_EQ(required, 1u);
    EXPECT_EQ(buffer[0], '\0');

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupGetMultiSzFieldA(&context, 0, buffer, sizeof(buffer), &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Fields, WalkingLinesByKeyAndInOrder)
{
    INFCONTEXT context;
    SetLastError(0xdeadbeef);
    ASSERT_TRUE(SetupFindFirstLineA(m_inf, "lines", "NAME", &context));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(context.Inf, m_inf);
    EXPECT_EQ(context.CurrentInf, m_inf);
    EXPECT_EQ(context.Line, 0u);

    INFCONTEXT next;
    ASSERT_TRUE(SetupFindNextMatchLineA(&context, "name", &next));
    EXPECT_EQ(next.Line, 4u);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupFindNextMatchLineA(&next, "name", &next));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LINE_NOT_FOUND));
    EXPECT_EQ(next.Line, 4u);

    // Without a key the next line is taken; the same context may be in and out.
    ASSERT_TRUE(SetupFindNextMatchLineA(&context, nullptr, &context));
    EXPECT_EQ(context.Line, 1u);
    DWORD lines = 1;
    while (SetupFindNextLine(&context, &context))
        ++lines;
    EXPECT_EQ(lines, 4u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LINE_NOT_FOUND));
    EXPECT_EQ(SetupGetLineCountA(m_inf, "Lines"), 5);

    struct {
        const char* section;
        const char* key;
    } missing[] = {{"Nowhere", nullptr}, {"Nowhere", "Name"}, {"Lines", "Nobody"}};
    for (const auto& m : missing) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(SetupFindFirstLineA(m_inf, m.section, m.key, &context));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LINE_NOT_FOUND));
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetupGetLineCountA(m_inf, "Nowhere"), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SECTION_NOT_FOUND));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupGetLineByIndexA(m_inf, "Lines", 5, &context));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LINE_NOT_FOUND));
}

TEST_F(Fields, ContextsOutsideTheFileAreRefused)
{
    INFCONTEXT context = Line(0);
    context.Line = 99;
    char buffer[8];
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupGetStringFieldA(&context, 1, buffer, sizeof(buffer), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LINE_NOT_FOUND));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetupGetFieldCount(&context), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LINE_NOT_FOUND));
    context.Section = 1000;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupFindNextLine(&context, &context));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LINE_NOT_FOUND));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupGetStringFieldA(nullptr, 1, buffer, sizeof(buffer), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Fields, SectionsAreEnumeratedInOrder)
{
    char name[4];
    UINT needed = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupEnumInfSectionsA(m_inf, 1, name, sizeof(name), &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(needed, 6u);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupEnumInfSectionsA(m_inf, 2, name, sizeof(name), &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}
