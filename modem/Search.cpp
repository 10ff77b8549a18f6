// SearchModem: finds the served modem among the installed devices and
// accepts the first listed device whose installed driver is found again
// among the class drivers of its INF.
#include "ModemDevice.h"

#include "Trace.h"

#include <mbstring.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> HardwareIdList;

// Reads a value that must be a REG_SZ into a buffer of nSize bytes; 1 when it is.
int QueryString(HKEY hKey, const char* pszName, char* pszBuffer, DWORD nSize)
{
    DWORD dwType = 0;
    DWORD dwSize = nSize;
    pszBuffer[0] = '\0';
    if (RegQueryValueExA(hKey, pszName, NULL, &dwType, (LPBYTE)pszBuffer, &dwSize) != ERROR_SUCCESS) {
        pszBuffer[0] = '\0';
        return 0;
    }
    // Registry strings need not carry their terminator.
    pszBuffer[dwSize < nSize ? dwSize : nSize - 1] = '\0';
    return dwType == REG_SZ;
}

// The hardware-ID fragments that the tool's own INF lists.
void ReadHardwareIds(HardwareIdList& list)
{
    char szInfPath[MAX_PATH + 16];
    DWORD nLength = GetModuleFileNameA(NULL, szInfPath, MAX_PATH);
    if (nLength >= MAX_PATH)
        nLength = MAX_PATH - 1;
    szInfPath[nLength] = '\0';
    char* pszSlash = strrchr(szInfPath, '\\');
    char* pszOther = strrchr(szInfPath, '/');
    if (pszOther > pszSlash)
        pszSlash = pszOther;
    if (pszSlash)
        pszSlash[1] = '\0';
    else
        szInfPath[0] = '\0';
    strcat(szInfPath, "htm\\modem.inf");
    TraceWrite(20, "Inf file name = %s", szInfPath);

    HINF hInf = SetupOpenInfFileA(szInfPath, NULL, INF_STYLE_OLDNT, NULL);
    if (hInf == INVALID_HANDLE_VALUE)
        return;
    INFCONTEXT context;
    BOOL bLine = SetupFindFirstLineA(hInf, "Modems", "Modem", &context);
    while (bLine) {
        char szId[MAX_DEVICE_ID_LEN];
        if (SetupGetStringFieldA(&context, 1, szId, sizeof(szId), NULL)) {
            list.push_back(szId);
            TraceWrite(20, "PnP = %s", szId);
        }
        bLine = SetupFindNextMatchLineA(&context, "Modem", &context);
    }
    SetupCloseInfFile(hInf);
}

int MatchesHardwareList(const char* pszDeviceId, const HardwareIdList& list)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (_mbsstr((const unsigned char*)pszDeviceId, (const unsigned char*)list[i].c_str()) != NULL)
            return 1;
    }
    return 0;
}

int SameText(const char* pszA, const char* pszB)
{
    return _mbscmp((const unsigned char*)pszA, (const unsigned char*)pszB) == 0;
}

// The driver-key values that identify the installed driver.
struct DriverKeyFacts {
    char szProviderName[256];
    char szInfSection[256];
    char szDriverDesc[256];
    char szMfg[256];
};

// On Windows NT 4 the driver key holds a bare INF name; the file lies in
// the INF folder or its OTHER subfolder.
void ResolveNt4InfPath(char* pszDriverPath)
{
    char szWindows[MAX_PATH];
    UINT nLength = GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return;
    const char* pszSeparator = (szWindows[nLength - 1] == '\\' || szWindows[nLength - 1] == '/') ? "" : "\\";
    const char* aszFolders[] = {"INF\\OTHER\\", "INF\\"};
    for (int i = 0; i < 2; ++i) {
        char szCandidate[MAX_PATH];
        int n = snprintf(szCandidate, sizeof(szCandidate), "%s%s%s%s", szWindows, pszSeparator, aszFolders[i],
                         pszDriverPath);
        if (n < 0 || n >= (int)sizeof(szCandidate))
            continue;
        if (GetFileAttributesA(szCandidate) != INVALID_FILE_ATTRIBUTES) {
            strcpy(pszDriverPath, szCandidate);
            return;
        }
    }
}

// Step 14: reads the driver key and the install parameters; 0 abandons the device.
int ReadDriverKey(CModemDevice& modem, DriverKeyFacts& facts)
{
    if (!QueryString(modem.m_hDriverKey, "AttachedTo", modem.m_szAttachedTo, sizeof(modem.m_szAttachedTo)))
        return 0;
    TraceWrite(20, "Software Key = %d", (int)(INT_PTR)modem.m_hDriverKey);
    QueryString(modem.m_hDriverKey, "FriendlyName", modem.m_szFriendlyName, sizeof(modem.m_szFriendlyName));
    TraceWrite(20, "Friendly Name = %s", modem.m_szFriendlyName);
    if (!QueryString(modem.m_hDriverKey, "DriverVersion", modem.m_szDriverVersion, sizeof(modem.m_szDriverVersion)))
        return 0;
    TraceWrite(20, "Driver Version = %s", modem.m_szDriverVersion);

    memset(&modem.m_installParams, 0, sizeof(modem.m_installParams));
    modem.m_installParams.cbSize = sizeof(modem.m_installParams);
    if (!SetupDiGetDeviceInstallParamsA(modem.m_hDevInfo, &modem.m_devInfoData, &modem.m_installParams))
        return 0;
    memset(&modem.m_drvInfo, 0, sizeof(modem.m_drvInfo));
    modem.m_drvInfo.cbSize = sizeof(SP_DRVINFO_DATA_V1_A);

    if (!QueryString(modem.m_hDriverKey, "InfPath", modem.m_installParams.DriverPath,
                     sizeof(modem.m_installParams.DriverPath)))
        return 0;
    if (modem.m_osvi.dwMajorVersion == 4)
        ResolveNt4InfPath(modem.m_installParams.DriverPath);

    if (!QueryString(modem.m_hDriverKey, "ProviderName", facts.szProviderName, sizeof(facts.szProviderName)) ||
        !QueryString(modem.m_hDriverKey, "InfSection", facts.szInfSection, sizeof(facts.szInfSection)) ||
        !QueryString(modem.m_hDriverKey, "DriverDesc", facts.szDriverDesc, sizeof(facts.szDriverDesc)))
        return 0;
    if (!SetupDiGetDeviceRegistryPropertyA(modem.m_hDevInfo, &modem.m_devInfoData, SPDRP_MFG, NULL,
                                           (PBYTE)facts.szMfg, sizeof(facts.szMfg), NULL))
        return 0;
    facts.szMfg[sizeof(facts.szMfg) - 1] = '\0';
    return 1;
}

// Steps 15 to 17: builds the class-driver list of the device's INF and
// looks for the installed driver in it. 1 when found; the list then stays.
int MatchDriver(CModemDevice& modem, const DriverKeyFacts& facts)
{
    modem.m_installParams.Flags |= DI_ENUMSINGLEINF;
    modem.m_installParams.FlagsEx |= DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
    if (!SetupDiSetDeviceInstallParamsA(modem.m_hDevInfo, &modem.m_devInfoData, &modem.m_installParams))
        return 0;
    if (!SetupDiBuildDriverInfoList(modem.m_hDevInfo, &modem.m_devInfoData, SPDIT_CLASSDRIVER))
        return 0;

    for (DWORD nDriver = 0; SetupDiEnumDriverInfoA(modem.m_hDevInfo, &modem.m_devInfoData, SPDIT_CLASSDRIVER,
                                                   nDriver, (PSP_DRVINFO_DATA_A)&modem.m_drvInfo);
         ++nDriver) {
        TraceWrite(20, "Manufactory Name = %s", modem.m_drvInfo.MfgName);
        TraceWrite(20, "Provider Name= %s", modem.m_drvInfo.ProviderName);
        if (!SameText(modem.m_drvInfo.MfgName, facts.szMfg) || !SameText(modem.m_drvInfo.ProviderName, facts.szProviderName))
            continue;
        // Only the fixed part is wanted: a too-small buffer for the ID list is fine.
        modem.m_drvDetail.cbSize = sizeof(SP_DRVINFO_DETAIL_DATA_A);
        if (!SetupDiGetDriverInfoDetailA(modem.m_hDevInfo, &modem.m_devInfoData, (PSP_DRVINFO_DATA_A)&modem.m_drvInfo,
                                         &modem.m_drvDetail, sizeof(SP_DRVINFO_DETAIL_DATA_A), NULL) &&
            GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            continue;
        if (SameText(modem.m_drvDetail.SectionName, facts.szInfSection) &&
            SameText(modem.m_drvDetail.DrvDescription, facts.szDriverDesc)) {
            TraceWrite(20, "Section Name = %s", facts.szInfSection);
            TraceWrite(20, "Driver Description = %s", facts.szDriverDesc);
            TraceWrite(20, "Modem is found with driver installed.");
            return 1;
        }
    }
    SetupDiDestroyDriverInfoList(modem.m_hDevInfo, &modem.m_devInfoData, SPDIT_CLASSDRIVER);
    return 0;
}

// Steps 9 to 18 for the device in m_devInfoData.
void ExamineDevice(CModemDevice& modem, const HardwareIdList& list)
{
    if (CM_Get_Device_IDA(modem.m_devInfoData.DevInst, modem.m_szDeviceId, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS)
        return;
    TraceWrite(20, "Device ID = %s", modem.m_szDeviceId);
    if (!MatchesHardwareList(modem.m_szDeviceId, list))
        return;

    ULONG nStatus = 0;
    ULONG nProblem = 0;
    CONFIGRET cr = CM_Get_DevNode_Status(&nStatus, &nProblem, modem.m_devInfoData.DevInst, 0);
    TraceWrite(20, "CM_Get_DevNode_Status = %d", (int)cr);
    if (cr != CR_SUCCESS) {
        TraceWrite(20, "The problem number is = %d", (int)nProblem);
        return;
    }
    modem.m_bHardwareFound = 1;
    TraceWrite(20, "Found Tarn modem hardware");

    modem.m_hDriverKey = SetupDiOpenDevRegKey(modem.m_hDevInfo, &modem.m_devInfoData, DICS_FLAG_GLOBAL, 0,
                                              DIREG_DRV, KEY_READ);
    TraceWrite(20, "SetupDiOpenDevRegKey = %d", (int)(INT_PTR)modem.m_hDriverKey);
    if (modem.m_hDriverKey == (HKEY)INVALID_HANDLE_VALUE) {
        modem.m_hDriverKey = NULL;
        return;
    }

    DriverKeyFacts facts;
    if (ReadDriverKey(modem, facts) && MatchDriver(modem, facts)) {
        modem.m_bFound = 1;
        return;
    }
    RegCloseKey(modem.m_hDriverKey);
    modem.m_hDriverKey = NULL;
}

} // namespace

int CModemDevice::SearchModem()
{
    if (!m_bFound) {
        TraceWrite(20, "Searching for Tarn Modem ... ");
        HardwareIdList list;
        ReadHardwareIds(list);

        m_szRegionFile[0] = '\0';
        memset(&m_osvi, 0, sizeof(m_osvi));
        m_osvi.dwOSVersionInfoSize = sizeof(m_osvi);
        if (GetVersionExA(&m_osvi)) {
            m_hDevInfo = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_ALLCLASSES);
            if (m_hDevInfo != INVALID_HANDLE_VALUE) {
                m_listDetail.cbSize = sizeof(m_listDetail);
                if (SetupDiGetDeviceInfoListDetailA(m_hDevInfo, &m_listDetail)) {
                    m_devInfoData.cbSize = sizeof(m_devInfoData);
                    for (DWORD nIndex = 0; !m_bFound && SetupDiEnumDeviceInfo(m_hDevInfo, nIndex, &m_devInfoData);
                         ++nIndex)
                        ExamineDevice(*this, list);
                }
                if (!m_bFound) {
                    SetupDiDestroyDeviceInfoList(m_hDevInfo);
                    m_hDevInfo = INVALID_HANDLE_VALUE;
                }
            }
        }
    }
    if (m_bFound)
        ReadTelephonyCountry();
    return m_bFound;
}
