#include "process/ImageFiles.h"

#include "core/Machine.h"
#include "core/Paths.h"

#include <win/errors.h>

#include <strings.h>
#include <sys/stat.h>

namespace plat::process {
namespace {

bool endsWithNoCase(const std::string& s, const char* suffix)
{
    size_t n = std::char_traits<char>::length(suffix);
    return s.size() > n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

bool isRegularFile(const std::string& hostPath)
{
    struct stat st;
    return stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isFolder(const std::string& hostPath)
{
    struct stat st;
    return stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string parentOf(const std::string& hostPath)
{
    size_t slash = hostPath.rfind('/');
    return slash == std::string::npos ? "." : hostPath.substr(0, slash == 0 ? 1 : slash);
}

// The folders searched for a bare name: host paths (the executable's
// folder) and Windows paths side by side, as ToHost takes both.
std::vector<std::string> searchFolders()
{
    std::vector<std::string> folders = {ExecutableFolder(), "."};
    std::string windows = CurrentMachine() ? CurrentMachine()->WindowsDirectory() : "C:\\Windows";
    folders.push_back(windows + "\\System32");
    folders.push_back(windows);
    return folders;
}

} // namespace

bool IsBareName(const std::string& name)
{
    return name.find_first_of("\\/:") == std::string::npos;
}

std::vector<std::string> ImageFileNames(const std::string& windowsName, ImageKind kind)
{
    std::vector<std::string> names;
    if (kind == ImageKind::Program) {
        names.push_back(windowsName);
        if (endsWithNoCase(windowsName, ".exe"))
            names.push_back(windowsName.substr(0, windowsName.size() - 4));
        return names;
    }
    size_t slash = windowsName.find_last_of("\\/");
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string name = windowsName;
    if (name.size() > nameStart && name.back() == '.')
        name.pop_back(); // a trailing dot: no extension, and none is added
    else if (name.find('.', nameStart) == std::string::npos)
        name += ".dll";
    names.push_back(name);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot >= nameStart && !endsWithNoCase(name, ".so"))
        names.push_back(name.substr(0, dot) + ".so");
    return names;
}

std::optional<std::string> FindImage(const std::string& windowsName, ImageKind kind, DWORD* error)
{
    *error = ERROR_FILE_NOT_FOUND;
    if (windowsName.empty())
        return std::nullopt;
    std::vector<std::string> prefixes;
    if (IsBareName(windowsName)) {
        for (const std::string& folder : searchFolders())
            prefixes.push_back(folder + "\\");
    } else {
        prefixes.push_back("");
    }
    bool anyFolder = false;
    for (const std::string& prefix : prefixes) {
        for (const std::string& name : ImageFileNames(windowsName, kind)) {
            std::optional<std::string> host = paths::ToHost((prefix + name).c_str());
            if (!host)
                continue;
            if (isRegularFile(*host))
                return host;
            anyFolder = anyFolder || isFolder(parentOf(*host));
        }
    }
    *error = anyFolder || IsBareName(windowsName) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    return std::nullopt;
}

} // namespace plat::process
