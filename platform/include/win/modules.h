// kernel32 module calls beyond kernel.h: the library entry point's reasons
// and GetModuleHandleExA.
#pragma once

#include "types.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004

#ifndef ERROR_DLL_INIT_FAILED
#define ERROR_DLL_INIT_FAILED 1114L
#endif

#ifdef __cplusplus
extern "C" {
#endif

// The entry point a library may export; LoadLibraryA calls it with
// DLL_PROCESS_ATTACH on the first load, FreeLibrary with DLL_PROCESS_DETACH
// on the last release.
typedef BOOL(WINAPI* PDLL_MAIN)(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

BOOL WINAPI GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule);

#ifdef __cplusplus
}
#endif

// The names without the A suffix, as the SDK maps them for a program built
// without UNICODE. A member function of one of these names is renamed too.
#define GetModuleHandleEx GetModuleHandleExA
