#include "framework/bridge/PageFolder.h"

#include "framework/bridge/PageHost.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <strings.h>
#include <vector>

namespace afx::bridge::pages {
namespace {

std::vector<std::string> split(const std::string& text, const char* separators)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (std::strchr(separators, c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

std::string join(const std::vector<std::string>& parts, size_t from, size_t to, char separator)
{
    std::string out;
    for (size_t i = from; i < to; ++i) {
        if (i > from)
            out += separator;
        out += parts[i];
    }
    return out;
}

bool equalsNoCase(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

// A name that may appear in a served address: no "." or "..", no hidden
// names, no separators or NULs of another kind.
bool servableName(const std::string& name)
{
    return !name.empty() && name[0] != '.' && name.find('\\') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<PageLocation> Locate(const std::string& windowsPath)
{
    std::string path = windowsPath;
    if (path.compare(0, 8, "file:///") == 0)
        path = DecodePath(path.substr(8));
    else if (path.compare(0, 7, "file://") == 0)
        path = DecodePath(path.substr(7));

    // Fold "." and ".." first, so that the page cannot climb out of its folder.
    std::vector<std::string> parts;
    for (const std::string& part : split(path, "\\/")) {
        if (part == "." || (part.empty() && !parts.empty()))
            continue;
        if (part == "..") {
            if (parts.size() > 1)
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.size() < 2)
        return std::nullopt;

    size_t rootEnd = parts.size() - 1; // the page's own folder
    for (size_t i = parts.size() - 1; i-- > 1;) {
        if (equalsNoCase(parts[i], "htm")) {
            rootEnd = i + 1;
            break;
        }
    }
    PageLocation location;
    location.rootWindows = join(parts, 0, rootEnd, '\\');
    if (location.rootWindows.size() == 2 && location.rootWindows[1] == ':')
        location.rootWindows += '\\';
    auto host = HostFolder(location.rootWindows);
    if (!host)
        return std::nullopt;
    location.rootHost = *host;
    for (size_t i = rootEnd; i < parts.size(); ++i) {
        location.url += '/';
        location.url += EncodePath(parts[i]);
    }
    return location;
}

std::optional<std::filesystem::path> Resolve(const std::string& rootHost, const std::string& decodedPath)
{
    namespace fs = std::filesystem;
    if (decodedPath.size() < 2 || decodedPath[0] != '/')
        return std::nullopt;
    fs::path root = HostPath(rootHost);
    fs::path current = root;
    for (const std::string& name : split(decodedPath.substr(1), "/")) {
        if (!servableName(name))
            return std::nullopt;
        auto entry = FindEntry(current, name);
        if (!entry)
            return std::nullopt;
        current /= *entry;
    }
    std::error_code error;
    root = fs::canonical(root, error);
    if (error)
        return std::nullopt;
    fs::path file = fs::canonical(current, error);
    if (error || !fs::is_regular_file(file, error))
        return std::nullopt;
    // A link that leads out of the folder is refused.
    auto [rootEnd, fileAt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
    if (rootEnd != root.end() || fileAt == file.end())
        return std::nullopt;
    return file;
}

std::string WindowsPathOf(const std::string& rootWindows, const std::string& decodedPath)
{
    std::string path = rootWindows;
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    for (char c : decodedPath)
        path += c == '/' ? '\\' : c;
    return path;
}

bool SamePage(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string EncodePath(const std::string& decoded)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : decoded) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || std::strchr("-._~!$&'()*+,;=:@/", c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string DecodePath(const std::string& encoded)
{
    std::string out;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size()) {
            int high = hexValue(encoded[i + 1]), low = hexValue(encoded[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += encoded[i];
    }
    return out;
}

} // namespace afx::bridge::pages
