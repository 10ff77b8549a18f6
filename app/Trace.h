// The process-wide trace log: one plain-text file of one-line entries,
// "HH:MM:SS_mmm_TID: text" ending in CR LF, written by any thread.
#pragma once

// Chooses the file's base name (the file is "<name>.trc" in the current
// directory); the next line that passes the filter creates it anew.
void TraceSetName(const char* name);

// Sets the level filter: a line of level L is written when 0 < L <= filter;
// 0 or a negative level switches logging off.
void TraceSetLevel(int level);

// Formats and appends one line (printf-style). Never fails visibly.
void TraceWrite(int level, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
