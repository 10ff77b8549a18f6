#include "registry/AnsiText.h"

#include "core/CodePages.h"

namespace plat::registry {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five unassigned bytes map to the C1
// control of the same value, as MultiByteToWideChar does.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char codePointToAnsi(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHigh1252[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

char32_t foldCodePoint(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs: upper case on even code points, except
        // in 0x139..0x148 and 0x179..0x17E where the pairs start odd.
        bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        if (oddPairs)
            return (c % 2 == 0) ? c - 1 : c;
        return (c % 2 == 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return c - 0x20;
    if (c == 0x3C2)
        return 0x3A3;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    return c;
}

} // namespace

bool DecodeUtf8(std::string_view text, std::u32string* out)
{
    if (out) {
        out->clear();
        out->reserve(text.size());
    }
    size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            if (out)
                out->push_back(b);
            ++i;
            continue;
        }
        int extra;
        char32_t c;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            c = b & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(extra) >= text.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char t = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((t & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (t & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        if (out)
            out->push_back(c);
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

char32_t AnsiToCodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHigh1252[byte - 0x80];
    return byte;
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    bool ascii = true;
    for (char c : utf8)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return std::string(utf8);
    std::u32string points;
    if (!DecodeUtf8(utf8, &points))
        return std::string(utf8.size(), '?');
    for (char32_t c : points)
        out.push_back(codePointToAnsi(c));
    return out;
}

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi)
        AppendUtf8(AnsiToCodePoint(static_cast<unsigned char>(c)), &out);
    return out;
}

std::vector<BYTE> Utf8ToUtf16Bytes(std::string_view utf8)
{
    std::vector<BYTE> out;
    out.reserve(utf8.size() * 2);
    auto put = [&out](char32_t unit) {
        out.push_back(static_cast<BYTE>(unit & 0xFF));
        out.push_back(static_cast<BYTE>((unit >> 8) & 0xFF));
    };
    std::u32string points;
    if (!DecodeUtf8(utf8, &points)) {
        for (char c : utf8)
            put(AnsiToCodePoint(static_cast<unsigned char>(c)));
        return out;
    }
    for (char32_t c : points) {
        if (c >= 0x10000) {
            c -= 0x10000;
            put(0xD800 + (c >> 10));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

namespace {

// Walks UTF-16LE bytes as code points; lone surrogates become U+FFFD.
template <typename Fn>
void forEachUtf16(const BYTE* data, size_t size, Fn fn)
{
    size_t units = size / 2;
    for (size_t i = 0; i < units; ++i) {
        char32_t u = static_cast<char32_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            char32_t low = static_cast<char32_t>(data[2 * i + 2] | (data[2 * i + 3] << 8));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                fn(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            u = 0xFFFD;
        fn(u);
    }
}

} // namespace

std::string Utf16BytesToUtf8(const BYTE* data, size_t size)
{
    std::string out;
    out.reserve(size / 2);
    forEachUtf16(data, size, [&out](char32_t c) { AppendUtf8(c, &out); });
    return out;
}

std::string Utf16BytesToAnsi(const BYTE* data, size_t size)
{
    std::string out;
    out.reserve(size / 2);
    forEachUtf16(data, size, [&out](char32_t c) { out.push_back(codePointToAnsi(c)); });
    return out;
}

std::vector<BYTE> AnsiToUtf16Bytes(const BYTE* data, size_t size)
{
    std::vector<BYTE> out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        char32_t c = AnsiToCodePoint(data[i]);
        out.push_back(static_cast<BYTE>(c & 0xFF));
        out.push_back(static_cast<BYTE>(c >> 8));
    }
    return out;
}

namespace {

bool isAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

std::string encodeMachineAnsi(const std::vector<BYTE>& utf16)
{
    std::u16string text(utf16.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(utf16[2 * i] | (utf16[2 * i + 1] << 8));
    return codepages::Encode(codepages::SystemAnsiCodePage(), text, "?").bytes;
}

} // namespace

std::string Utf8ToMachineAnsi(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    return encodeMachineAnsi(Utf8ToUtf16Bytes(utf8));
}

std::string MachineAnsiToUtf8(std::string_view ansi)
{
    if (isAscii(ansi))
        return std::string(ansi);
    std::u16string text = codepages::Decode(codepages::SystemAnsiCodePage(), ansi).text;
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(c, &out);
    }
    return out;
}

std::string Utf16BytesToMachineAnsi(const BYTE* data, size_t size)
{
    size_t even = size & ~static_cast<size_t>(1);
    std::string ascii;
    ascii.reserve(even / 2);
    for (size_t i = 0; i < even; i += 2) {
        if (data[i + 1] != 0 || data[i] >= 0x80)
            return encodeMachineAnsi(std::vector<BYTE>(data, data + even));
        ascii.push_back(static_cast<char>(data[i]));
    }
    return ascii;
}

std::string FoldCase(std::string_view utf8)
{
    std::string out(utf8);
    bool ascii = true;
    for (char& c : out) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b >= 0x80) {
            ascii = false;
            break;
        }
        if (b >= 'a' && b <= 'z')
            c = static_cast<char>(b - 0x20);
    }
    if (ascii)
        return out;
    std::u32string points;
    if (!DecodeUtf8(utf8, &points)) {
        // Not UTF-8 (cannot come from the loader); fold the ASCII part only.
        out.assign(utf8);
        for (char& c : out) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 0x20);
        }
        return out;
    }
    out.clear();
    for (char32_t c : points)
        AppendUtf8(foldCodePoint(c), &out);
    return out;
}

} // namespace plat::registry
