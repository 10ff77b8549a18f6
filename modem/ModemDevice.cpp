#include "ModemDevice.h"

#include "SkipLists.h"

#include <string.h>

CModemDevice::CModemDevice()
{
    memset(&m_osvi, 0, sizeof(m_osvi));
    m_bFound = 0;
    m_bHardwareFound = 0;
    m_bCountryFound = 0;
    m_hDevInfo = INVALID_HANDLE_VALUE;
    memset(&m_devInfoData, 0, sizeof(m_devInfoData));
    memset(&m_listDetail, 0, sizeof(m_listDetail));
    memset(&m_installParams, 0, sizeof(m_installParams));
    memset(&m_drvInfo, 0, sizeof(m_drvInfo));
    memset(&m_drvDetail, 0, sizeof(m_drvDetail));
    m_szAttachedTo[0] = '\0';
    m_szFriendlyName[0] = '\0';
    m_hDriverKey = NULL;
    m_szRegionFile[0] = '\0';
    m_nMissingFiles = 0;
    m_szDriverVersion[0] = '\0';
    m_szCountryName[0] = '\0';
    m_szDeviceId[0] = '\0';
    // The skip lists' built-in part; VerifyModemRegistry restores them to it.
    m_nSkipKeysBase = SkippedKeys.CountEntries();
    m_nSkipValuesBase = SkippedValues.CountEntries();
}

// Discovery keeps its handles for the object's whole life; they go with it.
CModemDevice::~CModemDevice()
{
    if (m_hDriverKey != NULL)
        RegCloseKey(m_hDriverKey);
    if (m_bFound && m_hDevInfo != INVALID_HANDLE_VALUE) {
        SetupDiDestroyDriverInfoList(m_hDevInfo, &m_devInfoData, SPDIT_CLASSDRIVER);
        SetupDiDestroyDeviceInfoList(m_hDevInfo);
    }
}

const char* CModemDevice::GetAttachedTo() const
{
    return m_bFound ? m_szAttachedTo : "";
}

const char* CModemDevice::GetFriendlyName() const
{
    return m_bFound ? m_szFriendlyName : "";
}

const char* CModemDevice::GetDriverVersion() const
{
    return m_bFound ? m_szDriverVersion : "";
}

const char* CModemDevice::GetCountryName() const
{
    return m_bCountryFound ? m_szCountryName : "";
}

const char* CModemDevice::GetDeviceId() const
{
    return m_bCountryFound ? m_szDeviceId : "";
}
