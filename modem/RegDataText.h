// Registry data written as one line of text for the trace log.
#pragma once

#include <windows.h>

// Writes cbData bytes of data of registry type dwType into pszText (room
// for cchText characters including the terminator); reads nothing beyond
// pData + cbData, whether or not the data end in a zero.
// - REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ: the characters as they are. The
//   final byte, when it is a zero, is the terminator and is left out; any
//   other zero is written "\0" (so a multi-string shows where each of its
//   strings ends: "Data\0Fax\0Voice\0"), and other control characters are
//   written "\xNN", so the text stays on one line.
// - Every other type (REG_BINARY, REG_NONE, REG_DWORD...): the bytes in
//   hexadecimal, separated by blanks: "01 02 0A".
// Text that does not fit is cut and ends in "...".
void FormatRegData(DWORD dwType, const BYTE* pData, DWORD cbData, char* pszText, size_t cchText);

// Room for any data of up to 1024 bytes, in either form.
#define REG_DATA_TEXT_LEN (4 * 1024 + 4)
