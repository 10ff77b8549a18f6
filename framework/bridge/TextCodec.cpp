#include "framework/bridge/TextCodec.h"

#include <windows.h>

#include <string>

namespace afx::bridge {

WideText ToWide(UINT codePage, const std::string& text)
{
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return {};
    WideText wide(static_cast<size_t>(length), WCHAR{});
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string FromWide(UINT codePage, const WideText& wide)
{
    if (wide.empty())
        return {};
    int length =
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        nullptr);
    return text;
}

std::string AnsiToUtf8(const std::string& text)
{
    return FromWide(CP_UTF8, ToWide(CP_ACP, text));
}

std::string Utf8ToAnsi(const std::string& text)
{
    return FromWide(CP_ACP, ToWide(CP_UTF8, text));
}

} // namespace afx::bridge
