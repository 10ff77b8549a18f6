// The bytes of an INF file as the ANSI text that the A functions return.
// Driver INFs come as ANSI or as UTF-16LE with a byte-order mark (modem
// INFs often are Unicode); a UTF-8 byte-order mark is understood as well.
// The machine's ANSI code page is Windows-1252.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plat::inf {

// The file's text in Windows-1252. UTF-16LE and UTF-8 files (recognised by
// their byte-order mark, which is dropped) are converted; characters that
// Windows-1252 lacks, and malformed sequences, become '?'. Any other file
// is taken as Windows-1252 already and returned unchanged.
std::string DecodeInfBytes(std::string_view bytes);

// The Windows-1252 byte for a Unicode code point, or '?'.
char CodePointToAnsi(uint32_t codePoint);

} // namespace plat::inf
