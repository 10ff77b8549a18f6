// CreateProcessA, WinExec and GetExitCodeProcess: Windows command lines
// start real host programs.
#include "core/Handles.h"
#include "core/LastError.h"
#include "core/Paths.h"
#include "process/ChildProcess.h"
#include "process/CommandLine.h"
#include "process/ImageFiles.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <sys/stat.h>

using namespace plat;
using namespace plat::process;

namespace {

// Finds the program of a command line: the application name as given, or
// the candidates of the command line in CreateProcess's order. The error of
// the last candidate tried is the one reported.
std::optional<std::string> findProgram(LPCSTR applicationName, const std::string& commandLine, DWORD* error)
{
    if (applicationName)
        return FindImage(applicationName, ImageKind::Program, error);
    std::vector<std::string> candidates = ProgramCandidates(commandLine);
    *error = ERROR_FILE_NOT_FOUND;
    for (const std::string& candidate : candidates) {
        if (auto host = FindImage(WithDefaultExtension(candidate), ImageKind::Program, error))
            return host;
    }
    return std::nullopt;
}

// "NAME=value\0NAME=value\0\0" as the separate strings.
std::vector<std::string> environmentBlock(const char* block)
{
    std::vector<std::string> strings;
    while (*block) {
        std::string entry(block);
        block += entry.size() + 1;
        strings.push_back(std::move(entry));
    }
    return strings;
}

bool isFolder(const std::string& hostPath)
{
    struct stat st;
    return stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

extern "C" BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                                      LPSECURITY_ATTRIBUTES, BOOL bInheritHandles, DWORD, LPVOID lpEnvironment,
                                      LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                                      LPPROCESS_INFORMATION lpProcessInformation)
{
    if (!lpStartupInfo || !lpProcessInformation)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!lpApplicationName && (!lpCommandLine || !*lpCommandLine))
        return Fail(ERROR_INVALID_PARAMETER);

    std::string commandLine = lpCommandLine ? lpCommandLine : "";
    DWORD error = 0;
    std::optional<std::string> program = findProgram(lpApplicationName, commandLine, &error);
    if (!program)
        return Fail(error);

    SpawnRequest request;
    request.hostProgram = *program;
    request.arguments = SplitArguments(commandLine.empty() ? std::string(lpApplicationName) : commandLine);
    request.inheritHandles = bInheritHandles != FALSE;
    if (lpEnvironment)
        request.environment = environmentBlock(static_cast<const char*>(lpEnvironment));
    if (lpCurrentDirectory) {
        std::optional<std::string> folder = paths::ToHost(lpCurrentDirectory);
        if (!folder || !isFolder(*folder))
            return Fail(ERROR_DIRECTORY);
        request.hostFolder = *folder;
    }

    std::shared_ptr<ChildProcess> child = Spawn(request, &error);
    if (!child)
        return Fail(error);
    lpProcessInformation->hProcess = handles::Insert(child);
    lpProcessInformation->hThread = handles::Insert(child); // the main thread ends with the process
    lpProcessInformation->dwProcessId = static_cast<DWORD>(child->Pid());
    lpProcessInformation->dwThreadId = static_cast<DWORD>(child->Pid());
    return TRUE;
}

// WinExec returns a value above 31 on success; on failure a small error
// value: 0 (out of resources), 2 (file not found), 3 (path not found) or
// 11 (not a valid program). It does not wait for the program.
extern "C" UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow)
{
    if (!lpCmdLine)
        return FailWith<UINT>(ERROR_INVALID_PARAMETER, 0);
    std::string commandLine = lpCmdLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = 0x00000001; // STARTF_USESHOWWINDOW
    startup.wShowWindow = static_cast<WORD>(uCmdShow);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
            return ERROR_FILE_NOT_FOUND;
        case ERROR_PATH_NOT_FOUND:
            return ERROR_PATH_NOT_FOUND;
        case ERROR_BAD_EXE_FORMAT:
            return ERROR_BAD_FORMAT;
        default:
            return 0;
        }
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return 33;
}

extern "C" BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode)
{
    if (!lpExitCode)
        return Fail(ERROR_INVALID_PARAMETER);
    if (hProcess == reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1))) {
        *lpExitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto child = handles::GetAs<ChildProcess>(hProcess);
    if (!child)
        return Fail(ERROR_INVALID_HANDLE);
    *lpExitCode = child->ExitCode();
    return TRUE;
}
