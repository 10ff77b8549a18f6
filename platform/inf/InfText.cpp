#include "inf/InfText.h"

#include "core/CodePages.h"

namespace plat::inf {
namespace {

bool isAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

char32_t NextCodePoint(std::string_view text, size_t* pos)
{
    auto lead = static_cast<unsigned char>(text[*pos]);
    if (lead < 0x80) {
        ++*pos;
        return lead;
    }
    int extra = (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || *pos + static_cast<size_t>(extra) >= text.size()) {
        ++*pos;
        return 0xFFFD;
    }
    char32_t c = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        auto next = static_cast<unsigned char>(text[*pos + static_cast<size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            ++*pos;
            return 0xFFFD;
        }
        c = c << 6 | (next & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    *pos += static_cast<size_t>(extra) + 1;
    if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0xFFFD;
    return c;
}

std::string ToMachineAnsi(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    std::u16string wide;
    wide.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t c = NextCodePoint(utf8, &pos);
        if (c >= 0x10000) {
            wide += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            wide += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<char16_t>(c);
        }
    }
    return codepages::Encode(codepages::SystemAnsiCodePage(), wide, "?").bytes;
}

std::string FromMachineAnsi(std::string_view ansi)
{
    if (isAscii(ansi))
        return std::string(ansi);
    std::u16string wide = codepages::Decode(codepages::SystemAnsiCodePage(), ansi).text;
    std::string out;
    out.reserve(wide.size() * 2);
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(c, &out);
    }
    return out;
}

size_t Utf16Length(std::string_view utf8)
{
    size_t units = 0;
    for (char c : utf8) {
        auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80)
            units += (b & 0xF8) == 0xF0 ? 2 : 1; // a four-byte sequence is a surrogate pair
    }
    return units;
}

void CutToUtf16Length(std::string* utf8, size_t units)
{
    if (utf8->size() <= units)
        return;
    size_t counted = 0;
    for (size_t i = 0; i < utf8->size(); ++i) {
        auto b = static_cast<unsigned char>((*utf8)[i]);
        if ((b & 0xC0) == 0x80)
            continue;
        counted += (b & 0xF8) == 0xF0 ? 2 : 1;
        if (counted > units) {
            utf8->resize(i);
            return;
        }
    }
}

} // namespace plat::inf
