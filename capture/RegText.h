// The text of a registry export file as regedit writes it (the lines come
// from registry/RegExportText.h), and the file's UTF-16LE form with its
// byte-order mark.
#pragma once

#include "registry/RegExportText.h"

#include <windows.h>

#include <string>

namespace capture {

// The export text itself, shared with the emulated PC's test fixtures.
using plat::registry::FitsQuotedString;
using plat::registry::HexLines;
using plat::registry::kRegFileHeader;
using plat::registry::RegKeyLine;
using plat::registry::RegValueLines;

// ANSI text (the system code page) to UTF-16LE bytes, keeping every zero.
std::string AnsiToUtf16Bytes(const std::string& ansi);

// The whole file: BOM, then the ANSI text converted to UTF-16LE.
std::string RegFileBytes(const std::string& ansiText);

} // namespace capture
