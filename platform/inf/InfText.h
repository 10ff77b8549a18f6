// The text of a parsed INF file is Unicode, held as UTF-8, as SetupAPI
// holds it as UTF-16. The A functions convert names that they are given
// from the machine's ANSI code page and everything that they hand out into
// it. Lengths that SetupAPI limits count UTF-16 units.
#pragma once

#include "core/CodePages.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace plat::inf {

// UTF-8 text in the machine's ANSI code page; characters the page lacks
// become '?'.
std::string ToMachineAnsi(std::string_view utf8);
// Text in the machine's ANSI code page as UTF-8.
std::string FromMachineAnsi(std::string_view ansi);

// The UTF-16 length of UTF-8 text.
size_t Utf16Length(std::string_view utf8);
// Cuts UTF-8 text to at most `units` UTF-16 units, on a character boundary.
void CutToUtf16Length(std::string* utf8, size_t units);

using codepages::AppendUtf8;
// The code point at `*pos` of UTF-8 text, advancing `*pos`; U+FFFD for a
// malformed sequence (which then takes one byte).
char32_t NextCodePoint(std::string_view utf8, size_t* pos);

} // namespace plat::inf
