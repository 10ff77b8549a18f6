#include "core/CaseFolding.h"

#include "core/AsciiText.h"
#include "core/Unicode.h"

namespace plat::text {

char32_t FoldUpper(char32_t c)
{
    if (c < 0x80)
        return static_cast<char32_t>(ToUpperAscii(static_cast<char>(c)));
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) // à..þ, but ÷ has no capital
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs: capital first, on even code points except
        // in 0x139..0x148 and 0x179..0x17E, where the pairs start odd.
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        return oddPairs ? (c % 2 == 0 ? c - 1 : c) : (c % 2 == 1 ? c - 1 : c);
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return c - 0x20;
    if (c == 0x3C2) // final sigma
        return 0x3A3;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    return c;
}

std::string FoldCase(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[pos]);
        if (b < 0x80) {
            out += ToUpperAscii(static_cast<char>(b));
            ++pos;
            continue;
        }
        AppendUtf8(FoldUpper(NextCodePoint(utf8, &pos)), &out);
    }
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a == b || FoldCase(a) == FoldCase(b);
}

} // namespace plat::text
