#include "core/Paths.h"

#include "core/AsciiText.h"
#include "core/CodePages.h"
#include "core/LastError.h"
#include "core/Machine.h"

#include <win/errors.h>

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace plat::paths {
namespace {

std::vector<std::string> splitComponents(const std::string& path)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        parts.push_back(current);
    return parts;
}

bool exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Appends components to a host base, matching each existing one
// case-insensitively; "." and ".." are applied as Windows applies them.
std::string resolveBelow(const std::string& base, const std::vector<std::string>& components)
{
    std::string result = base;
    std::vector<std::string> stack;
    for (const std::string& part : components) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!stack.empty())
                stack.pop_back();
            continue;
        }
        stack.push_back(part);
    }
    for (const std::string& part : stack) {
        std::string folder = result.empty() ? "/" : result;
        std::string candidate = (result == "/" ? "" : result) + "/" + part;
        if (!exists(candidate)) {
            if (auto found = FindEntryNoCase(folder, part))
                candidate = (result == "/" ? "" : result) + "/" + *found;
        }
        result = candidate;
    }
    return result.empty() ? "/" : result;
}

bool isAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string HostNameToAnsi(const std::string& hostName)
{
    if (isAscii(hostName))
        return hostName;
    UINT codePage = codepages::SystemAnsiCodePage();
    if (codePage == codepages::kUtf8)
        return hostName;
    return codepages::Encode(codePage, codepages::Decode(codepages::kUtf8, hostName).text, "?").bytes;
}

std::string AnsiToHostName(const std::string& ansiName)
{
    if (isAscii(ansiName))
        return ansiName;
    UINT codePage = codepages::SystemAnsiCodePage();
    if (codePage == codepages::kUtf8)
        return ansiName;
    std::u16string wide = codepages::Decode(codePage, ansiName).text;
    return codepages::Encode(codepages::kUtf8, wide, "?").bytes;
}

std::optional<std::string> FindEntryNoCase(const std::string& folder, const std::string& name)
{
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), &closedir);
    if (!dir)
        return std::nullopt;
    while (dirent* entry = readdir(dir.get())) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0)
            return std::string(entry->d_name);
    }
    return std::nullopt;
}

std::string DeviceName(const char* windowsPath)
{
    if (!windowsPath)
        return {};
    std::string name = FileNamePart(windowsPath);
    // Windows ignores an extension and trailing blanks or colon on a device name.
    size_t cut = name.find_first_of(".:");
    if (cut != std::string::npos)
        name.resize(cut);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    std::string up = text::UpperAscii(name);
    if (up.size() == 4 && (up.compare(0, 3, "COM") == 0 || up.compare(0, 3, "LPT") == 0) && up[3] >= '1' &&
        up[3] <= '9')
        return up;
    // "\\.\COM10" style names reach any port number.
    std::string path = windowsPath;
    if (path.size() > 4 && path.compare(0, 4, "\\\\.\\") == 0) {
        std::string dev = text::UpperAscii(path.substr(4));
        if (dev.size() > 3 && dev.compare(0, 3, "COM") == 0 &&
            std::all_of(dev.begin() + 3, dev.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            return dev;
    }
    return {};
}

std::string FileNamePart(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> ToHost(const char* windowsPath)
{
    if (!windowsPath || !*windowsPath) {
        Fail(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    std::string path = AnsiToHostName(windowsPath);
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        const Machine* machine = CurrentMachine();
        std::string upperPath = text::UpperAscii(path);
        std::replace(upperPath.begin(), upperPath.end(), '/', '\\');
        if (machine) {
            for (const auto& mapping : machine->Folders()) {
                const std::string& prefix = mapping.windowsUpper;
                const std::string& host = mapping.host;
                if (upperPath.compare(0, prefix.size(), prefix) != 0)
                    continue;
                if (upperPath.size() > prefix.size() && upperPath[prefix.size()] != '\\')
                    continue;
                return resolveBelow(host, splitComponents(path.substr(prefix.size())));
            }
        } else if (upperPath[0] == 'Z') {
            return resolveBelow("/", splitComponents(path.substr(2)));
        }
        Fail(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    if (path[0] == '/' || path[0] == '\\')
        return resolveBelow("/", splitComponents(path));
    char cwd[4096];
    if (!getcwd(cwd, sizeof(cwd))) {
        Fail(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    // ".." may climb above the current directory, so resolve from the root.
    return resolveBelow("/", splitComponents(std::string(cwd) + "/" + path));
}

std::string ToWindows(const std::string& hostPath)
{
    const Machine* machine = CurrentMachine();
    std::string best;
    std::string bestPrefix;
    if (machine) {
        for (const auto& mapping : machine->Folders()) {
            std::string base = mapping.host;
            while (base.size() > 1 && base.back() == '/')
                base.pop_back();
            bool inside = base == "/" ? true
                                      : hostPath.compare(0, base.size(), base) == 0 &&
                                            (hostPath.size() == base.size() || hostPath[base.size()] == '/');
            if (!inside)
                continue;
            if (best.empty() || base.size() > best.size()) {
                best = base;
                bestPrefix = mapping.windows;
            }
        }
    }
    if (bestPrefix.empty()) {
        best = "/";
        bestPrefix = "Z:";
    }
    std::string rest = HostNameToAnsi(best == "/" ? hostPath : hostPath.substr(best.size()));
    std::replace(rest.begin(), rest.end(), '/', '\\');
    if (rest.empty() || rest[0] != '\\')
        rest = "\\" + rest;
    return HostNameToAnsi(bestPrefix) + (rest == "\\" && bestPrefix.size() > 2 ? "" : rest);
}

} // namespace plat::paths
