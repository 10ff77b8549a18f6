// The applet's texts: strings of its string table in a given language,
// converted to the ANSI code page and fitted into a fixed field.
#pragma once

#include <windows.h>

// Loads string `nID` in `wLangID` from the module's RT_STRING block into
// `lpszField` of `cbField` bytes. A text longer than the field is cut at a
// character boundary of the code page; the field is always NUL-terminated.
// Without the block, or with an empty entry, the field is empty.
void LoadAppletText(HINSTANCE hInstance, UINT nID, LANGID wLangID, LPSTR lpszField, int cbField);
