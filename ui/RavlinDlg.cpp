// Construction, configuration and initialisation of the main dialog.
#include "RavlinDlg.h"

#include "RavlinVersion.h"
#include "Trace.h"

#include <cstdio>

namespace {
const char* const kSoftwareVersion = RAVLIN_VERSION_TEXT;
const char* const kReleaseDate = "05/15//2007";
} // namespace

BEGIN_MESSAGE_MAP(CRavlinDlg, CDHtmlDialog)
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(WM_TEST_RESULT, OnTestResult)
    ON_MESSAGE(WM_DETECT_RESULT, OnDetectResult)
END_MESSAGE_MAP()

BEGIN_DHTML_EVENT_MAP(CRavlinDlg)
    DHTML_EVENT_ONCLICK(_T("ButtonOK"), OnButtonOK)
    DHTML_EVENT_ONCLICK(_T("ButtonCancel"), OnButtonCancel)
    DHTML_EVENT_ONCLICK(_T("ButtonSpecial"), OnButtonSpecial)
END_DHTML_EVENT_MAP()

CRavlinDlg::CRavlinDlg(CWnd* pParent)
    : CDHtmlDialog(CRavlinDlg::IDD, 0, pParent), m_nPage(PAGE_START), m_hIcon(NULL), m_bTesting(FALSE),
      m_bDetectDone(FALSE), m_bStartPending(FALSE)
{
    m_strModemName = _T("Unknown");
    m_strDriverVersion = _T("Unknown");
    m_strCountry = _T("Unknown");

    TraceSetName("Ravlin_Trace");
    TraceSetLevel(20);
    TraceWrite(20, "TArn Modem Diagnostic Tool Starts");

    m_strSwVersion = kSoftwareVersion;
    m_strReleaseDate = kReleaseDate;
    TraceWrite(20, "Software Version: %s", static_cast<LPCTSTR>(m_strSwVersion));
    TraceWrite(20, "Release Date: %s", static_cast<LPCTSTR>(m_strReleaseDate));

    m_bTesting = FALSE;
    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(128) : NULL;

    // The executable's folder, with its trailing separator; the scan stops
    // before the first character, as a path never starts with its folder's
    // separator alone.
    char szPath[MAX_PATH];
    DWORD nLength = GetModuleFileNameA(NULL, szPath, MAX_PATH);
    if (nLength >= MAX_PATH)
        nLength = MAX_PATH - 1;
    szPath[nLength] = '\0';
    for (int i = static_cast<int>(nLength) - 1; i >= 1; --i) {
        if (szPath[i] == '\\' || szPath[i] == '/') {
            szPath[i + 1] = '\0';
            break;
        }
    }
    m_strHtmPath = szPath;
    m_strHtmPath += _T("htm\\");
    SetHtmPath();

    m_szHTMLResource = NULL;
    m_nHtmlResID = 0;
    m_nPage = PAGE_START;
    m_strCurrentUrl = m_strHtmPath + _T("start.htm");
}

CRavlinDlg::~CRavlinDlg()
{
    // m_TestThread's destructor ends the engine and closes the modem's line.
}

void CRavlinDlg::SetHtmPath()
{
    LANGID wLang = GetSystemDefaultLangID();
    WORD wPrimary = PRIMARYLANGID(wLang);
    WORD wSub = SUBLANGID(wLang);
    if (wSub != SUBLANG_DEFAULT && wLang != 0x0804)
        wLang = static_cast<LANGID>(wPrimary | 0x0400);
    TraceWrite(20, "Language code = %04x", wLang);

    char szFolder[16];
    std::snprintf(szFolder, sizeof(szFolder), "Lang%04x", wLang);
    CString strCandidate = m_strHtmPath + szFolder;
    WIN32_FIND_DATAA findData;
    HANDLE hFind = FindFirstFileA(strCandidate, &findData);
    if (hFind != INVALID_HANDLE_VALUE) {
        FindClose(hFind);
        m_strHtmPath = strCandidate + _T("\\");
    } else {
        m_strHtmPath += _T("Lang0409\\");
    }
    TraceSetLevel(20);
    TraceWrite(20, "Set htm path to %s", static_cast<LPCTSTR>(m_strHtmPath));
}

void CRavlinDlg::DoDataExchange(CDataExchange* pDX)
{
    CDHtmlDialog::DoDataExchange(pDX);
    DDX_DHtml_ElementInnerText(pDX, _T("mdmName"), m_strModemName);
    DDX_DHtml_ElementInnerText(pDX, _T("mdmVersion"), m_strDriverVersion);
    DDX_DHtml_ElementInnerText(pDX, _T("mdmCountry"), m_strCountry);
    DDX_DHtml_ElementInnerText(pDX, _T("swVersion"), m_strSwVersion);
    DDX_DHtml_ElementInnerText(pDX, _T("swReleaseDate"), m_strReleaseDate);
}

void CRavlinDlg::OnPageHostNote(LPCTSTR szNote)
{
    TraceWrite(20, "%s", szNote);
}

BOOL CRavlinDlg::OnInitDialog()
{
    CDHtmlDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetHostFlags(DOCHOSTUIFLAG_FLAT_SCROLLBAR);
    ShowWindow(SW_MAXIMIZE);

    m_TestThread.SetWnd(this, NULL);
    m_TestThread.ResumeTest();

    NavigatePage(m_nPage);
    return TRUE;
}
