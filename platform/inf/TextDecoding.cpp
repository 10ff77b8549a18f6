#include "inf/TextDecoding.h"

namespace plat::inf {
namespace {

// Code points of the Windows-1252 bytes 0x80..0x9F. The five bytes that
// the code page leaves undefined map to the C1 control of the same value,
// as Windows converts them.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool startsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

std::string fromUtf16Le(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    size_t count = bytes.size() / 2; // an odd last byte is no character
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
    };
    for (size_t i = 0; i < count; ++i) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            ++i; // a surrogate pair is one character outside Windows-1252
            out += '?';
            continue;
        }
        out += CodePointToAnsi(u);
    }
    return out;
}

std::string fromUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0) {
            out += '?';
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        size_t j = 1;
        for (; j <= static_cast<size_t>(extra); ++j) {
            if (i + j >= bytes.size() || (static_cast<unsigned char>(bytes[i + j]) & 0xC0) != 0x80)
                break;
            cp = cp << 6 | (static_cast<unsigned char>(bytes[i + j]) & 0x3F);
        }
        if (j <= static_cast<size_t>(extra)) { // truncated sequence
            out += '?';
            i += j;
            continue;
        }
        out += CodePointToAnsi(cp);
        i += j;
    }
    return out;
}

} // namespace

char CodePointToAnsi(uint32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == codePoint)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

std::string DecodeInfBytes(std::string_view bytes)
{
    if (startsWith(bytes, "\xFF\xFE"))
        return fromUtf16Le(bytes.substr(2));
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        return fromUtf8(bytes.substr(3));
    return std::string(bytes);
}

} // namespace plat::inf
