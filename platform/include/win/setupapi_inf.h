// SetupAPI: reading INF files (setupapi.dll's INF functions).
//
// Behaviour worth knowing, beyond the Win32 documentation:
// - SetupOpenInfFileA looks a bare file name up in %windir%\INF, then in
//   %windir%\system32; a name with a folder is used as given.
// - INF_STYLE_WIN4 wants a [Version] Signature of "$Windows NT$",
//   "$Chicago$" or "$Windows 95$" (any case). With INF_STYLE_OLDNT in the
//   style, any well-formed file opens. A style with neither bit fails with
//   ERROR_INVALID_PARAMETER.
// - A line written without '=' has no key, except a line of exactly one
//   field, whose field is also its key. Field 0 of a line without a key
//   fails with ERROR_INVALID_PARAMETER.
// - Fields come with %strkey%, %dirid% and %% already substituted; the
//   rules, and which [Strings.xxxx] section is used, are described in
//   platform/inf/StringSubstitution.h.
// - Every function but SetupCloseInfFile sets the last error, NO_ERROR on
//   success. A closed or unknown HINF, in a call or in an INFCONTEXT, fails
//   with ERROR_INVALID_HANDLE; an INFCONTEXT past the file's lines with
//   ERROR_LINE_NOT_FOUND. SetupFindFirstLineA fails with
//   ERROR_LINE_NOT_FOUND for a missing section as for a missing line;
//   SetupGetLineCountA answers -1 and ERROR_SECTION_NOT_FOUND.
#pragma once

#include "errors.h"
#include "types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef PVOID HINF;
typedef INT* PINT;

typedef struct _INFCONTEXT {
    PVOID Inf;
    PVOID CurrentInf;
    DWORD Section;
    DWORD Line;
} INFCONTEXT, *PINFCONTEXT;

// Styles for SetupOpenInfFileA.
#define INF_STYLE_NONE 0x00000000
#define INF_STYLE_OLDNT 0x00000001
#define INF_STYLE_WIN4 0x00000002
#define INF_STYLE_CACHE_ENABLE 0x00000010
#define INF_STYLE_CACHE_DISABLE 0x00000020
#define INF_STYLE_CACHE_IGNORE 0x00000040

// Limits of the INF format.
#define MAX_INF_STRING_LENGTH 4096
#define MAX_INF_SECTION_NAME_LENGTH 255
#define LINE_LEN 256

// Directory identifiers that %dirid% tokens and DestinationDirs name.
#define DIRID_ABSOLUTE (-1)
#define DIRID_NULL 0
#define DIRID_SRCPATH 1
#define DIRID_WINDOWS 10
#define DIRID_SYSTEM 11
#define DIRID_DRIVERS 12
#define DIRID_IOSUBSYS DIRID_DRIVERS
#define DIRID_INF 17
#define DIRID_HELP 18
#define DIRID_FONTS 20
#define DIRID_BOOT 30
#define DIRID_SYSTEM16 50
#define DIRID_PROGRAM_FILES 16422
#define DIRID_COMMON_FILES 16427

// Flags of an AddReg line (field 4). The value's type is the flags masked
// with FLG_ADDREG_TYPE_MASK.
#define FLG_ADDREG_BINVALUETYPE 0x00000001
#define FLG_ADDREG_NOCLOBBER 0x00000002
#define FLG_ADDREG_DELVAL 0x00000004
#define FLG_ADDREG_APPEND 0x00000008
#define FLG_ADDREG_KEYONLY 0x00000010
#define FLG_ADDREG_OVERWRITEONLY 0x00000020
#define FLG_ADDREG_64BITKEY 0x00001000
#define FLG_ADDREG_KEYONLY_COMMON 0x00002000
#define FLG_ADDREG_32BITKEY 0x00004000
#define FLG_ADDREG_TYPE_MASK (0xFFFF0000 | FLG_ADDREG_BINVALUETYPE)
#define FLG_ADDREG_TYPE_SZ 0x00000000
#define FLG_ADDREG_TYPE_MULTI_SZ 0x00010000
#define FLG_ADDREG_TYPE_EXPAND_SZ 0x00020000
#define FLG_ADDREG_TYPE_BINARY (0x00000000 | FLG_ADDREG_BINVALUETYPE)
#define FLG_ADDREG_TYPE_DWORD (0x00010000 | FLG_ADDREG_BINVALUETYPE)
#define FLG_ADDREG_TYPE_NONE (0x00020000 | FLG_ADDREG_BINVALUETYPE)

// SetupAPI's own error codes.
#ifndef APPLICATION_ERROR_MASK
#define APPLICATION_ERROR_MASK 0x20000000
#define ERROR_SEVERITY_ERROR 0xC0000000
#endif
#define ERROR_EXPECTED_SECTION_NAME (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0)
#define ERROR_BAD_SECTION_NAME_LINE (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 1)
#define ERROR_SECTION_NAME_TOO_LONG (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 2)
#define ERROR_GENERAL_SYNTAX (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 3)
#define ERROR_WRONG_INF_STYLE (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x100)
#define ERROR_SECTION_NOT_FOUND (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x101)
#define ERROR_LINE_NOT_FOUND (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x102)
#ifndef ERROR_CLASS_MISMATCH
#define ERROR_CLASS_MISMATCH (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x201)
#endif

HINF WINAPI SetupOpenInfFileA(PCSTR FileName, PCSTR InfClass, DWORD InfStyle, PUINT ErrorLine);
void WINAPI SetupCloseInfFile(HINF InfHandle);

BOOL WINAPI SetupFindFirstLineA(HINF InfHandle, PCSTR Section, PCSTR Key, PINFCONTEXT Context);
BOOL WINAPI SetupFindNextLine(PINFCONTEXT ContextIn, PINFCONTEXT ContextOut);
BOOL WINAPI SetupFindNextMatchLineA(PINFCONTEXT ContextIn, PCSTR Key, PINFCONTEXT ContextOut);
BOOL WINAPI SetupGetLineByIndexA(HINF InfHandle, PCSTR Section, DWORD Index, PINFCONTEXT Context);
LONG WINAPI SetupGetLineCountA(HINF InfHandle, PCSTR Section);
BOOL WINAPI SetupEnumInfSectionsA(HINF InfHandle, UINT Index, PSTR Buffer, UINT Size, UINT* SizeNeeded);

DWORD WINAPI SetupGetFieldCount(PINFCONTEXT Context);
BOOL WINAPI SetupGetStringFieldA(PINFCONTEXT Context, DWORD FieldIndex, PSTR ReturnBuffer, DWORD ReturnBufferSize,
                                 PDWORD RequiredSize);
BOOL WINAPI SetupGetIntField(PINFCONTEXT Context, DWORD FieldIndex, PINT IntegerValue);
BOOL WINAPI SetupGetBinaryField(PINFCONTEXT Context, DWORD FieldIndex, PBYTE ReturnBuffer, DWORD ReturnBufferSize,
                                LPDWORD RequiredSize);
BOOL WINAPI SetupGetMultiSzFieldA(PINFCONTEXT Context, DWORD FieldIndex, PSTR ReturnBuffer, DWORD ReturnBufferSize,
                                  LPDWORD RequiredSize);

#ifdef __cplusplus
}
#endif

// The names without the A suffix, as the SDK maps them for a program built
// without UNICODE. A member function of one of these names is renamed too.
#define SetupEnumInfSections SetupEnumInfSectionsA
#define SetupFindFirstLine SetupFindFirstLineA
#define SetupFindNextMatchLine SetupFindNextMatchLineA
#define SetupGetLineByIndex SetupGetLineByIndexA
#define SetupGetLineCount SetupGetLineCountA
#define SetupGetMultiSzField SetupGetMultiSzFieldA
#define SetupGetStringField SetupGetStringFieldA
#define SetupOpenInfFile SetupOpenInfFileA
