// SHGetFolderPathA for the user's application data folders. The local one
// is the machine's writable folder behind <profile>\AppData\Local; the
// roaming one (<profile>\AppData\Roaming) lies on the profile's drive.
#include "core/LastError.h"
#include "core/Machine.h"
#include "core/Paths.h"

#include <shlobj.h>
#include <win/errors.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

using namespace plat;

extern "C" HRESULT WINAPI SHGetFolderPathA(HWND, int csidl, HANDLE, DWORD dwFlags, LPSTR pszPath)
{
    if (!pszPath)
        return E_INVALIDARG;
    *pszPath = '\0';
    const Machine* machine = CurrentMachine();
    if (!machine || (dwFlags != SHGFP_TYPE_CURRENT && dwFlags != SHGFP_TYPE_DEFAULT))
        return E_INVALIDARG;
    std::string folder;
    switch (csidl & ~CSIDL_FLAG_MASK) {
    case CSIDL_LOCAL_APPDATA: {
        folder = machine->LocalAppData();
        // Every user profile has the folder, made when the user first logs on.
        if (std::optional<std::string> host = paths::ToHost(folder.c_str())) {
            std::error_code ignored;
            std::filesystem::create_directories(*host, ignored);
        }
        break;
    }
    case CSIDL_APPDATA: folder = machine->UserProfile() + "\\AppData\\Roaming"; break;
    default: return E_INVALIDARG;
    }
    if (folder.size() >= MAX_PATH)
        return E_FAIL;
    std::memcpy(pszPath, folder.c_str(), folder.size() + 1);
    return S_OK;
}
