// The ASCII side of the emulated PC's text: blanks, hex digits and letter
// case as Windows' own parsers treat them, whatever the code page. Bytes
// from 0x80 up are never blanks, digits or letters here.
#pragma once

#include <string>
#include <string_view>

namespace plat::text {

// A space or a tab: what separates words on a command line or in a .reg line.
constexpr bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// What C's isspace gives in the "C" locale: blanks, line ends, VT and FF.
constexpr bool IsSpace(char c)
{
    return IsBlank(c) || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The value of a hex digit of either case, or -1.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

constexpr char ToUpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char ToLowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string UpperAscii(std::string text)
{
    for (char& c : text)
        c = ToUpperAscii(c);
    return text;
}

inline std::string LowerAscii(std::string text)
{
    for (char& c : text)
        c = ToLowerAscii(c);
    return text;
}

// Equal but for the case of ASCII letters.
constexpr bool EqualNoCaseAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (ToUpperAscii(a[i]) != ToUpperAscii(b[i]))
            return false;
    }
    return true;
}

} // namespace plat::text
