#include "core/Unicode.h"

namespace plat::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Reads the sequence at `*pos` into `*c`; false (with `*c` U+FFFD) when it
// is malformed.
bool readSequence(std::string_view text, size_t* pos, char32_t* c)
{
    auto lead = static_cast<unsigned char>(text[*pos]);
    if (lead < 0x80) {
        ++*pos;
        *c = lead;
        return true;
    }
    *c = kReplacement;
    int extra = (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || *pos + static_cast<size_t>(extra) >= text.size()) {
        ++*pos;
        return false;
    }
    char32_t value = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        auto next = static_cast<unsigned char>(text[*pos + static_cast<size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            ++*pos;
            return false;
        }
        value = value << 6 | (next & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    *pos += static_cast<size_t>(extra) + 1;
    if (value < kMin[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    *c = value;
    return true;
}

} // namespace

char32_t NextCodePoint(std::string_view utf8, size_t* pos)
{
    char32_t c;
    readSequence(utf8, pos, &c);
    return c;
}

bool IsUtf8(std::string_view bytes)
{
    char32_t c;
    for (size_t pos = 0; pos < bytes.size();) {
        if (!readSequence(bytes, &pos, &c))
            return false;
    }
    return true;
}

bool IsAscii(std::string_view bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t c = NextCodePoint(utf8, &pos);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (isHighSurrogate(c) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(c, &out); // a lone surrogate becomes U+FFFD
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

} // namespace plat::text
