// Basic definitions of the application framework: narrow text macros,
// debugging macros that compile to nothing, and COM result codes.
#pragma once

#include <windows.h>

#ifndef _T
typedef char TCHAR;
typedef char* LPTSTR;
typedef const char* LPCTSTR;
#define _T(x) x
#define _TEXT(x) x
#endif

#define afx_msg
#define AFX_MSG_CALL

// Debug output is off: TRACE("x=%d", x) compiles to nothing and evaluates
// no argument.
#define TRACE(...) ((void)0)
#define TRACE0(text) ((void)0)
#define ASSERT(expr) ((void)0)
#define VERIFY(expr) ((void)(expr))
#define ASSERT_VALID(obj) ((void)0)
#define UNUSED_ALWAYS(x) ((void)(x))

#ifndef S_OK
#define S_OK ((HRESULT)0L)
#define S_FALSE ((HRESULT)1L)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif

// Standard command ids of the framework.
#define ID_HELP 0xE146
