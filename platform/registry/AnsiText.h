// Text forms of the registry. Names and string data are kept as Unicode
// (names as UTF-8, string data as UTF-16LE bytes, as Windows stores them);
// the "A" functions take and hand them out in the machine's ANSI code page
// (core/CodePages.h). 8-bit profile files are read as Windows-1252 whatever
// the machine.
#pragma once

#include <win/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace plat::registry {

// The code page of 8-bit profile files.
constexpr UINT kProfileCodePage = 1252;

// Profile file text (Windows-1252) as UTF-8.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 text -> UTF-16LE bytes (no terminator added); bytes that are not
// UTF-8 are read as Windows-1252.
std::vector<BYTE> Utf8ToUtf16Bytes(std::string_view utf8);
// Windows-1252 bytes -> UTF-16LE bytes, NULs kept.
std::vector<BYTE> AnsiToUtf16Bytes(const BYTE* data, size_t size);

// UTF-16LE bytes in the machine's ANSI code page; an odd last byte is
// ignored, NULs are kept, so a stored terminator stays a terminator.
std::string Utf16BytesToMachineAnsi(const BYTE* data, size_t size);

// The key of name lookups (core/CaseFolding.h). Bytes that are not UTF-8
// (which the loader never makes) fold their ASCII letters only.
std::string FoldCase(std::string_view utf8);

} // namespace plat::registry
