#include "RegDataText.h"

#include <stdio.h>
#include <string.h>

namespace {

int IsTextType(DWORD dwType)
{
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ;
}

// Appends one piece to the text; 0 once the text is full.
int Append(char* pszText, size_t cchText, size_t* pnUsed, const char* pszPiece)
{
    size_t nPiece = strlen(pszPiece);
    if (*pnUsed + nPiece + 1 > cchText)
        return 0;
    memcpy(pszText + *pnUsed, pszPiece, nPiece + 1);
    *pnUsed += nPiece;
    return 1;
}

void Ellipsis(char* pszText, size_t cchText, size_t nUsed)
{
    if (cchText < 4)
        return;
    if (nUsed > cchText - 4)
        nUsed = cchText - 4;
    memcpy(pszText + nUsed, "...", 4);
}

} // namespace

void FormatRegData(DWORD dwType, const BYTE* pData, DWORD cbData, char* pszText, size_t cchText)
{
    if (cchText == 0)
        return;
    pszText[0] = '\0';
    size_t nUsed = 0;
    int bText = IsTextType(dwType);
    DWORD cbShown = cbData;
    if (bText && cbShown > 0 && pData[cbShown - 1] == 0)
        --cbShown;
    for (DWORD i = 0; i < cbShown; ++i) {
        char szPiece[8];
        BYTE b = pData[i];
        if (!bText)
            snprintf(szPiece, sizeof(szPiece), i == 0 ? "%02X" : " %02X", b);
        else if (b == 0)
            strcpy(szPiece, "\\0");
        else if (b < 0x20 || b == 0x7F)
            snprintf(szPiece, sizeof(szPiece), "\\x%02X", b);
        else {
            szPiece[0] = (char)b;
            szPiece[1] = '\0';
        }
        if (!Append(pszText, cchText, &nUsed, szPiece)) {
            Ellipsis(pszText, cchText, nUsed);
            return;
        }
    }
}
