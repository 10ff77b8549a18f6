// The text of a registry export file as regedit writes it: key lines, value
// lines with regedit's escapes and hex wrapping, and the file's UTF-16LE
// form with its byte-order mark.
#pragma once

#include <windows.h>

#include <string>

namespace capture {

// "[HKEY_LOCAL_MACHINE\...]" followed by CR LF.
std::string RegKeyLine(const std::string& fullPath);

// One value in export form, ending in CR LF. `data` holds the bytes as they
// are written: for REG_SZ the ANSI text with its terminator; for hex(1),
// hex(2) and hex(7) the UTF-16LE bytes (the caller converts them). REG_SZ
// data that does not fit the quoted form must come converted as well.
std::string RegValueLines(const std::string& name, DWORD type, const std::string& data);

// Whether REG_SZ data (as read through the ANSI API) can be written in the
// quoted form: exactly one terminating zero at the end, no other zero, no
// line break.
bool FitsQuotedString(const std::string& data);

// "hex:" forms: `prefix` is everything before the first byte
// ("\"name\"=hex(7):"); the bytes follow, wrapped as regedit wraps them.
std::string HexLines(const std::string& prefix, const std::string& bytes);

// ANSI text (the system code page) to UTF-16LE bytes, keeping every zero.
std::string AnsiToUtf16Bytes(const std::string& ansi);

// The whole file: BOM, then the ANSI text converted to UTF-16LE.
std::string RegFileBytes(const std::string& ansiText);

// The first line of every file, with the blank line after it.
extern const char kRegFileHeader[];

} // namespace capture
