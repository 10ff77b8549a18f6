#include "ProfileOutput.h"

#include <windows.h>

namespace capture {

namespace {

std::string withError(const std::string& what)
{
    return what + " (error " + std::to_string(GetLastError()) + ")";
}

// Creates every folder of `path` that is missing.
bool makeFolders(const std::string& path)
{
    for (size_t at = 0; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '\\' && path[at] != '/')
            continue;
        std::string part = path.substr(0, at);
        if (part.empty() || (part.size() == 2 && part[1] == ':'))
            continue;
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

std::string windowsPath(const std::string& folder, const std::string& relative)
{
    std::string path = folder + "\\" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

} // namespace

bool WriteProfile(const std::string& folder, const CapturedProfile& profile, std::string& error)
{
    if (GetFileAttributesA(windowsPath(folder, "machine.json").c_str()) != INVALID_FILE_ATTRIBUTES) {
        error = folder + " already holds a machine profile; choose a new folder";
        return false;
    }
    for (const auto& [relative, bytes] : profile.files) {
        std::string path = windowsPath(folder, relative);
        if (!makeFolders(path.substr(0, path.find_last_of('\\')))) {
            error = withError("cannot create the folder of " + path);
            return false;
        }
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error = withError("cannot create " + path);
            return false;
        }
        DWORD written = 0;
        BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
        CloseHandle(file);
        if (!ok || written != bytes.size()) {
            error = withError("cannot write " + path);
            return false;
        }
    }
    return true;
}

} // namespace capture
