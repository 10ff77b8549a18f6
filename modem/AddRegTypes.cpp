#include "AddRegTypes.h"

namespace {

const CAddRegType kAddRegTypes[] = {
    {FLG_ADDREG_TYPE_SZ, REG_SZ, "Error: FLG_ADDREG_TYPE_SZ Type mismatch"},
    {FLG_ADDREG_TYPE_BINARY, REG_BINARY, "Error: FLG_ADDREG_TYPE_BINARY Type mismatch"},
    {FLG_ADDREG_TYPE_MULTI_SZ, REG_MULTI_SZ, "Error: FLG_ADDREG_TYPE_MULTI_SZ Type mismatch"},
    {FLG_ADDREG_TYPE_DWORD, REG_DWORD, "Error: FLG_ADDREG_TYPE_DWORD Type mismatch"},
    {FLG_ADDREG_TYPE_EXPAND_SZ, REG_EXPAND_SZ, "Error: FLG_ADDREG_TYPE_EXPAND_SZ Type mismatch"},
    {FLG_ADDREG_TYPE_NONE, REG_NONE, "Error: FLG_ADDREG_TYPE_NONE Type mismatch"},
};

} // namespace

const CAddRegType* FindAddRegType(DWORD dwFlags)
{
    DWORD dwMasked = dwFlags & FLG_ADDREG_TYPE_MASK;
    for (const CAddRegType& type : kAddRegTypes) {
        if (type.m_dwFlags == dwMasked)
            return &type;
    }
    return NULL;
}

DWORD ReadAddRegData(PINFCONTEXT pLine, const CAddRegType& type, BYTE* pData, DWORD cbData)
{
    DWORD cbRequired = 0;
    switch (type.m_dwRegType) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        if (!SetupGetStringFieldA(pLine, 5, (PSTR)pData, cbData, &cbRequired))
            return 0;
        return cbRequired;
    case REG_MULTI_SZ:
        if (!SetupGetMultiSzFieldA(pLine, 5, (PSTR)pData, cbData, &cbRequired))
            return 0;
        return cbRequired;
    case REG_BINARY:
    case REG_NONE:
        if (!SetupGetBinaryField(pLine, 5, pData, cbData, &cbRequired))
            return 0;
        return cbRequired;
    case REG_DWORD: {
        INT nValue = 0;
        if (cbData < 4 || !SetupGetIntField(pLine, 5, &nValue))
            return 0;
        DWORD dwValue = (DWORD)nValue;
        pData[0] = (BYTE)(dwValue & 0xFF);
        pData[1] = (BYTE)((dwValue >> 8) & 0xFF);
        pData[2] = (BYTE)((dwValue >> 16) & 0xFF);
        pData[3] = (BYTE)((dwValue >> 24) & 0xFF);
        return 4;
    }
    default:
        return 0;
    }
}
