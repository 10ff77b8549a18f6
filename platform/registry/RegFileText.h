// The text of a .reg file: its encoding told by its first bytes (UTF-16LE
// with BOM, as regedit writes it; otherwise UTF-8, with or without BOM, or
// the ANSI code page when the bytes are not UTF-8), cut into lines at CR LF,
// LF or CR.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plat::registry {

struct RegFileError {
    int line = 0; // 1-based
    std::string message;
};

struct RegFileText {
    std::string utf8;                    // the whole file as UTF-8
    std::vector<std::string_view> lines; // views into utf8, without line ends
};

// Decodes `bytes`; false with the line of the fault for text that cannot be
// a .reg file (big-endian UTF-16, broken UTF-16, NUL characters).
bool DecodeRegFileText(std::string_view bytes, RegFileText* text, RegFileError* error);

} // namespace plat::registry
