// Small text helpers of the device installer. Device IDs, key names and INF
// names compare without regard to ASCII case (core/AsciiText.h).
#pragma once

#include <win/types.h>

#include <optional>
#include <string>
#include <vector>

namespace plat::devinst {

std::string Trim(const std::string& text);
std::vector<std::string> SplitList(const std::string& text, char separator);

// "{4D36E96D-E325-11CE-BFC1-08002BE10318}" <-> GUID; braces required.
std::optional<GUID> ParseGuid(const std::string& text);
std::string FormatGuid(const GUID& guid);
bool SameGuid(const GUID& a, const GUID& b);
extern const GUID kNullGuid;

// Copies text and its terminator into a caller's buffer of `size` bytes.
// Returns false when it does not fit (nothing is written then).
bool CopyText(const std::string& text, char* buffer, size_t size);

} // namespace plat::devinst
