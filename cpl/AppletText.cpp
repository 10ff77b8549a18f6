#include "AppletText.h"

// Entry `nIndex` of a string block: its first character and length, or
// FALSE when the block ends before it.
static BOOL FindBlockEntry(const BYTE* pBlock, DWORD cbBlock, UINT nIndex, const WCHAR** ppText, int* pnLength)
{
    DWORD nOffset = 0;
    for (UINT i = 0; i <= nIndex; ++i) {
        if (nOffset + sizeof(WORD) > cbBlock)
            return FALSE;
        WORD nLength = static_cast<WORD>(pBlock[nOffset] | (pBlock[nOffset + 1] << 8));
        nOffset += sizeof(WORD);
        if (nOffset + nLength * sizeof(WCHAR) > cbBlock)
            return FALSE;
        if (i == nIndex) {
            *ppText = reinterpret_cast<const WCHAR*>(pBlock + nOffset);
            *pnLength = nLength;
            return TRUE;
        }
        nOffset += nLength * sizeof(WCHAR);
    }
    return FALSE;
}

void LoadAppletText(HINSTANCE hInstance, UINT nID, LANGID wLangID, LPSTR lpszField, int cbField)
{
    if (cbField <= 0)
        return;
    lpszField[0] = '\0';

    HRSRC hBlock = FindResourceExA(hInstance, RT_STRING, MAKEINTRESOURCEA(nID / 16 + 1), wLangID);
    if (!hBlock)
        return;
    HGLOBAL hData = LoadResource(hInstance, hBlock);
    const BYTE* pBlock = static_cast<const BYTE*>(LockResource(hData));
    if (!pBlock)
        return;
    const WCHAR* pText = NULL;
    int nLength = 0;
    if (!FindBlockEntry(pBlock, SizeofResource(hInstance, hBlock), nID % 16, &pText, &nLength))
        return;

    // One character at a time, so that a cut never splits a character of
    // the code page; a surrogate pair is one character.
    int nUsed = 0;
    for (int i = 0; i < nLength;) {
        int nUnits = (pText[i] >= 0xD800 && pText[i] <= 0xDBFF && i + 1 < nLength) ? 2 : 1;
        CHAR szChar[8];
        int cbChar = WideCharToMultiByte(CP_THREAD_ACP, 0, pText + i, nUnits, szChar, sizeof(szChar), NULL, NULL);
        if (cbChar <= 0 || nUsed + cbChar > cbField - 1)
            break;
        for (int k = 0; k < cbChar; ++k)
            lpszField[nUsed++] = szChar[k];
        i += nUnits;
    }
    lpszField[nUsed] = '\0';
}
