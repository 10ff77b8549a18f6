#include "RegText.h"

#include <cstdio>
#include <vector>

namespace capture {

const char kRegFileHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";

namespace {

// regedit breaks a hex line once it holds 77 characters or more, after a
// comma; continuation lines start with two blanks.
constexpr size_t kHexLineLimit = 77;

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string nameField(const std::string& name)
{
    return name.empty() ? std::string("@") : quoted(name);
}

} // namespace

std::string RegKeyLine(const std::string& fullPath)
{
    return "[" + fullPath + "]\r\n";
}

bool FitsQuotedString(const std::string& data)
{
    if (data.empty() || data.back() != '\0')
        return false;
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        char c = data[i];
        if (c == '\0' || c == '\r' || c == '\n')
            return false;
    }
    return true;
}

std::string HexLines(const std::string& prefix, const std::string& bytes)
{
    std::string out = prefix;
    size_t lineLength = prefix.size();
    char hex[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof(hex), "%02x", (unsigned)(unsigned char)bytes[i]);
        out += hex;
        lineLength += 2;
        if (i + 1 < bytes.size()) {
            out += ',';
            ++lineLength;
            if (lineLength >= kHexLineLimit) {
                out += "\\\r\n  ";
                lineLength = 2;
            }
        }
    }
    return out + "\r\n";
}

std::string RegValueLines(const std::string& name, DWORD type, const std::string& data)
{
    std::string field = nameField(name) + "=";
    if (type == REG_SZ && FitsQuotedString(data))
        return field + quoted(data.substr(0, data.size() - 1)) + "\r\n";
    if (type == REG_DWORD && data.size() == 4) {
        DWORD value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | (unsigned char)data[i];
        char text[16];
        std::snprintf(text, sizeof(text), "dword:%08lx", (unsigned long)value);
        return field + text + "\r\n";
    }
    if (type == REG_BINARY)
        return HexLines(field + "hex:", data);
    char prefix[32];
    std::snprintf(prefix, sizeof(prefix), "hex(%lx):", (unsigned long)type);
    return HexLines(field + prefix, data);
}

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
