#include "framework/bridge/Browser.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace afx::bridge {
namespace {

// Starts a command line; false when it cannot be started.
bool startProcess(std::string commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// The path of a program registered under App Paths, or "".
std::string appPath(const char* executable)
{
    std::string key = std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + executable;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        char path[MAX_PATH * 2] = {};
        DWORD size = sizeof(path) - 1;
        if (RegGetValueA(root, key.c_str(), NULL, RRF_RT_REG_SZ, NULL, path, &size) == ERROR_SUCCESS && path[0])
            return path;
    }
    return "";
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

void PrintAddress(const std::string& address)
{
    // The line ends as on Linux, whatever mode standard output is in.
    std::fflush(stdout);
    int previous = _setmode(_fileno(stdout), _O_BINARY);
    std::printf("Ravlin: open %s\n", address.c_str());
    std::fflush(stdout);
    if (previous != -1)
        _setmode(_fileno(stdout), previous);
}

void OpenBrowser(const std::string& address)
{
    PrintAddress(address);
    std::string command = NamedBrowser();
    if (command == "none")
        return;
    if (!command.empty()) {
        if (!startProcess(command + " " + quoted(address)))
            std::fprintf(stderr, "Ravlin: cannot start the browser %s (error %lu)\n", command.c_str(),
                         GetLastError());
        return;
    }
    // The system's browser shows the pages in a window of their own.
    std::string edge = appPath("msedge.exe");
    if (!edge.empty() && startProcess(quoted(edge) + " --app=" + quoted(address)))
        return;
    auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(NULL, "open", address.c_str(), NULL, NULL, SW_SHOWNORMAL));
    if (result <= 32)
        std::fprintf(stderr, "Ravlin: no browser could be started for %s (error %ld)\n", address.c_str(),
                     static_cast<long>(result));
}

} // namespace afx::bridge
