// Case-insensitive comparison of Windows-1252 text, as SetupAPI compares
// section names, keys and signatures: ASCII letters and the accented
// letters of the code page fold to upper case.
#pragma once

#include <string>
#include <string_view>

namespace plat::inf {

// The upper-case form of one Windows-1252 character.
char FoldUpper(char c);

// The text with every character folded; the key of name lookups.
std::string FoldedName(std::string_view text);

bool EqualNoCase(std::string_view a, std::string_view b);

} // namespace plat::inf
