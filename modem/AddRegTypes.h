// The value types an AddReg line can name, and how the line's data field
// is read for each of them.
#pragma once

#include <windows.h>
#include <setupapi.h>

struct CAddRegType {
    DWORD m_dwFlags;            // the line's flags masked with FLG_ADDREG_TYPE_MASK
    DWORD m_dwRegType;          // the registry type the value must have
    const char* m_pszMismatch;  // trace line when the registry holds another type
};

// The row for an AddReg line's flags (all flag bits outside the type mask
// are ignored); null when the flags name no known type.
const CAddRegType* FindAddRegType(DWORD dwFlags);

// Reads the line's data, field 5 on, in the form the registry holds it
// (strings with their terminating zero, a multi-string with its final
// zero, a DWORD as 4 little-endian bytes). Returns its length, or 0 when
// the line has no data field or the data do not fit in cbData bytes.
DWORD ReadAddRegData(PINFCONTEXT pLine, const CAddRegType& type, BYTE* pData, DWORD cbData);
