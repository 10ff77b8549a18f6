#include "SystemInfo.h"

#include "Text.h"

#include <cstring>

namespace capture {

namespace {

// GetVersionExA reports the version a program is manifested for; the
// kernel's own RtlGetVersion reports the real one. Both fill the same
// layout's leading fields.
typedef LONG(WINAPI* RtlGetVersionProc)(OSVERSIONINFOA*);

void readVersion(SystemInfo& info, std::vector<std::string>& notes)
{
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version))
        notes.push_back("GetVersionExA failed: the OS version is not captured");
    info.major = version.dwMajorVersion;
    info.minor = version.dwMinorVersion;
    info.build = version.dwBuildNumber;
    info.platformId = version.dwPlatformId;
    info.csd = version.szCSDVersion;

    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    RtlGetVersionProc rtlGetVersion =
        ntdll ? (RtlGetVersionProc)(void*)GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
    if (!rtlGetVersion) {
        notes.push_back("RtlGetVersion is not available: the version is GetVersionExA's");
        return;
    }
    // RtlGetVersion fills the wide layout; only its numeric fields are taken.
    struct {
        DWORD size, major, minor, build, platformId;
        WCHAR csd[128];
    } real;
    std::memset(&real, 0, sizeof(real));
    real.size = sizeof(real);
    if (rtlGetVersion((OSVERSIONINFOA*)(void*)&real) == 0) {
        info.major = real.major;
        info.minor = real.minor;
        info.build = real.build;
        info.platformId = real.platformId;
    }
}

int systemBits()
{
    if (sizeof(void*) == 8)
        return 64;
    BOOL wow = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow) && wow ? 64 : 32;
}

// The serial ports Windows' serial drivers publish: the data of the values of
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM.
void readComPorts(SystemInfo& info, std::vector<std::string>& notes)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        notes.push_back("HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM does not open: the COM ports are the modems' "
                        "AttachedTo ports only");
        return;
    }
    for (DWORD index = 0;; ++index) {
        char name[512];
        BYTE data[512];
        DWORD nameLength = sizeof(name);
        DWORD size = sizeof(data) - 1;
        DWORD type = 0;
        LONG status = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[size] = 0;
        std::string port = (const char*)data;
        if (!port.empty())
            AddComPort(info, port);
    }
    RegCloseKey(key);
}

} // namespace

void AddComPort(SystemInfo& info, const std::string& name)
{
    for (const std::string& known : info.comPorts)
        if (EqualNoCase(known, name))
            return;
    info.comPorts.push_back(name);
}

SystemInfo ReadSystemInfo(std::vector<std::string>& notes)
{
    SystemInfo info;
    readVersion(info, notes);
    info.bits = systemBits();
    info.systemDefault = GetSystemDefaultLangID();
    info.userDefault = GetUserDefaultLangID();
    info.userUI = GetUserDefaultUILanguage();
    info.ansiCodePage = GetACP();
    char folder[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(folder, sizeof(folder));
    info.windowsDirectory = length > 0 && length < sizeof(folder) ? folder : "C:\\Windows";
    while (info.windowsDirectory.size() > 3 && info.windowsDirectory.back() == '\\')
        info.windowsDirectory.pop_back();
    readComPorts(info, notes);
    return info;
}

} // namespace capture
