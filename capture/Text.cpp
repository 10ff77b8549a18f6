#include "Text.h"

namespace capture {

namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

} // namespace

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::string ProfilePathOf(const std::string& windowsPath)
{
    if (windowsPath.size() < 3 || windowsPath[1] != ':' || (windowsPath[2] != '\\' && windowsPath[2] != '/'))
        return "";
    // Every drive of the captured PC is written below drive_c: the emulated
    // PC has only the one drive.
    std::string out = "drive_c";
    for (size_t i = 2; i < windowsPath.size(); ++i)
        out += windowsPath[i] == '\\' ? '/' : windowsPath[i];
    while (!out.empty() && out.back() == '/')
        out.pop_back();
    return out;
}

std::string FileNameOf(const std::string& path)
{
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace capture
