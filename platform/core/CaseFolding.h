// Case-insensitive comparison of Unicode (UTF-8) names, as Windows compares
// registry key and value names and SetupAPI compares INF sections, keys and
// signatures: letters of the ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic alphabets fold to upper case; every other character stands as it
// is. Names keep the case they were written with; only their keys fold.
#pragma once

#include <string>
#include <string_view>

namespace plat::text {

// The capital of a letter of those alphabets, or the character itself.
char32_t FoldUpper(char32_t c);

// The text with every character folded: the key of name lookups. A
// malformed sequence folds to U+FFFD.
std::string FoldCase(std::string_view utf8);

bool EqualNoCase(std::string_view a, std::string_view b);

} // namespace plat::text
