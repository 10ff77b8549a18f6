// WideCharToMultiByte, MultiByteToWideChar, GetACP and IsDBCSLeadByte(Ex).
#include "core/LastError.h"
#include "core/CodePages.h"

#include <win/errors.h>
#include <win/kernel.h>
#include <win/resources.h>

#include <cstring>

using namespace plat;

namespace {

constexpr DWORD kWideFlags =
    WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS;

// Copies the result or reports its size; 0 with ERROR_INSUFFICIENT_BUFFER
// when it does not fit.
template <typename Char>
int deliver(const std::basic_string<Char>& result, Char* out, int capacity)
{
    if (capacity == 0)
        return static_cast<int>(result.size());
    if (result.size() > static_cast<size_t>(capacity))
        return FailWith<int>(ERROR_INSUFFICIENT_BUFFER, 0);
    std::memcpy(out, result.data(), result.size() * sizeof(Char));
    return static_cast<int>(result.size());
}

} // namespace

extern "C" int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                                          LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                                          LPBOOL lpUsedDefaultChar)
{
    UINT page = codepages::Resolve(CodePage);
    if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && !lpMultiByteStr) || !codepages::IsSupported(page))
        return FailWith<int>(ERROR_INVALID_PARAMETER, 0);
    bool utf8 = page == codepages::kUtf8;
    if (utf8 && (lpDefaultChar || lpUsedDefaultChar))
        return FailWith<int>(ERROR_INVALID_PARAMETER, 0);
    if (utf8 ? (dwFlags & ~DWORD{WC_ERR_INVALID_CHARS}) != 0 : (dwFlags & ~kWideFlags) != 0)
        return FailWith<int>(ERROR_INVALID_FLAGS, 0);

    size_t length = cchWideChar == -1 ? std::char_traits<char16_t>::length(lpWideCharStr) + 1
                                      : static_cast<size_t>(cchWideChar);
    std::string defaultChar = "?";
    if (lpDefaultChar && *lpDefaultChar) {
        bool pair = codepages::IsLeadByte(page, static_cast<unsigned char>(lpDefaultChar[0])) && lpDefaultChar[1];
        defaultChar.assign(lpDefaultChar, pair ? 2 : 1);
    }
    codepages::Encoded encoded = codepages::Encode(page, std::u16string_view(lpWideCharStr, length), defaultChar);
    if (utf8 && encoded.invalid && (dwFlags & WC_ERR_INVALID_CHARS))
        return FailWith<int>(ERROR_NO_UNICODE_TRANSLATION, 0);
    if (lpUsedDefaultChar)
        *lpUsedDefaultChar = encoded.usedDefault ? TRUE : FALSE;
    return deliver(encoded.bytes, lpMultiByteStr, cbMultiByte);
}

extern "C" int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                                          LPWSTR lpWideCharStr, int cchWideChar)
{
    UINT page = codepages::Resolve(CodePage);
    if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && !lpWideCharStr) || !codepages::IsSupported(page))
        return FailWith<int>(ERROR_INVALID_PARAMETER, 0);
    bool utf8 = page == codepages::kUtf8;
    if (utf8 ? (dwFlags & ~DWORD{MB_ERR_INVALID_CHARS}) != 0
             : (dwFlags & ~DWORD{MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS}) != 0 ||
                   ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE)))
        return FailWith<int>(ERROR_INVALID_FLAGS, 0);

    size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    codepages::Decoded decoded = codepages::Decode(page, std::string_view(lpMultiByteStr, length));
    if (decoded.invalid && (dwFlags & MB_ERR_INVALID_CHARS))
        return FailWith<int>(ERROR_NO_UNICODE_TRANSLATION, 0);
    return deliver(decoded.text, lpWideCharStr, cchWideChar);
}

extern "C" UINT WINAPI GetACP(void)
{
    return codepages::SystemAnsiCodePage();
}

extern "C" BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar)
{
    return codepages::IsLeadByte(CodePage, TestChar) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI IsDBCSLeadByte(BYTE TestChar)
{
    return IsDBCSLeadByteEx(CP_ACP, TestChar);
}
