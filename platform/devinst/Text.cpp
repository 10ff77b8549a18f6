#include "devinst/Text.h"

#include "core/AsciiText.h"

#include <cstdio>
#include <cstring>

namespace plat::devinst {

const GUID kNullGuid = {};

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

std::vector<std::string> SplitList(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

std::optional<GUID> ParseGuid(const std::string& text)
{
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text.front() != '{' || text.back() != '}')
        return std::nullopt;
    for (size_t i = 1; i < 37; ++i) {
        bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != '-' : text::HexDigitValue(text[i]) < 0)
            return std::nullopt;
    }
    auto hex = [&](size_t at, size_t digits) {
        return static_cast<uint32_t>(std::stoul(text.substr(at, digits), nullptr, 16));
    };
    GUID guid;
    guid.Data1 = hex(1, 8);
    guid.Data2 = static_cast<uint16_t>(hex(10, 4));
    guid.Data3 = static_cast<uint16_t>(hex(15, 4));
    guid.Data4[0] = static_cast<uint8_t>(hex(20, 2));
    guid.Data4[1] = static_cast<uint8_t>(hex(22, 2));
    for (size_t i = 0; i < 6; ++i)
        guid.Data4[2 + i] = static_cast<uint8_t>(hex(25 + 2 * i, 2));
    return guid;
}

std::string FormatGuid(const GUID& g)
{
    char text[40];
    std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

bool SameGuid(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

bool CopyText(const std::string& text, char* buffer, size_t size)
{
    if (!buffer || text.size() + 1 > size)
        return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

} // namespace plat::devinst
