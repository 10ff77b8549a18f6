// Multibyte string search, comparison and stepping of the C runtime. Both are exact
// and case-sensitive; lead and trail bytes of the ANSI code page are kept
// together, so a match never starts in the middle of a character.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

unsigned char* _mbsstr(const unsigned char* str, const unsigned char* substr);
int _mbscmp(const unsigned char* string1, const unsigned char* string2);
// The start of the character before `current`, never before `start`; null
// when `current` is not after `start`.
unsigned char* _mbsdec(const unsigned char* start, const unsigned char* current);

#ifdef __cplusplus
}
#endif
