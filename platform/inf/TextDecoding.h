// The bytes of an INF file as Unicode text (UTF-8). Driver INFs come as
// ANSI or as UTF-16LE with a byte-order mark (modem INFs often are
// Unicode); a UTF-8 byte-order mark is understood as well.
#pragma once

#include <win/types.h>

#include <string>
#include <string_view>

namespace plat::inf {

// The file's text as UTF-8. UTF-16LE and UTF-8 files are recognised by
// their byte-order mark, which is dropped; a lone surrogate or a malformed
// sequence becomes U+FFFD. Any other file is text in the ANSI code page
// `codePage`, converted as a whole, as Windows converts it before reading
// it: a trail byte that equals '\' or ']' stays part of its character.
std::string DecodeInfBytes(std::string_view bytes, UINT codePage);

} // namespace plat::inf
