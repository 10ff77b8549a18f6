// The dialog's texts are ANSI byte strings in the system's ANSI code page
// (936 on a Simplified Chinese Windows, 932 on a Japanese one, 1252 on a
// western one); the page speaks UTF-8 JSON. Both ways go through UTF-16 with
// the system's own conversion (MultiByteToWideChar and WideCharToMultiByte
// with CP_ACP), so the page shows what the A functions returned.
#pragma once

#include <windows.h>

#include <string>

namespace afx::bridge {

using WideText = std::basic_string<WCHAR>;

// The text in UTF-16 from the given code page (CP_ACP, CP_UTF8), and back;
// "" where the system cannot convert it.
WideText ToWide(UINT codePage, const std::string& text);
std::string FromWide(UINT codePage, const WideText& wide);

std::string AnsiToUtf8(const std::string& text);
// A character the ANSI code page lacks becomes its default character ('?').
std::string Utf8ToAnsi(const std::string& text);

} // namespace afx::bridge
