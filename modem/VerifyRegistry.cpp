// VerifyModemRegistry: checks that the registry still holds what the
// modem's installed driver INF writes there, section by section of its
// install section's AddReg directives, then its "Region" section when the
// driver carries a country file.
#include "ModemDevice.h"
#include "SkipLists.h"

#include "Trace.h"

#include <stdio.h>

namespace {

// Puts both skip lists back to the length they had when the modem object
// was constructed, so that the names a driver publishes count for one
// verification only, whichever way it ends.
class CSkipListRestore {
public:
    CSkipListRestore(int nKeysBase, int nValuesBase) : m_nKeysBase(nKeysBase), m_nValuesBase(nValuesBase) {}
    ~CSkipListRestore()
    {
        SkippedKeys.TruncateTo(m_nKeysBase);
        SkippedValues.TruncateTo(m_nValuesBase);
    }
    CSkipListRestore(const CSkipListRestore&) = delete;
    CSkipListRestore& operator=(const CSkipListRestore&) = delete;

private:
    int m_nKeysBase;
    int m_nValuesBase;
};

// Closes the INF when the walk over it ends.
class CInfCloser {
public:
    explicit CInfCloser(HINF hInf) : m_hInf(hInf) {}
    ~CInfCloser() { SetupCloseInfFile(m_hInf); }
    CInfCloser(const CInfCloser&) = delete;
    CInfCloser& operator=(const CInfCloser&) = delete;

private:
    HINF m_hInf;
};

// The skip lists that the driver publishes under its driver key.
void LoadDriverSkipList(CModemDevice& modem, const char* pszSubkey, int bKeys)
{
    HKEY hList = NULL;
    if (RegOpenKeyExA(modem.m_hDriverKey, pszSubkey, 0, KEY_READ, &hList) != ERROR_SUCCESS)
        return;
    modem.LoadSkipList(hList, bKeys);
    RegCloseKey(hList);
}

// Every section named by an "AddReg" line of the install section, in order;
// the first section that fails ends the walk.
int CheckAddRegSections(CModemDevice& modem, HINF hInf, const char* pszInstallSection)
{
    INFCONTEXT line;
    if (!SetupFindFirstLineA(hInf, pszInstallSection, "AddReg", &line))
        return 1;
    do {
        char szSection[1024];
        for (DWORD nField = 1; SetupGetStringFieldA(&line, nField, szSection, sizeof(szSection), NULL); ++nField) {
            if (!modem.CheckInfSection(hInf, szSection))
                return 0;
        }
    } while (SetupFindNextMatchLineA(&line, "AddReg", &line));
    return 1;
}

// Steps up to the comparison's result; the caller restores the skip lists.
int CompareWithDriverInf(CModemDevice& modem)
{
    LoadDriverSkipList(modem, "IniDelKeys\\", 1);
    LoadDriverSkipList(modem, "IniDelValues\\", 0);
    TraceWrite(20, "Verify Modem Registry ... ");

    // Windows NT family systems install the ".NT" decoration of the section.
    char szInstallSection[MAX_PATH];
    snprintf(szInstallSection, sizeof(szInstallSection), "%.*s%s", (int)sizeof(modem.m_drvDetail.SectionName),
             modem.m_drvDetail.SectionName, modem.m_osvi.dwMajorVersion >= 5 ? ".NT" : "");

    int nResult;
    {
        HINF hInf = SetupOpenInfFileA(modem.m_drvDetail.InfFileName, NULL, INF_STYLE_WIN4, NULL);
        if (hInf == INVALID_HANDLE_VALUE)
            return 0;
        CInfCloser closeInf(hInf);
        nResult = CheckAddRegSections(modem, hInf, szInstallSection);
    }

    // The country settings are checked only when the driver installs a
    // country file (VerifyModemFiles records it).
    if (nResult == 1 && modem.m_szRegionFile[0] != '\0') {
        HINF hInf = SetupOpenInfFileA(modem.m_drvDetail.InfFileName, NULL, INF_STYLE_OLDNT, NULL);
        if (hInf != INVALID_HANDLE_VALUE) {
            CInfCloser closeInf(hInf);
            nResult = modem.CheckInfSection(hInf, "Region");
        }
    }
    return nResult;
}

} // namespace

int CModemDevice::VerifyModemRegistry()
{
    int nResult = 0;
    {
        CSkipListRestore restore(m_nSkipKeysBase, m_nSkipValuesBase);
        if (m_bFound)
            nResult = CompareWithDriverInf(*this);
    }
    TraceWrite(20, nResult == 1 ? "Verify Modem Registry passed " : "Verify Modem Registry failed ");
    return nResult;
}
