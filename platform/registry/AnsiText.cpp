#include "registry/AnsiText.h"

#include "core/AsciiText.h"
#include "core/CaseFolding.h"
#include "core/CodePages.h"
#include "core/Unicode.h"

namespace plat::registry {
namespace {

std::vector<BYTE> toBytes(std::u16string_view text)
{
    std::vector<BYTE> out;
    out.reserve(text.size() * 2);
    for (char16_t unit : text) {
        out.push_back(static_cast<BYTE>(unit & 0xFF));
        out.push_back(static_cast<BYTE>(unit >> 8));
    }
    return out;
}

} // namespace

std::string AnsiToUtf8(std::string_view ansi)
{
    return codepages::DecodeToUtf8(kProfileCodePage, ansi);
}

std::vector<BYTE> Utf8ToUtf16Bytes(std::string_view utf8)
{
    if (!text::IsUtf8(utf8))
        return toBytes(codepages::Decode(kProfileCodePage, utf8).text);
    return toBytes(text::Utf8ToUtf16(utf8));
}

std::vector<BYTE> AnsiToUtf16Bytes(const BYTE* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    return toBytes(codepages::Decode(kProfileCodePage, bytes).text);
}

std::string Utf16BytesToMachineAnsi(const BYTE* data, size_t size)
{
    std::u16string text(size / 2, u'\0');
    bool ascii = true;
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        ascii = ascii && text[i] < 0x80;
    }
    if (ascii)
        return std::string(text.begin(), text.end());
    return codepages::Encode(codepages::SystemAnsiCodePage(), text, "?").bytes;
}

std::string FoldCase(std::string_view utf8)
{
    if (!text::IsUtf8(utf8))
        return text::UpperAscii(std::string(utf8));
    return text::FoldCase(utf8);
}

} // namespace plat::registry
