// Control Panel applets: the messages a Control Panel host sends to an
// applet library's CPlApplet entry point, and the structures it fills.
// The structures are byte-packed, as Windows declares them.
#pragma once

#include "win/types.h"

#define WM_CPL_LAUNCH (0x0400 + 1000)
#define WM_CPL_LAUNCHED (0x0400 + 1001)

#define CPL_DYNAMIC_RES 0

#define CPL_INIT 1
#define CPL_GETCOUNT 2
#define CPL_INQUIRE 3
#define CPL_SELECT 4
#define CPL_DBLCLK 5
#define CPL_STOP 6
#define CPL_EXIT 7
#define CPL_NEWINQUIRE 8
#define CPL_STARTWPARMSA 9
#define CPL_STARTWPARMSW 10
#define CPL_STARTWPARMS CPL_STARTWPARMSA
#define CPL_SETUP 200

#pragma pack(push, 1)

typedef struct tagCPLINFO {
    int idIcon;
    int idName;
    int idInfo;
    LONG_PTR lData;
} CPLINFO, *LPCPLINFO;

typedef struct tagNEWCPLINFOA {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHelpContext;
    LONG_PTR lData;
    HICON hIcon;
    CHAR szName[32];
    CHAR szInfo[64];
    CHAR szHelpFile[128];
} NEWCPLINFOA, *LPNEWCPLINFOA;

typedef struct tagNEWCPLINFOW {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHelpContext;
    LONG_PTR lData;
    HICON hIcon;
    WCHAR szName[32];
    WCHAR szInfo[64];
    WCHAR szHelpFile[128];
} NEWCPLINFOW, *LPNEWCPLINFOW;

#pragma pack(pop)

typedef NEWCPLINFOA NEWCPLINFO;
typedef LPNEWCPLINFOA LPNEWCPLINFO;

// The applet library's entry point, exported as "CPlApplet". Its result is
// a 32-bit LONG on every architecture.
typedef LONG(APIENTRY* APPLET_PROC)(HWND hwndCpl, UINT msg, LPARAM lParam1, LPARAM lParam2);

#ifdef __cplusplus
static_assert(sizeof(CPLINFO) == 12 + sizeof(LONG_PTR), "CPLINFO is byte-packed");
static_assert(sizeof(NEWCPLINFOA) == 236 + 2 * sizeof(void*), "NEWCPLINFOA is byte-packed (252 bytes on 64 bits)");
static_assert(sizeof(NEWCPLINFOW) == 460 + 2 * sizeof(void*), "NEWCPLINFOW is byte-packed");
#endif
