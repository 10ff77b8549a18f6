// Case-insensitive comparison of Unicode (UTF-8) text, as SetupAPI
// compares section names, keys and signatures: letters of the Latin,
// Greek and Cyrillic alphabets fold to upper case.
#pragma once

#include <string>
#include <string_view>

namespace plat::inf {

// The text with every character folded; the key of name lookups.
std::string FoldedName(std::string_view utf8);

bool EqualNoCase(std::string_view a, std::string_view b);

} // namespace plat::inf
