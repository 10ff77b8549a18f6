// CheckInfSection: compares one AddReg section of the driver's INF with the
// registry, line by line, and stops at the first line that differs.
#include "AddRegTypes.h"
#include "ModemDevice.h"
#include "RegDataText.h"
#include "SkipLists.h"

#include "Trace.h"

#include <mbstring.h>
#include <string.h>

namespace {

// Every string of a line and every registry datum is read into this much.
const DWORD kFieldSize = 1024;

// Where the system's modem service keeps each modem's response table; the
// modem's "ResponsesKeyName" and "\Responses" follow.
const char kDeviceSpecific[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Unimodem\\DeviceSpecific\\";

// Closes an opened registry key when the line's check ends.
class CKeyCloser {
public:
    explicit CKeyCloser(HKEY hKey) : m_hKey(hKey) {}
    ~CKeyCloser() { RegCloseKey(m_hKey); }
    CKeyCloser(const CKeyCloser&) = delete;
    CKeyCloser& operator=(const CKeyCloser&) = delete;

private:
    HKEY m_hKey;
};

int IsDriverKeyOpen(HKEY hDriverKey)
{
    return hDriverKey != NULL && hDriverKey != (HKEY)INVALID_HANDLE_VALUE;
}

// The root a line's field 1 names, written exactly as the table has it;
// null for anything else, and for "HKR" while no driver key is open.
HKEY RootKeyOf(const char* pszRoot, HKEY hDriverKey)
{
    if (strcmp(pszRoot, "HKCR") == 0)
        return HKEY_CLASSES_ROOT;
    if (strcmp(pszRoot, "HKCU") == 0)
        return HKEY_CURRENT_USER;
    if (strcmp(pszRoot, "HKLM") == 0)
        return HKEY_LOCAL_MACHINE;
    if (strcmp(pszRoot, "HKU") == 0)
        return HKEY_USERS;
    if (strcmp(pszRoot, "HKR") == 0 && IsDriverKeyOpen(hDriverKey))
        return hDriverKey;
    return NULL;
}

// A subkey is skipped when a name of SkippedKeys is one of its path
// elements. Only each name's first occurrence is looked at; it counts when
// it starts the subkey or follows a '\' character and ends the subkey or
// precedes a '\', so "StartPlay" skips "Voice\StartPlay" but not "StartPlayback". An
// empty name is no path element and skips nothing.
int IsSkippedKey(const char* pszSubkey)
{
    const unsigned char* pszPath = (const unsigned char*)pszSubkey;
    for (int i = 0; i < SkippedKeys.m_nLength; ++i) {
        const char* pszName = SkippedKeys.m_pszEntries[i];
        if (pszName == NULL || pszName[0] == '\0')
            continue;
        const unsigned char* pszAt = _mbsstr(pszPath, (const unsigned char*)pszName);
        if (pszAt == NULL)
            continue;
        unsigned char chAfter = pszAt[strlen(pszName)];
        if (chAfter != '\0' && chAfter != '\\')
            continue;
        // The character before the match, not the byte: on a double-byte
        // code page a '\' byte may be the trail byte of a character.
        const unsigned char* pszBefore = pszAt == pszPath ? NULL : _mbsdec(pszPath, pszAt);
        if (pszBefore == NULL || (pszBefore + 1 == pszAt && *pszBefore == '\\'))
            return 1;
    }
    return 0;
}

// Turns a "Responses" line towards the modem's response table under the
// modem service's key. Returns 0, with a trace line, when the driver key
// names no table or the path would not fit the subkey buffer; root and
// subkey then stay as the line has them.
int RedirectResponses(HKEY hDriverKey, HKEY* phRoot, char* pszSubkey)
{
    // One byte more than is read, so that a name stored without its
    // terminating zero still ends inside the buffer.
    char szName[kFieldSize + 1];
    DWORD cbName = kFieldSize;
    DWORD dwType = REG_NONE;
    if (!IsDriverKeyOpen(hDriverKey) ||
        RegQueryValueExA(hDriverKey, "ResponsesKeyName", NULL, &dwType, (LPBYTE)szName, &cbName) != ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_EXPAND_SZ)) {
        TraceWrite(20, "Error: Can not get location of UNIMODEM folder");
        return 0;
    }
    szName[cbName] = '\0';
    size_t nName = strlen(szName);
    int bSeparator = nName == 0 || (szName[nName - 1] != '\\' && szName[nName - 1] != '/');
    size_t nPath = sizeof(kDeviceSpecific) - 1 + nName + (bSeparator ? 1 : 0) + strlen("Responses");
    if (nPath + 1 > kFieldSize) {
        TraceWrite(20, "Error: ResponsesKeyName of %d characters is too long for the UNIMODEM folder path", (int)nName);
        return 0;
    }
    strcpy(pszSubkey, kDeviceSpecific);
    strcat(pszSubkey, szName);
    if (bSeparator)
        strcat(pszSubkey, "\\");
    strcat(pszSubkey, "Responses");
    *phRoot = HKEY_LOCAL_MACHINE;
    return 1;
}

// Compares one AddReg line (root, subkey, value name, flags, data) with the
// registry. Returns 0 when the line fails the section, 1 when it matches or
// is passed over.
int CheckAddRegLine(const CModemDevice& modem, PINFCONTEXT pLine)
{
    char szRoot[kFieldSize];
    if (!SetupGetStringFieldA(pLine, 1, szRoot, sizeof(szRoot), NULL))
        return 1;
    HKEY hRoot = RootKeyOf(szRoot, modem.m_hDriverKey);
    if (hRoot == NULL)
        return 1;
    char szSubkey[kFieldSize];
    if (!SetupGetStringFieldA(pLine, 2, szSubkey, sizeof(szSubkey), NULL))
        return 1;
    if (IsSkippedKey(szSubkey))
        return 1;

    int bPassed = 1;
    if (modem.m_osvi.dwMajorVersion >= 5 && strcmp(szSubkey, "Responses") == 0)
        bPassed = RedirectResponses(modem.m_hDriverKey, &hRoot, szSubkey);

    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, szSubkey, 0, KEY_READ, &hKey) != ERROR_SUCCESS) {
        TraceWrite(20, " ERROR: Missing registry key %s", szSubkey);
        return 0;
    }
    CKeyCloser closeKey(hKey);

    // A line without value name or flags asks only for the key.
    char szValue[kFieldSize];
    INT nFlags = 0;
    if (!SetupGetStringFieldA(pLine, 3, szValue, sizeof(szValue), NULL) || !SetupGetIntField(pLine, 4, &nFlags))
        return bPassed;
    if (SkippedValues.Contains(szValue))
        return bPassed;

    // The length goes in as the buffer's size on every line: the call
    // replaces it with the data's length.
    BYTE regData[kFieldSize];
    DWORD cbReg = sizeof(regData);
    DWORD dwRegType = REG_NONE;
    if (RegQueryValueExA(hKey, szValue, NULL, &dwRegType, regData, &cbReg) != ERROR_SUCCESS) {
        TraceWrite(20, "ERROR: Missing registry value %s", szValue);
        return 0;
    }

    const CAddRegType* pType = FindAddRegType((DWORD)nFlags);
    if (pType == NULL)
        return bPassed;
    if (dwRegType != pType->m_dwRegType) {
        TraceWrite(20, "%s", pType->m_pszMismatch);
        return 0;
    }
    BYTE infData[kFieldSize];
    DWORD cbInf = ReadAddRegData(pLine, *pType, infData, sizeof(infData));
    if (!bPassed || cbInf == 0)
        return bPassed;

    if (cbInf != cbReg) {
        TraceWrite(20, " ERROR: (Name = %s)Different length: infDataLength = %d and  regDataLength = %d ", szValue,
                   (int)cbInf, (int)cbReg);
        return 0;
    }
    if (memcmp(infData, regData, cbInf) != 0) {
        // Neither datum need end in a zero: both are written by length.
        char szInfText[REG_DATA_TEXT_LEN];
        char szRegText[REG_DATA_TEXT_LEN];
        FormatRegData(dwRegType, infData, cbInf, szInfText, sizeof(szInfText));
        FormatRegData(dwRegType, regData, cbReg, szRegText, sizeof(szRegText));
        TraceWrite(20, " ERROR: Value %s. Different data! Compare infData =%s and regData = %s", szValue, szInfText,
                   szRegText);
        return 0;
    }
    return 1;
}

} // namespace

int CModemDevice::CheckInfSection(HINF hInf, const char* pszSection)
{
    TraceWrite(20, "Check Inf Section %s ...", pszSection);
    INFCONTEXT line;
    if (!SetupFindFirstLineA(hInf, pszSection, NULL, &line)) {
        TraceWrite(20, "~~ Passed ~~");
        return 1;
    }
    do {
        if (!CheckAddRegLine(*this, &line)) {
            TraceWrite(20, "~~ Failed ~~");
            return 0;
        }
    } while (SetupFindNextLine(&line, &line));
    TraceWrite(20, "~~ Passed ~~");
    return 1;
}
