// Unicode text of the emulated PC: UTF-8 as the families hold it, UTF-16 as
// Windows hands it out. A malformed UTF-8 sequence or a lone surrogate reads
// as U+FFFD.
#pragma once

#include "core/CodePages.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace plat::text {

using codepages::AppendUtf8;

// The code point at `*pos` of UTF-8 text, advancing `*pos`. A sequence that
// is cut short or has a stray byte gives U+FFFD and takes one byte; an
// overlong form, a surrogate or a value past U+10FFFF gives U+FFFD and takes
// its whole length.
char32_t NextCodePoint(std::string_view utf8, size_t* pos);

// Whether the bytes are well-formed UTF-8 (no U+FFFD read above stands for
// a fault).
bool IsUtf8(std::string_view bytes);

bool IsAscii(std::string_view bytes);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The UTF-16 length of UTF-8 text.
size_t Utf16Length(std::string_view utf8);
// Cuts UTF-8 text to at most `units` UTF-16 units, on a character boundary.
void CutToUtf16Length(std::string* utf8, size_t units);

} // namespace plat::text
