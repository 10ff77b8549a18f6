#include "inf/TextDecoding.h"

#include "core/CodePages.h"
#include "core/Unicode.h"

namespace plat::inf {
namespace {

bool startsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

std::string fromUtf16Le(std::string_view bytes)
{
    std::u16string wide(bytes.size() / 2, u'\0'); // an odd last byte is no character
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return text::Utf16ToUtf8(wide);
}

} // namespace

std::string DecodeInfBytes(std::string_view bytes, UINT codePage)
{
    if (startsWith(bytes, "\xFF\xFE"))
        return fromUtf16Le(bytes.substr(2));
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        return text::Utf16ToUtf8(text::Utf8ToUtf16(bytes.substr(3))); // malformed sequences become U+FFFD
    if (text::IsAscii(bytes))
        return std::string(bytes);
    return codepages::DecodeToUtf8(codePage, bytes);
}

} // namespace plat::inf
