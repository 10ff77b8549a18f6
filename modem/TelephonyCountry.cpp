// ReadTelephonyCountry: the country of the current telephony dialing
// location, for the start page.
#include "ModemDevice.h"

#include "Trace.h"

#include <stdio.h>

namespace {

int ReadDword(HKEY hKey, const char* pszName, DWORD* pdwValue)
{
    DWORD dwSize = sizeof(DWORD);
    return RegQueryValueExA(hKey, pszName, NULL, NULL, (LPBYTE)pdwValue, &dwSize) == ERROR_SUCCESS;
}

} // namespace

void CModemDevice::ReadTelephonyCountry()
{
    HKEY hTelephony = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Telephony\\", 0, KEY_READ,
                      &hTelephony) != ERROR_SUCCESS)
        return;

    HKEY hLocations = NULL;
    DWORD dwCurrentId = 0;
    if (RegOpenKeyExA(hTelephony, "Locations", 0, KEY_READ, &hLocations) == ERROR_SUCCESS) {
        if (ReadDword(hLocations, "CurrentID", &dwCurrentId)) {
            char szLocation[64];
            snprintf(szLocation, sizeof(szLocation), "Location%d", (int)dwCurrentId);
            HKEY hLocation = NULL;
            if (RegOpenKeyExA(hLocations, szLocation, 0, KEY_READ, &hLocation) == ERROR_SUCCESS) {
                DWORD dwCountry = 0;
                if (ReadDword(hLocation, "Country", &dwCountry)) {
                    char szCountry[64];
                    snprintf(szCountry, sizeof(szCountry), "Country List\\%d", (int)dwCountry);
                    HKEY hCountry = NULL;
                    if (RegOpenKeyExA(hTelephony, szCountry, 0, KEY_READ, &hCountry) == ERROR_SUCCESS) {
                        // A missing name leaves the country empty but found.
                        DWORD dwType = 0;
                        DWORD dwSize = sizeof(m_szCountryName);
                        if (RegQueryValueExA(hCountry, "Name", NULL, &dwType, (LPBYTE)m_szCountryName, &dwSize) !=
                            ERROR_SUCCESS)
                            m_szCountryName[0] = '\0';
                        else
                            m_szCountryName[dwSize < sizeof(m_szCountryName) ? dwSize : sizeof(m_szCountryName) - 1] =
                                '\0';
                        TraceWrite(20, "Current Country= %s", m_szCountryName);
                        m_bCountryFound = 1;
                        RegCloseKey(hCountry);
                    }
                }
                RegCloseKey(hLocation);
            }
        }
        RegCloseKey(hLocations);
    }
    RegCloseKey(hTelephony);
}
