// Text conversions of the registry. Names and string data are kept as
// Unicode (names as UTF-8, string data as UTF-16LE bytes, as Windows stores
// them); the "A" functions take and hand them out in the machine's ANSI
// code page (GetACP). Characters that page cannot show become '?', as
// WideCharToMultiByte's default character. 8-bit profile files are read as
// Windows-1252 whatever the machine.
#pragma once

#include "core/CodePages.h"

#include <win/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::registry {

// The code page of 8-bit profile files.
constexpr UINT kAnsiCodePage = 1252;

// UTF-8 <-> code points. DecodeUtf8 returns false on a malformed sequence;
// with a null `out` it only checks the text.
bool DecodeUtf8(std::string_view text, std::u32string* out);
using codepages::AppendUtf8;

// UTF-8 <-> ANSI (Windows-1252) text.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);
char32_t AnsiToCodePoint(unsigned char byte);

// UTF-8 text -> UTF-16LE bytes (no terminator added).
std::vector<BYTE> Utf8ToUtf16Bytes(std::string_view utf8);
// UTF-16LE bytes -> UTF-8; an odd last byte is ignored, a lone surrogate
// becomes U+FFFD.
std::string Utf16BytesToUtf8(const BYTE* data, size_t size);
// UTF-16LE bytes -> ANSI bytes, one per UTF-16 unit pair/character; NULs
// are kept, so a stored terminator stays a terminator.
std::string Utf16BytesToAnsi(const BYTE* data, size_t size);
// ANSI bytes -> UTF-16LE bytes, NULs kept.
std::vector<BYTE> AnsiToUtf16Bytes(const BYTE* data, size_t size);

// UTF-8 and UTF-16LE bytes <-> the machine's ANSI code page, for the "A"
// functions. A path converts as a whole, so that a trail byte equal to '\'
// stays part of its character. NULs in data are kept.
std::string Utf8ToMachineAnsi(std::string_view utf8);
std::string MachineAnsiToUtf8(std::string_view ansi);
std::string Utf16BytesToMachineAnsi(const BYTE* data, size_t size);

// Case folding for name comparison: key and value names compare without
// regard to case (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic
// letters), while the names keep the case they were written with.
std::string FoldCase(std::string_view utf8);

} // namespace plat::registry
