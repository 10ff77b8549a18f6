// The text of a registry export file as regedit writes it: the header line,
// key lines, and value lines with regedit's escapes and hex wrapping.
// Header-only and plain Win32 types, so that the capture tool (a Windows
// program) and the test fixtures of the emulated PC write the same text.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace plat::registry {

// The first line of every file, with the blank line after it.
inline constexpr char kRegFileHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";

// regedit breaks a hex line once it holds 77 characters or more, after a
// comma; continuation lines start with two blanks.
inline constexpr size_t kRegHexLineLimit = 77;

// `text` in double quotes, with backslashes and quotes escaped.
inline std::string RegQuoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// "[HKEY_LOCAL_MACHINE\...]" followed by CR LF.
inline std::string RegKeyLine(const std::string& fullPath)
{
    return "[" + fullPath + "]\r\n";
}

// Whether REG_SZ data (as read through the ANSI API) can be written in the
// quoted form: exactly one terminating zero at the end, no other zero, no
// line break.
inline bool FitsQuotedString(const std::string& data)
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

// "hex:" forms: `prefix` is everything before the first byte
// ("\"name\"=hex(7):"); the bytes follow, wrapped as regedit wraps them.
inline std::string HexLines(const std::string& prefix, const std::string& bytes)
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
            if (lineLength >= kRegHexLineLimit) {
                out += "\\\r\n  ";
                lineLength = 2;
            }
        }
    }
    return out + "\r\n";
}

// One value in export form, ending in CR LF; "" names the default value (@).
// `data` holds the bytes as they are written: for REG_SZ the ANSI text with
// its terminator; for hex(1), hex(2) and hex(7) the UTF-16LE bytes (the
// caller converts them). REG_SZ data that does not fit the quoted form must
// come converted as well.
inline std::string RegValueLines(const std::string& name, DWORD type, const std::string& data)
{
    std::string field = (name.empty() ? std::string("@") : RegQuoted(name)) + "=";
    if (type == REG_SZ && FitsQuotedString(data))
        return field + RegQuoted(data.substr(0, data.size() - 1)) + "\r\n";
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

// A REG_SZ value of text without line breaks, the common case of fixtures.
inline std::string RegStringLine(const std::string& name, const std::string& text)
{
    return RegValueLines(name, REG_SZ, text + '\0');
}

} // namespace plat::registry
