// The dialog's page flow: every button on every page, the engine's results
// while testing and after a stop, and detection before or after a start.
#include "RavlinDlg.h"

#include "EmptyPc.h"
#include "Trace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class CFlowDlg : public CRavlinDlg {
public:
    using CDialog::IsModalEnded;
    using CDialog::GetModalResult;
    using CRavlinDlg::m_bDetectDone;
    using CRavlinDlg::m_bStartPending;
    using CRavlinDlg::m_bTesting;
    using CRavlinDlg::m_strHtmPath;
};

std::string trace()
{
    std::ifstream in("Ravlin_Trace.trc", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class PageFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_pc.Start(), "");
        m_dlg = std::make_unique<CFlowDlg>();
    }
    void TearDown() override { m_dlg.reset(); }

    enum Button { OK, Cancel, Special };
    void Click(Button button)
    {
        switch (button) {
        case OK: m_dlg->OnButtonOK(NULL); break;
        case Cancel: m_dlg->OnButtonCancel(NULL); break;
        case Special: m_dlg->OnButtonSpecial(NULL); break;
        }
    }

    CEmptyPc m_pc;
    std::unique_ptr<CFlowDlg> m_dlg;
};

constexpr int kEndsOk = -1;
constexpr int kEndsCancel = -2;

} // namespace

TEST_F(PageFlow, ConstructionConfiguresTextsAndThePageFolder)
{
    EXPECT_STREQ(m_dlg->m_strModemName, "Unknown");
    EXPECT_STREQ(m_dlg->m_strReleaseDate, "05/15//2007");
    EXPECT_STREQ(m_dlg->m_strSwVersion, "1.0.22.0");
    EXPECT_EQ(m_dlg->m_nPage, PAGE_START);
    std::string path = static_cast<LPCTSTR>(m_dlg->m_strHtmPath);
    EXPECT_EQ(path.substr(path.size() - 13), "htm\\Lang0409\\");
    std::string t = trace();
    size_t starts = t.find("TArn Modem Diagnostic Tool Starts");
    size_t version = t.find("Software Version: 1.0.22.0");
    size_t date = t.find("Release Date: 05/15//2007");
    size_t language = t.find("Language code = 0409");
    size_t folder = t.find("Set htm path to " + path);
    EXPECT_TRUE(starts < version && version < date && date < language && language < folder) << t;
}

TEST_F(PageFlow, EveryButtonOnEveryPage)
{
    struct Case {
        int page;
        Button button;
        int expected; // a page, or how the dialog ends
    } cases[] = {
        {PAGE_ABOUT, OK, PAGE_START},          {PAGE_ABOUT, Special, kEndsOk},
        {PAGE_ABOUT, Cancel, kEndsCancel},     {PAGE_CODE0, OK, PAGE_RES0},
        {PAGE_CODE1, OK, PAGE_RES1},           {PAGE_CODE2, OK, PAGE_RES2},
        {PAGE_CODE3, OK, PAGE_RES3},           {PAGE_CODE2, Special, kEndsOk},
        {PAGE_START_FROM_RES4, OK, PAGE_RES4}, {PAGE_START_FROM_RES4, Special, kEndsOk},
        {PAGE_RES0, OK, PAGE_START},           {PAGE_RES1, OK, PAGE_START},
        {PAGE_RES2, OK, PAGE_START},           {PAGE_RES3, OK, PAGE_START},
        {PAGE_RES4, OK, kEndsOk},              {PAGE_RES0, Special, PAGE_CODE0},
        {PAGE_RES1, Special, PAGE_RES3},       {PAGE_RES2, Special, PAGE_CODE2},
        {PAGE_RES3, Special, PAGE_CODE3},      {PAGE_RES4, Special, PAGE_START_FROM_RES4},
        {PAGE_RES3, Cancel, kEndsCancel},      {PAGE_STARTERR, OK, PAGE_RES3},
        {PAGE_STARTERR, Special, PAGE_RES3},   {PAGE_STARTERR, Cancel, kEndsCancel},
        {PAGE_START, Special, PAGE_ABOUT},     {PAGE_START, Cancel, kEndsCancel},
        {PAGE_PROGRESS, OK, kEndsOk},          {PAGE_PROGRESS, Special, kEndsOk},
        {42, OK, kEndsOk},                     {42, Special, kEndsOk},
    };
    for (const Case& c : cases) {
        m_dlg = std::make_unique<CFlowDlg>();
        m_dlg->m_nPage = c.page;
        Click(c.button);
        if (c.expected >= 0) {
            EXPECT_FALSE(m_dlg->IsModalEnded()) << c.page << "/" << c.button;
            EXPECT_EQ(m_dlg->m_nPage, c.expected) << c.page << "/" << c.button;
        } else {
            EXPECT_TRUE(m_dlg->IsModalEnded()) << c.page << "/" << c.button;
            EXPECT_EQ(m_dlg->GetModalResult(), c.expected == kEndsOk ? IDOK : IDCANCEL)
                << c.page << "/" << c.button;
        }
    }
}

TEST_F(PageFlow, ResultsWhileTestingAndAfterAStop)
{
    struct Case {
        WPARAM code;
        int page;
    } cases[] = {
        {RESULT_PASSED, PAGE_RES0},         {RESULT_NO_DIALTONE, PAGE_RES1},
        {RESULT_DRIVER_PROBLEM, PAGE_RES2}, {RESULT_HARDWARE_PROBLEM, PAGE_RES3},
        {RESULT_DIALING_FAILED, PAGE_RES3}, {RESULT_PORT_IN_USE, PAGE_RES4},
    };
    m_dlg->OnDetectResult(DETECT_FOUND, 0);
    for (const Case& c : cases) {
        m_dlg->m_nPage = PAGE_START;
        Click(OK);
        EXPECT_EQ(m_dlg->m_nPage, PAGE_PROGRESS);
        EXPECT_TRUE(m_dlg->m_bTesting);
        m_dlg->OnTestResult(c.code, 0);
        EXPECT_EQ(m_dlg->m_nPage, c.page) << c.code;
        EXPECT_FALSE(m_dlg->m_bTesting);
    }

    // A stop on the progress page: the later result leads to the start page.
    m_dlg->m_nPage = PAGE_START;
    Click(OK);
    Click(Cancel);
    EXPECT_EQ(m_dlg->m_nPage, PAGE_PROGRESS) << "the progress page stays until the result";
    EXPECT_FALSE(m_dlg->m_bTesting);
    m_dlg->OnTestResult(RESULT_NO_DIALTONE, 0);
    EXPECT_EQ(m_dlg->m_nPage, PAGE_START);
    EXPECT_NE(trace().find("Call StopTest()"), std::string::npos);
}

TEST_F(PageFlow, AStartWhileTestingStartsNothingNew)
{
    m_dlg->OnDetectResult(DETECT_FOUND, 0);
    Click(OK);
    m_dlg->m_nPage = PAGE_START;
    Click(OK);
    EXPECT_EQ(m_dlg->m_nPage, PAGE_PROGRESS);
    std::string t = trace();
    size_t first = t.find("Call StartTest()");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(t.find("Call StartTest()", first + 1), std::string::npos);
}

TEST_F(PageFlow, DetectionOutcomesFillTheTexts)
{
    m_dlg->OnDetectResult(DETECT_FOUND, 0);
    // This PC has no modem, so the engine's texts are empty.
    EXPECT_STREQ(m_dlg->m_strModemName, "");
    EXPECT_STREQ(m_dlg->m_strCountry, "Generic");
    EXPECT_EQ(m_dlg->m_nPage, PAGE_START);

    m_dlg = std::make_unique<CFlowDlg>();
    m_dlg->OnDetectResult(DETECT_NO_HARDWARE, 0);
    EXPECT_EQ(m_dlg->m_nPage, PAGE_STARTERR);
    EXPECT_STREQ(m_dlg->m_strModemName, "Unknown");

    m_dlg = std::make_unique<CFlowDlg>();
    m_dlg->OnDetectResult(DETECT_NO_DRIVER, 0);
    EXPECT_EQ(m_dlg->m_nPage, PAGE_START);
    EXPECT_STREQ(m_dlg->m_strDriverVersion, "No driver was detected");
    std::string path = static_cast<LPCTSTR>(m_dlg->m_strHtmPath);
    std::string t = trace();
    size_t navigate = t.rfind("Nevigate page " + path + "start.htm");
    size_t noDriver = t.rfind("MDM_INIT_NO_DRIVER:::Nevigate page " + path + "Start.htm");
    size_t name = t.rfind("Modem Name: Unknown");
    size_t version = t.rfind("Driver Version: No driver was detected");
    size_t country = t.rfind("Country: Unknown");
    EXPECT_TRUE(navigate < noDriver && noDriver < name && name < version && version < country) << t;
}

TEST_F(PageFlow, AStartClickedDuringDetectionRunsWhenDetectionEnds)
{
    Click(OK);
    EXPECT_EQ(m_dlg->m_nPage, PAGE_PROGRESS);
    EXPECT_TRUE(m_dlg->m_bStartPending);
    EXPECT_EQ(trace().find("Call StartTest()"), std::string::npos);
    m_dlg->OnDetectResult(DETECT_NO_HARDWARE, 0);
    EXPECT_FALSE(m_dlg->m_bStartPending);
    EXPECT_EQ(m_dlg->m_nPage, PAGE_PROGRESS) << "the run's own result decides the page";
    EXPECT_NE(trace().find("Call StartTest()"), std::string::npos);

}

// Stopped before detection ended: no run starts, and the detection outcome
// shows its own page and trace line, as without the click.
TEST_F(PageFlow, AStartStoppedDuringDetectionEndsOnTheDetectionPage)
{
    struct Case {
        WPARAM detect;
        int page;
        const char* trace; // written after the click, or null
    } cases[] = {
        {DETECT_FOUND, PAGE_START, nullptr},
        {DETECT_NO_HARDWARE, PAGE_STARTERR, nullptr},
        {DETECT_NO_DRIVER, PAGE_START, "MDM_INIT_NO_DRIVER:::Nevigate page "},
    };
    for (const Case& c : cases) {
        m_dlg = std::make_unique<CFlowDlg>();
        Click(OK);
        Click(Cancel);
        size_t clicked = trace().rfind("Call StopTest()");
        ASSERT_NE(clicked, std::string::npos);
        m_dlg->OnDetectResult(c.detect, 0);
        EXPECT_FALSE(m_dlg->m_bStartPending) << c.detect;
        EXPECT_EQ(m_dlg->m_nPage, c.page) << c.detect;
        std::string after = trace().substr(clicked);
        EXPECT_EQ(after.find("Call StartTest()"), std::string::npos) << c.detect;
        if (c.trace) {
            std::string path = static_cast<LPCTSTR>(m_dlg->m_strHtmPath);
            EXPECT_NE(after.find(c.trace + path + "Start.htm"), std::string::npos) << c.detect << after;
        }
        // The page works as usual: a start from it runs at once.
        if (c.page == PAGE_START) {
            Click(OK);
            EXPECT_TRUE(m_dlg->m_bTesting);
            EXPECT_FALSE(m_dlg->m_bStartPending);
        }
    }
}
