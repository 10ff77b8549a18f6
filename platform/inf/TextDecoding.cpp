#include "inf/TextDecoding.h"

#include "core/CodePages.h"
#include "inf/InfText.h"

namespace plat::inf {
namespace {

bool startsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

std::string fromUtf16(const std::u16string& wide)
{
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(c, &out); // a lone surrogate becomes U+FFFD
    }
    return out;
}

std::string fromUtf16Le(std::string_view bytes)
{
    std::u16string wide(bytes.size() / 2, u'\0'); // an odd last byte is no character
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return fromUtf16(wide);
}

std::string fromUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t pos = 0; pos < bytes.size();)
        AppendUtf8(NextCodePoint(bytes, &pos), &out);
    return out;
}

} // namespace

std::string DecodeInfBytes(std::string_view bytes, UINT codePage)
{
    if (startsWith(bytes, "\xFF\xFE"))
        return fromUtf16Le(bytes.substr(2));
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        return fromUtf8(bytes.substr(3));
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return std::string(bytes);
    return fromUtf16(codepages::Decode(codePage, bytes).text);
}

} // namespace plat::inf
