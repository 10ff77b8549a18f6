#include "RegText.h"

#include <vector>

namespace capture {

std::string AnsiToUtf16Bytes(const std::string& ansi)
{
    if (ansi.empty())
        return "";
    int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), nullptr, 0);
    if (units <= 0)
        return "";
    std::vector<WCHAR> wide((size_t)units);
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), wide.data(), units);
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (WCHAR unit : wide) {
        bytes += (char)((unsigned)unit & 0xFF);
        bytes += (char)(((unsigned)unit >> 8) & 0xFF);
    }
    return bytes;
}

std::string RegFileBytes(const std::string& ansiText)
{
    return std::string("\xFF\xFE", 2) + AnsiToUtf16Bytes(ansiText);
}

} // namespace capture
