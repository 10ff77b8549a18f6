// How SetupGetIntField and SetupGetBinaryField read a field's text; shared
// with the device installer, which reads the same fields.
#pragma once

#include <win/types.h>

#include <optional>
#include <string_view>

namespace plat::inf {

// An integer field: optional '+' or '-', then decimal digits or "0x" and
// hexadecimal digits, nothing else; values up to 0xFFFFFFFF are taken
// modulo 2^32 (so "0xFFFFFFFF" is -1). An empty field is an omitted value,
// 0. Nullopt for anything else.
std::optional<INT> ParseIntField(std::string_view text);

// One byte of a binary field: one or more hexadecimal digits, with or
// without "0x", with a value up to 0xFF ("0A", "a", "00ff", "0x0Ff"). An
// empty field is 0. Nullopt for anything else.
std::optional<BYTE> ParseHexByteField(std::string_view text);

} // namespace plat::inf
