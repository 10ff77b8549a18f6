// CString: searching and cutting at the edges, formatting, and the
// GetBuffer / ReleaseBuffer hand-over to C functions.
#include <afxwin.h>

#include <gtest/gtest.h>

#include <cstring>

TEST(CString, CuttingClampsAtTheEdges)
{
    const CString s("Hello, modem");
    struct {
        CString got;
        const char* want;
    } cases[] = {
        {s.Left(5), "Hello"},     {s.Left(0), ""},          {s.Left(99), "Hello, modem"}, {s.Left(-1), ""},
        {s.Mid(7), "modem"},      {s.Mid(7, 2), "mo"},      {s.Mid(12), ""},              {s.Mid(40, 3), ""},
        {s.Mid(-3, 2), "He"},     {s.Mid(10, 9), "em"},     {s.Right(3), "dem"},          {s.Right(50), "Hello, modem"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.got, c.want);
}

TEST(CString, Searching)
{
    const CString s("ATI3\r\nOK\r\n");
    EXPECT_EQ(s.Find("OK"), 6);
    EXPECT_EQ(s.Find('\r'), 4);
    EXPECT_EQ(s.Find('\r', 5), 8);
    EXPECT_EQ(s.Find("OK", 7), -1);
    EXPECT_EQ(s.Find("", 0), 0);
    EXPECT_EQ(s.Find('A', 100), -1);
    EXPECT_EQ(s.Find('A', -1), -1);
    EXPECT_EQ(s.ReverseFind('\r'), 8);
    EXPECT_EQ(s.ReverseFind('x'), -1);
}

TEST(CString, FormatAppendAndCompare)
{
    CString s;
    s.Format("Language code = %04x", 0x40c);
    EXPECT_STREQ(s, "Language code = 040c");
    s.Format("%s", "replaced");
    EXPECT_EQ(s, "replaced");
    s.AppendFormat(" %d", 5);
    s += '!';
    s += CString(" more");
    EXPECT_EQ(s.GetLength(), 16);
    EXPECT_EQ(CString("a") + "b" + CString("c"), "abc");
    EXPECT_TRUE("abc" == CString("abc"));
    EXPECT_NE(CString("abc"), "ABC");
    EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
    CString text("  a b  ");
    EXPECT_STREQ(text.Trim(), "a b");
    CString path("htm\\Lang0409\\");
    EXPECT_EQ(path.Replace("\\", "/"), 2);
    EXPECT_STREQ(path, "htm/Lang0409/");
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_TRUE(CString(static_cast<const char*>(nullptr)).IsEmpty());
}

TEST(CString, GetBufferAndReleaseBuffer)
{
    CString s("old");
    char* buffer = s.GetBuffer(260);
    EXPECT_STREQ(buffer, "old") << "the contents are kept";
    std::strcpy(buffer, "C:\\Program Files\\Ravlin\\Ravlin.exe");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 34);
    EXPECT_EQ(s, "C:\\Program Files\\Ravlin\\Ravlin.exe");
    s.GetBuffer(0)[3] = 'X';
    s.ReleaseBuffer(4);
    EXPECT_EQ(s, "C:\\X");
    std::strcpy(s.GetBufferSetLength(2), "ab");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "ab");
}
