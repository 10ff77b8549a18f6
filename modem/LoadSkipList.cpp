// LoadSkipList: adds the names of a key's values to one of the skip lists.
// The driver publishes them under its driver key: "IniDelKeys\" names keys
// and "IniDelValues\" names values that the registry check passes over.
#include "ModemDevice.h"
#include "SkipLists.h"

#include "Trace.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Longest value name the registry allows, without its terminator.
const DWORD kMaxValueName = 16383;

} // namespace

void CModemDevice::LoadSkipList(HKEY hKey, int bKeys)
{
    DWORD dwValues = 0;
    if (RegQueryInfoKeyA(hKey, NULL, NULL, NULL, NULL, NULL, NULL, &dwValues, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS ||
        dwValues == 0)
        return;
    TraceWrite(20, " Number of skipped keys in the ini file: %d", (int)dwValues);

    CSkipList& list = bKeys ? SkippedKeys : SkippedValues;
    char szName[kMaxValueName + 1];
    for (DWORD i = 0; i < dwValues; ++i) {
        // The length goes in as the buffer's size for every value.
        DWORD cchName = kMaxValueName + 1;
        if (RegEnumValueA(hKey, i, szName, &cchName, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            continue;
        char* pszCopy = (char*)malloc(cchName + 1);
        if (pszCopy == NULL)
            continue;
        memcpy(pszCopy, szName, cchName);
        pszCopy[cchName] = '\0';
        if (list.IsFull()) {
            free(pszCopy);
            continue;
        }
        TraceWrite(20, bKeys ? "Skipped key: %s " : "Skipped value: %s ", pszCopy);
        list.Append(pszCopy);
    }
}
