// Parsing a profile's JSON text without letting an exception out: every
// fault of the text (bad syntax, a number beyond a double's range, bytes
// that are no UTF-8) is reported with its 1-based line.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace plat {

// Parses `text` into *out. On failure returns false with *line (1-based)
// and *message ("not valid JSON: ..." or "number too large: ...").
bool ParseJsonText(const std::string& text, nlohmann::json* out, int* line, std::string* message);

} // namespace plat
