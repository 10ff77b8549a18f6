#include "StartProgram.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

static const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Ravlin.exe";
static const char kProgramName[] = "\\Ravlin.exe";

void StartDiagnosticProgram()
{
    char szCommand[MAX_PATH + 16];
    szCommand[0] = '\0';

    HKEY hKey = NULL;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey, &hKey) == ERROR_SUCCESS) {
        BYTE abPath[255];
        DWORD cbPath = sizeof(abPath);
        if (RegQueryValueExA(hKey, "Path", NULL, NULL, abPath, &cbPath) == ERROR_SUCCESS && cbPath > 0) {
            // The folder up to its first NUL. It is quoted, so that a folder
            // with blanks ("C:\Program Files\...") cannot start a program
            // named after its first word.
            const void* pNul = std::memchr(abPath, 0, cbPath);
            size_t cchFolder = pNul ? static_cast<size_t>(static_cast<const BYTE*>(pNul) - abPath) : cbPath;
            std::snprintf(szCommand, sizeof(szCommand), "\"%.*s%s\"", static_cast<int>(cchFolder),
                          reinterpret_cast<const char*>(abPath), kProgramName);
        }
        RegCloseKey(hKey);
    }

    if (szCommand[0] != '\0')
        WinExec(szCommand, SW_SHOW);
}
