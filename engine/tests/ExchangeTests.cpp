// The AT command exchange and OpenModem, driven call by call from the test
// thread while the engine's own thread waits idle.
#include "EngineHarness.h"
#include "FakeMachine.h"

#include <tapi.h>

using harness::CEngineProbe;
using harness::TraceFile;

namespace {

class Exchange : public ::testing::Test {
protected:
    Exchange() : m_trace(harness::TestName())
    {
        fake::Reset();
        plat::clock::Reset();
    }
    ~Exchange() override { plat::clock::Reset(); }

    // Opens the line as a stage does before its first command.
    void Open() { ASSERT_EQ(m_engine.OpenModem(NULL, 4), STEP_WAIT); }

    // Calls SendATCommand until it is not AT_WAIT.
    int Send(const char* command, int limit, int* calls = nullptr)
    {
        int n = 0;
        int result = AT_WAIT;
        while (result == AT_WAIT && n < 100000) {
            result = m_engine.SendATCommand(command, limit);
            ++n;
        }
        if (calls)
            *calls = n;
        return result;
    }

    std::string Response() const { return m_engine.m_szResponse; }

    TraceFile m_trace;
    CEngineProbe m_engine;
};

struct ReplyCase {
    const char* name;
    bool echo;
    std::string reply;
    int result;
    const char* response; // m_szResponse afterwards
    const char* trace;    // the exchange's verdict line
};

class Replies : public Exchange, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(Replies, AreJudgedByTheirFinalToken)
{
    const ReplyCase& c = GetParam();
    fake::Line().echo = c.echo;
    fake::Line().replies["ATX"] = c.reply;
    Open();
    EXPECT_EQ(Send("ATX\r\n", 3), c.result);
    EXPECT_EQ(Response(), c.response);
    EXPECT_TRUE(m_trace.Has("Send AT Command = ATX\r\n")) << m_trace.Dump();
    EXPECT_TRUE(m_trace.Has(c.trace)) << m_trace.Dump();
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, Replies,
    ::testing::Values(
        ReplyCase{"EchoKeptInReply", true, "\r\nOK\r\n", AT_DONE, "ATX\nOK\n", " Response = ATX\nOK\n"},
        ReplyCase{"NoEcho", false, "\r\nOK\r\n", AT_DONE, "\nOK\n", " Response = \nOK\n"},
        ReplyCase{"InformationBeforeOk", true, "\r\n56000\r\n\r\nOK\r\n", AT_DONE, "ATX\n56000\n\nOK\n",
                  " Response = ATX\n56000\n\nOK\n"},
        ReplyCase{"ErrorEndsTheReply", true, "\r\nERROR\r\n\r\nOK\r\n", AT_DONE, "ATX\nERROR\n",
                  "AT Command = ATX\r\n not supported, Response = ATX\nERROR\n"},
        ReplyCase{"ErrorIsNotSupported", true, "\r\nERROR\r\n", AT_DONE, "ATX\nERROR\n",
                  "AT Command = ATX\r\n not supported, Response = ATX\nERROR\n"},
        ReplyCase{"Connect1200", true, "\r\nCONNECT 1200\r\n", AT_DONE, "ATX\nCONNECT 1200\n",
                  " Response = ATX\nCONNECT 1200\n"},
        ReplyCase{"ConnectAtAnotherSpeedIsNoFinalReply", true, "\r\nCONNECT 2400\r\n", AT_FAIL,
                  "ATX\nCONNECT 2400\n", "AT Command = ATX\r\n timeout, Response = ATX\nCONNECT 2400\n"},
        ReplyCase{"NoCarrier", true, "\r\nNO CARRIER\r\n", AT_DONE, "ATX\nNO CARRIER\n",
                  " Response = ATX\nNO CARRIER\n"},
        ReplyCase{"NoDialtone", true, "\r\nNO DIALTONE\r\n", AT_DONE, "ATX\nNO DIALTONE\n",
                  " Response = ATX\nNO DIALTONE\n"},
        ReplyCase{"TokensAreCaseSensitive", true, "\r\nok\r\n", AT_FAIL, "ATX\nok\n",
                  "AT Command = ATX\r\n timeout, Response = ATX\nok\n"},
        ReplyCase{"UnfinishedLineIsNoFinalReply", true, "\r\nOK", AT_FAIL, "ATX\nOK",
                  "AT Command = ATX\r\n timeout, Response = ATX\nOK"},
        ReplyCase{"NumericResultIsNoFinalReply", true, "0\r", AT_FAIL, "ATX0",
                  "AT Command = ATX\r\n timeout, Response = ATX0"},
        ReplyCase{"NoReply", true, "", AT_FAIL, "ATX", "AT Command = ATX\r\n timeout, Response = ATX"}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

TEST_F(Exchange, TheLimitIsWholeSecondsStrictlyGreater)
{
    fake::Line().idleStepMs = 0;
    fake::Line().replies["ATX"] = "";
    Open();
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(m_engine.SendATCommand("ATX\r\n", 3), AT_WAIT);
    plat::clock::Advance(std::chrono::seconds(3));
    EXPECT_EQ(m_engine.SendATCommand("ATX\r\n", 3), AT_WAIT);
    plat::clock::Advance(std::chrono::seconds(1));
    EXPECT_EQ(m_engine.SendATCommand("ATX\r\n", 3), AT_FAIL);
}

TEST_F(Exchange, TheLimitWinsOverAFinalReplyInTheSameCall)
{
    fake::Line().idleStepMs = 0;
    fake::Line().replies["ATX"] = "\r\nOK\r\n";
    Open();
    // Everything but the reply's last LF.
    while (m_engine.m_nSendPos < 5 || fake::Line().toHost.size() > 1)
        ASSERT_EQ(m_engine.SendATCommand("ATX\r\n", 3), AT_WAIT);
    plat::clock::Advance(std::chrono::seconds(4));
    EXPECT_EQ(m_engine.SendATCommand("ATX\r\n", 3), AT_FAIL);
    EXPECT_STREQ(m_engine.m_szResponse, "ATX\nOK\n");
    EXPECT_TRUE(m_trace.InOrder({" Response = ATX\nOK\n", "AT Command = ATX\r\n timeout, Response = ATX\nOK\n"}))
        << m_trace.Dump();
}

// Judging starts once the whole command is out: a reply that is complete
// by then may hold both tokens, and OK wins.
TEST_F(Exchange, AReplyWithOkAndErrorIsAccepted)
{
    fake::Line().replies["ATX"] = "\r\nERROR\r\n\r\nOK\r\n";
    fake::Line().onCommand = [](const std::string&) { fake::Line().refuseWrites = 20; }; // holds back the LF
    Open();
    EXPECT_EQ(Send("ATX\r\n", 3), AT_DONE);
    EXPECT_EQ(Response(), "ATX\nERROR\n\nOK\n");
    EXPECT_TRUE(m_trace.Has(" Response = ATX\nERROR\n\nOK\n")) << m_trace.Dump();
    EXPECT_FALSE(m_trace.Has("AT Command = ATX\r\n not supported, Response = ATX\nERROR\n\nOK\n"));
}

TEST_F(Exchange, TheReplyHoldsAtMost1022CharactersAndNeverOverflows)
{
    fake::Line().echo = false;
    fake::Line().replies["ATX"] = std::string(1500, 'x') + "\r\nOK\r\n";
    Open();
    EXPECT_EQ(Send("ATX\r\n", 3), AT_FAIL); // the OK came after the cap
    EXPECT_EQ(m_engine.m_nRespLen, 1022);
    EXPECT_EQ(Response(), std::string(1022, 'x'));
}

TEST_F(Exchange, CarriageReturnsAreNotKeptNorCounted)
{
    fake::Line().echo = false;
    fake::Line().replies["ATX"] = std::string(1500, '\r') + "\r\nOK\r\n";
    Open();
    EXPECT_EQ(Send("ATX\r\n", 3), AT_DONE);
    EXPECT_EQ(Response(), "\nOK\n");
}

TEST_F(Exchange, NulBytesAreNotKeptSoTheFinalReplyIsFound)
{
    fake::Line().echo = false;
    fake::Line().replies["ATZ"] = std::string("\0\r\nOK\r\n\0", 8);
    Open();
    EXPECT_EQ(Send("ATZ\r\n", 10), AT_DONE);
    EXPECT_EQ(Response(), "\nOK\n");
    EXPECT_EQ(m_engine.m_nRespLen, 4);
    EXPECT_TRUE(m_trace.Has(" Response = \nOK\n")) << m_trace.Dump();
}

TEST_F(Exchange, UpTo1000StaleBytesAreDrainedBeforeACommand)
{
    std::string stale;
    while (stale.size() < 1000)
        stale += "\r\nOK\r\n";
    stale.resize(1000);
    fake::Line().replies["ATX"] = "";
    Open();
    fake::Line().Queue(stale);
    EXPECT_EQ(Send("ATX\r\n", 3), AT_FAIL); // the stale OKs are not this command's
    EXPECT_EQ(Response(), "ATX");
}

TEST_F(Exchange, TheDrainStopsAfter1000Bytes)
{
    fake::Line().replies["ATX"] = "";
    Open();
    fake::Line().Queue(std::string(1000, 'z') + "\r\nOK\r\n");
    EXPECT_EQ(Send("ATX\r\n", 3), AT_DONE);
    EXPECT_EQ(Response(), "\nOK\n");
}

TEST_F(Exchange, ALateReplyToAnEarlierCommandIsNotTakenForTheNext)
{
    fake::Line().replies["ATA"] = "\r\nOK\r\n";
    fake::Line().replies["ATB"] = "";
    Open();
    ASSERT_EQ(Send("ATA\r\n", 3), AT_DONE);
    fake::Line().Queue("\r\nOK\r\n"); // ATA's reply once more, late
    m_engine.m_nSendPos = -1;
    EXPECT_EQ(Send("ATB\r\n", 3), AT_FAIL);
    EXPECT_EQ(Response(), "ATB");
}

TEST_F(Exchange, ARefusedCharacterIsOfferedAgain)
{
    fake::Line().refuseWrites = 3;
    fake::Line().replies["ATX"] = "\r\nOK\r\n";
    Open();
    EXPECT_EQ(Send("ATX\r\n", 3), AT_DONE);
    EXPECT_EQ(fake::Line().commands, std::vector<std::string>{"ATX"});
}

TEST_F(Exchange, CharactersWaitForThePortWhileTheLimitRuns)
{
    fake::Line().replies["ATX"] = "\r\nOK\r\n";
    fake::Line().connectDelay = 20; // 2 s of port calls without a port
    Open();
    EXPECT_EQ(Send("ATX\r\n", 3), AT_DONE);
    fake::Line().connectDelay = 50; // 5 s: the command never gets out
    Open();
    EXPECT_EQ(Send("ATX\r\n", 3), AT_FAIL);
    EXPECT_TRUE(m_trace.Has("AT Command = ATX\r\n timeout, Response = ")) << m_trace.Dump();
}

TEST_F(Exchange, AStopTurnsTheNextFinalReplyIntoAFailure)
{
    fake::Line().replies["ATX"] = "\r\nOK\r\n";
    Open();
    m_engine.m_bAbort = 1;
    EXPECT_EQ(Send("ATX\r\n", 3), AT_FAIL);
    EXPECT_TRUE(m_trace.Has(" Response = ATX\nOK\n"));
    EXPECT_FALSE(m_trace.Has("AT Command = ATX\r\n timeout, Response = ATX\nOK\n"));

    fake::Line().replies["ATY"] = "\r\nERROR\r\n";
    m_engine.m_nSendPos = -1;
    EXPECT_EQ(Send("ATY\r\n", 3), AT_FAIL);
    EXPECT_TRUE(m_trace.Has("AT Command = ATY\r\n not supported, Response = ATY\nERROR\n"));

    fake::Line().replies["ATZ"] = ""; // no final reply: the limit ends it
    m_engine.m_nSendPos = -1;
    EXPECT_EQ(Send("ATZ\r\n", 3), AT_FAIL);
    EXPECT_TRUE(m_trace.Has("AT Command = ATZ\r\n timeout, Response = ATZ"));
}

TEST_F(Exchange, AnUnfinishedCommandContinuesUntilANewOneIsStarted)
{
    fake::Line().replies["ATX"] = "\r\nOK\r\n";
    Open();
    ASSERT_EQ(Send("ATX\r\n", 3), AT_DONE);
    EXPECT_EQ(m_engine.SendATCommand("ATX\r\n", 3), AT_DONE); // same exchange, judged again
    EXPECT_EQ(fake::Line().commands.size(), 1u);
    EXPECT_EQ(m_trace.Count("Send AT Command = ATX\r\n"), 1);
}

struct OpenCase {
    const char* name;
    int openResult;
    int makeCallResult;
    const char* number;
    int expected;
    std::vector<std::string> trace;
};

class Opening : public Exchange, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(Opening, ReportsWhyTheLineDidNotOpen)
{
    const OpenCase& c = GetParam();
    fake::Line().openResult = c.openResult;
    fake::Line().makeCallResult = c.makeCallResult;
    m_engine.m_nStep = 0;
    m_engine.m_nSendPos = 7;
    EXPECT_EQ(m_engine.OpenModem(c.number, 13), c.expected);
    EXPECT_TRUE(m_trace.InOrder(c.trace)) << m_trace.Dump();
    EXPECT_EQ(m_engine.m_nStep, c.expected == STEP_WAIT ? 13 : 0);
    EXPECT_EQ(m_engine.m_nSendPos, c.expected == STEP_WAIT ? -1 : 7);
    EXPECT_FALSE(c.expected == STEP_FAIL && fake::LineOpen()) << "a failed call closes the line";
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, Opening,
    ::testing::Values(
        OpenCase{"Passthrough", 0, 0, NULL, STEP_WAIT,
                 {"open modem ...", "Open modem OK.", "Make Outgoing Call passed"}},
        OpenCase{"PortHeld", (int)LINEERR_OPERATIONFAILED, 0, NULL, STEP_PORT_BUSY,
                 {"open modem ...", "Open modem failed."}},
        OpenCase{"NoSuchLine", (int)LINEERR_BADDEVICEID, 0, NULL, STEP_PORT_BUSY,
                 {"open modem ...", "Open modem failed."}},
        OpenCase{"PortBroken", (int)LINEERR_RESOURCEUNAVAIL, 0, NULL, STEP_PORT_BROKEN,
                 {"open modem ...", "Open modem failed."}},
        OpenCase{"CallRefused", 0, (int)LINEERR_OPERATIONFAILED, NULL, STEP_FAIL,
                 {"open modem ...", "Open modem OK.", "Make Outgoing Call failed. (number = (null))",
                  "Close TapiLine", "TapiLine closed"}},
        OpenCase{"CallToNumberRefused", 0, (int)LINEERR_INVALADDRESS, "0123", STEP_FAIL,
                 {"open modem ...", "Open modem OK.", "Make Outgoing Call failed. (number = 0123)"}}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

TEST_F(Exchange, OpenModemAfterAStopTouchesNothing)
{
    m_engine.m_bAbort = 1;
    EXPECT_EQ(m_engine.OpenModem(NULL, 4), STEP_FAIL);
    EXPECT_EQ(fake::Line().opens, 0);
    EXPECT_EQ(m_trace.Lines(), std::vector<std::string>{"open modem ..."});
}

} // namespace
