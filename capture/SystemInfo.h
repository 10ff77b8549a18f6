// The captured PC's system facts: OS version, languages, code page, Windows
// folder and COM ports.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace capture {

struct SystemInfo {
    DWORD major = 0, minor = 0, build = 0, platformId = 0;
    std::string csd;
    int bits = 64;
    LANGID systemDefault = 0, userDefault = 0, userUI = 0;
    UINT ansiCodePage = 0;
    std::string windowsDirectory;
    std::vector<std::string> comPorts; // "COM1", ... in the order found
};

// Adds a COM port unless it is listed already (any case).
void AddComPort(SystemInfo& info, const std::string& name);

// `notes` gets a line for each fact taken from a fallback.
SystemInfo ReadSystemInfo(std::vector<std::string>& notes);

} // namespace capture
