// CModemDevice: the served modem as discovery finds it among the installed
// devices, its identity strings, the setup handles that discovery keeps
// open, and the installation checks that continue from them.
#pragma once

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

class CModemDevice {
public:
    CModemDevice();
    ~CModemDevice();
    CModemDevice(const CModemDevice&) = delete;
    CModemDevice& operator=(const CModemDevice&) = delete;

    // Discovery (Search.cpp): returns m_bFound.
    int SearchModem();

    // Identity strings; never null, "" while their gate is clear.
    const char* GetAttachedTo() const;
    const char* GetFriendlyName() const;
    const char* GetDriverVersion() const;
    const char* GetCountryName() const;
    const char* GetDeviceId() const;

    // Installation checks, 1 = passed.
    int CheckDeviceStatus();
    int VerifyModemFiles();
    int VerifyModemRegistry();

    // Country of the current telephony location; run by SearchModem.
    void ReadTelephonyCountry();

    // Parts of the registry check.
    int CheckInfSection(HINF hInf, const char* pszSection);
    void LoadSkipList(HKEY hKey, int bKeys);

    // The file-queue scan callback of VerifyModemFiles; pContext is the object.
    static UINT CALLBACK ScanQueueCallback(PVOID pContext, UINT nNotification, UINT_PTR nParam1, UINT_PTR nParam2);

    // Members in declaration order. Public: the test engine reads the flags.
    OSVERSIONINFOA m_osvi;
    int m_bFound;
    int m_bHardwareFound;
    int m_bCountryFound;
    HDEVINFO m_hDevInfo;
    SP_DEVINFO_DATA m_devInfoData;
    SP_DEVINFO_LIST_DETAIL_DATA_A m_listDetail;
    SP_DEVINSTALL_PARAMS_A m_installParams;
    SP_DRVINFO_DATA_V1_A m_drvInfo;
    SP_DRVINFO_DETAIL_DATA_A m_drvDetail;
    char m_szAttachedTo[MAX_PATH];
    char m_szFriendlyName[MAX_PATH];
    HKEY m_hDriverKey;
    char m_szRegionFile[1024];
    int m_nMissingFiles;
    char m_szDriverVersion[1024];
    char m_szCountryName[1024];
    char m_szDeviceId[MAX_DEVICE_ID_LEN];
    int m_nSkipKeysBase;
    int m_nSkipValuesBase;

};
