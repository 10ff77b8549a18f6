// ANSI code pages. The machine's ANSI code page (GetACP, CP_ACP,
// CP_THREAD_ACP) is the one Windows sets for its system default language:
//   1252 western European     1250 central European   1251 Cyrillic
//   1253 Greek   1254 Turkish  1255 Hebrew   1256 Arabic   1257 Baltic
//   1258 Vietnamese   874 Thai   932 Japanese   936 simplified Chinese
//   949 Korean   950 traditional Chinese
// Each of these and UTF-8 (65001) can be converted. The tables are built
// once per code page from glibc's iconv. Characters a code page lacks
// become the default character; no "best fit" replacement is made.
#pragma once

#include <win/types.h>

#include <string>
#include <string_view>

namespace plat::codepages {

constexpr UINT kUtf8 = 65001;

// The ANSI code page that Windows uses for a language.
UINT AnsiCodePageOf(LANGID language);

// The ANSI code page of the current machine's system default language.
UINT SystemAnsiCodePage();

// The code page CP_ACP/CP_THREAD_ACP stand for, or the page itself.
UINT Resolve(UINT codePage);

bool IsSupported(UINT codePage);

// Whether the byte starts a two-byte character in a double-byte code page.
bool IsLeadByte(UINT codePage, unsigned char byte);

struct Encoded {
    std::string bytes;
    bool usedDefault = false; // a character had no mapping
    bool invalid = false;     // an unpaired surrogate was met
};
// UTF-16 to the code page; `defaultChar` (one or two bytes) stands for
// characters without a mapping. UTF-8 writes U+FFFD for an unpaired
// surrogate instead.
Encoded Encode(UINT codePage, std::u16string_view text, std::string_view defaultChar);

struct Decoded {
    std::u16string text;
    bool invalid = false; // a byte or pair had no mapping
};
// The code page's bytes to UTF-16. Undefined single bytes keep their value
// (U+0000-U+00FF, as Windows maps the holes of 1252); an undefined pair or
// a lead byte at the end gives '?'; invalid UTF-8 gives U+FFFD.
Decoded Decode(UINT codePage, std::string_view bytes);

// The code page's bytes as UTF-8 text, by the rules of Decode.
std::string DecodeToUtf8(UINT codePage, std::string_view bytes);

// UTF-8 text <-> the machine's ANSI code page, for the "A" functions.
// Characters the page lacks become '?'; ASCII text passes unchanged. Text
// converts as a whole, so that a trail byte equal to '\' stays part of its
// character.
std::string ToMachineAnsi(std::string_view utf8);
std::string FromMachineAnsi(std::string_view ansi);

// Appends the UTF-8 form of a code point (U+FFFD for a surrogate or a value
// past U+10FFFF).
void AppendUtf8(char32_t codePoint, std::string* out);

// The longest prefix of `bytes` of at most `limit` bytes that ends on a
// character boundary of the code page.
size_t CharBoundary(UINT codePage, std::string_view bytes, size_t limit);

} // namespace plat::codepages
