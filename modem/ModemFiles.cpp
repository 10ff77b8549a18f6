// VerifyModemFiles: lets the class installer list the matched driver's
// files without copying anything and checks that each is on disk.
#include "ModemDevice.h"

#include "Trace.h"

#include <ctype.h>
#include <string.h>

UINT CALLBACK CModemDevice::ScanQueueCallback(PVOID pContext, UINT, UINT_PTR nParam1, UINT_PTR)
{
    CModemDevice* pModem = (CModemDevice*)pContext;
    const char* pszPath = (const char*)nParam1;
    size_t nLength = strlen(pszPath);
    // A country file (".CTY", any case) decides the Region check later.
    if (nLength > 4) {
        const char* pszTail = pszPath + nLength - 4;
        if (pszTail[0] == '.' && toupper((unsigned char)pszTail[1]) == 'C' &&
            toupper((unsigned char)pszTail[2]) == 'T' && toupper((unsigned char)pszTail[3]) == 'Y') {
            strncpy(pModem->m_szRegionFile, pszPath, sizeof(pModem->m_szRegionFile) - 1);
            pModem->m_szRegionFile[sizeof(pModem->m_szRegionFile) - 1] = '\0';
        }
    }
    if (GetFileAttributesA(pszPath) == INVALID_FILE_ATTRIBUTES)
        pModem->m_nMissingFiles++;
    return NO_ERROR;
}

int CModemDevice::VerifyModemFiles()
{
    if (!m_bFound)
        return 0;
    TraceWrite(20, "Verify Modem Files");
    if (m_drvDetail.InfFileName[0] == '\0' && m_drvDetail.SectionName[0] == '\0')
        return 0;
    if (!SetupDiSetSelectedDriverA(m_hDevInfo, &m_devInfoData, (PSP_DRVINFO_DATA_A)&m_drvInfo))
        return 0;
    HSPFILEQ hQueue = SetupOpenFileQueue();
    if (hQueue == INVALID_HANDLE_VALUE)
        return 0;

    SP_DEVINSTALL_PARAMS_A params;
    memset(&params, 0, sizeof(params));
    params.cbSize = sizeof(params);
    if (!SetupDiGetDeviceInstallParamsA(m_hDevInfo, &m_devInfoData, &params)) {
        SetupCloseFileQueue(hQueue);
        return 0;
    }
    params.Flags |= DI_NOVCP;
    params.FileQueue = hQueue;
    if (!SetupDiSetDeviceInstallParamsA(m_hDevInfo, &m_devInfoData, &params) ||
        !SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, m_hDevInfo, &m_devInfoData)) {
        SetupCloseFileQueue(hQueue);
        return 0;
    }

    m_nMissingFiles = 0;
    DWORD dwResult = 0;
    SetupScanFileQueueA(hQueue, SPQ_SCAN_USE_CALLBACK, NULL, ScanQueueCallback, this, &dwResult);
    SetupCloseFileQueue(hQueue);
    if (m_nMissingFiles != 0)
        return 0;
    TraceWrite(20, "Verify Modem Files Passed");
    return 1;
}
