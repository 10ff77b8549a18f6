// infdump's output format.
#include "InfTestSupport.h"

#include "../infdump/Dump.h"

#include <sstream>

using inftest::InfTest;

class InfDump : public InfTest {};

TEST_F(InfDump, OneLinePerInfLineWithQuotedFields)
{
    m_profile.Write("drive_c/Windows/INF/d.inf",
                    "[Version]\nSignature=\"$Chicago$\"\n[Strings]\nq=\"say \"\"hi\"\"\"\n"
                    "[Files]\nmodem.sys\nHKR,,Path,,\"C:\\x\",\"\"\n\tKey = %q% , \xE9\n[Empty]\n");
    std::ostringstream out, err;
    EXPECT_EQ(infdump::DumpInf("C:\\Windows\\INF\\d.inf", out, err), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), "[Version]\n"
                         "  \"Signature\" = \"$Chicago$\"\n"
                         "[Strings]\n"
                         "  \"q\" = \"say \\\"hi\\\"\"\n"
                         "[Files]\n"
                         "  \"modem.sys\" = \"modem.sys\"\n"
                         "  - = \"HKR\", \"\", \"Path\", \"\", \"C:\\\\x\", \"\"\n"
                         "  \"Key\" = \"say \\\"hi\\\"\", \"\\xE9\"\n"
                         "[Empty]\n");
}

TEST_F(InfDump, ErrorsNameFileLineAndCode)
{
    m_profile.Write("drive_c/Windows/INF/bad.inf", "[Version]\n[Broken\n");
    std::ostringstream out, err;
    EXPECT_EQ(infdump::DumpInf("C:\\Windows\\INF\\bad.inf", out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
              "infdump: C:\\Windows\\INF\\bad.inf: line 2: error 0xE0000001 (ERROR_BAD_SECTION_NAME_LINE)\n");
    err.str("");
    EXPECT_EQ(infdump::DumpInf("C:\\Windows\\INF\\none.inf", out, err), 1);
    EXPECT_EQ(err.str(), "infdump: C:\\Windows\\INF\\none.inf: error 0x00000002 (ERROR_FILE_NOT_FOUND)\n");
}

TEST(InfDumpQuote, EscapesQuotesBackslashesAndBytesOutsideAscii)
{
    EXPECT_EQ(infdump::Quote(""), "\"\"");
    EXPECT_EQ(infdump::Quote("a \"b\" \\c"), "\"a \\\"b\\\" \\\\c\"");
    EXPECT_EQ(infdump::Quote("t\tn\x7F\xFF"), "\"t\\x09n\\x7F\\xFF\"");
}
