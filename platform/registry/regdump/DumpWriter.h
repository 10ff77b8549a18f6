// The text form of regdump: a key tree with every value's type and data, as
// the "A" registry functions return them. The form is described in
// docs/tools.md; every line can be read back to the exact bytes.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <string_view>

namespace regdump {

// Name of a REG_* type, or REG_TYPE(0xN) for an unknown one.
std::string TypeName(DWORD type);

// ANSI text in double quotes: '"' and '\' written \" and \\, every byte
// outside printable ASCII as \xNN (two upper-case hex digits).
std::string Quote(std::string_view ansi);

// One value line without its indent: NAME = TYPE DATA.
std::string FormatValue(std::string_view ansiName, DWORD type, std::string_view data);

// Writes the key `key`, shown as `path`, and its subtree to `out`; returns
// the first failing registry call's code.
LSTATUS DumpTree(HKEY key, const std::string& path, std::ostream& out);

} // namespace regdump
