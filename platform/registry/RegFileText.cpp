#include "registry/RegFileText.h"

#include "core/Unicode.h"
#include "registry/AnsiText.h"

namespace plat::registry {
namespace {

bool decodeUtf16(std::string_view bytes, std::string* out, RegFileError* error)
{
    int line = 1;
    size_t units = bytes.size() / 2;
    out->reserve(units);
    auto unitAt = [&bytes](size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (size_t i = 0; i < units; ++i) {
        char32_t c = unitAt(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unitAt(i + 1) >= 0xDC00 && unitAt(i + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            *error = RegFileError{line, "broken UTF-16 text: a lone surrogate character"};
            return false;
        }
        if (c == '\n' || (c == '\r' && !(i + 1 < units && unitAt(i + 1) == '\n')))
            ++line;
        text::AppendUtf8(c, out);
    }
    if (bytes.size() % 2 != 0) {
        *error = RegFileError{line, "broken UTF-16 text: the file has an odd number of bytes"};
        return false;
    }
    return true;
}

void splitLines(RegFileText* text)
{
    std::string_view all = text->utf8;
    size_t start = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] == '\n' || all[i] == '\r') {
            text->lines.push_back(all.substr(start, i - start));
            if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < all.size())
        text->lines.push_back(all.substr(start));
}

} // namespace

bool DecodeRegFileText(std::string_view bytes, RegFileText* text, RegFileError* error)
{
    text->utf8.clear();
    text->lines.clear();
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
        static_cast<unsigned char>(bytes[1]) == 0xFF) {
        *error = RegFileError{1, "UTF-16 big-endian text; save the file as UTF-16LE or UTF-8"};
        return false;
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        if (!decodeUtf16(bytes.substr(2), &text->utf8, error))
            return false;
    } else {
        if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        if (text::IsUtf8(bytes))
            text->utf8.assign(bytes);
        else
            text->utf8 = AnsiToUtf8(bytes); // an 8-bit file in the ANSI code page
    }
    splitLines(text);
    for (size_t i = 0; i < text->lines.size(); ++i) {
        if (text->lines[i].find('\0') != std::string_view::npos) {
            *error = RegFileError{static_cast<int>(i + 1), "NUL character in the text"};
            return false;
        }
    }
    return true;
}

} // namespace plat::registry
