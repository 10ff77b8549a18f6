// Parsing a profile's JSON text without letting an exception out: every
// fault of the text (bad syntax, a number beyond a double's range, bytes
// that are no UTF-8) is reported with its 1-based line.
#pragma once

#include "core/Machine.h"

#include <nlohmann/json.hpp>

#include <string>

namespace plat {

// Parses `text`, the content of the file `path`, into *out. On failure
// returns false with *error naming the file, the 1-based line and what is
// wrong ("not valid JSON: ..." or "number too large: ...").
bool ParseJsonText(const std::string& text, const std::string& path, nlohmann::json* out, ProfileError* error);

} // namespace plat
