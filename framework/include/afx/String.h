// CString: the framework's narrow (ANSI) string, with the members the
// system uses. It converts to LPCTSTR; pass it to printf-style functions as
// (LPCTSTR)s or s.GetString().
#pragma once

#include "afx/Defs.h"

#include <string>

class CString {
public:
    CString() = default;
    CString(LPCTSTR psz) : m_str(psz ? psz : "") {}
    CString(LPCTSTR pch, int nLength) : m_str(pch ? pch : "", pch && nLength > 0 ? nLength : 0) {}
    explicit CString(TCHAR ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}

    CString& operator=(LPCTSTR psz)
    {
        m_str = psz ? psz : "";
        return *this;
    }
    CString& operator=(TCHAR ch)
    {
        m_str.assign(1, ch);
        return *this;
    }

    operator LPCTSTR() const { return m_str.c_str(); }
    LPCTSTR GetString() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    TCHAR GetAt(int nIndex) const { return m_str.at(static_cast<size_t>(nIndex)); }
    void SetAt(int nIndex, TCHAR ch) { m_str.at(static_cast<size_t>(nIndex)) = ch; }
    TCHAR operator[](int nIndex) const { return GetAt(nIndex); }

    CString& operator+=(const CString& s)
    {
        m_str += s.m_str;
        return *this;
    }
    CString& operator+=(LPCTSTR psz)
    {
        if (psz)
            m_str += psz;
        return *this;
    }
    CString& operator+=(TCHAR ch)
    {
        m_str += ch;
        return *this;
    }

    void Format(LPCTSTR pszFormat, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(LPCTSTR pszFormat, ...) __attribute__((format(printf, 2, 3)));

    int Compare(LPCTSTR psz) const;
    int CompareNoCase(LPCTSTR psz) const;

    // Position of the first match at or after iStart, or -1.
    int Find(TCHAR ch, int iStart = 0) const;
    int Find(LPCTSTR pszSub, int iStart = 0) const;
    int ReverseFind(TCHAR ch) const;

    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    int Replace(LPCTSTR pszOld, LPCTSTR pszNew);

    // A writable buffer of at least nMinBufLength characters plus the
    // terminator; ReleaseBuffer(-1) then takes the length up to the first NUL.
    LPTSTR GetBuffer(int nMinBufLength);
    LPTSTR GetBuffer() { return GetBuffer(0); }
    LPTSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);

    const std::string& Str() const { return m_str; }

private:
    std::string m_str;
};

inline CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(const CString& a, LPCTSTR b)
{
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(LPCTSTR a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(const CString& a, TCHAR b)
{
    CString r(a);
    r += b;
    return r;
}

inline bool operator==(const CString& a, const CString& b) { return a.Str() == b.Str(); }
inline bool operator==(const CString& a, LPCTSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCTSTR a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, LPCTSTR b) { return !(a == b); }
inline bool operator!=(LPCTSTR a, const CString& b) { return !(b == a); }
inline bool operator<(const CString& a, const CString& b) { return a.Str() < b.Str(); }
