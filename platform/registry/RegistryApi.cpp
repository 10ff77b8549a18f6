// advapi32's registry functions over the loaded, read-only registry. The
// Reg* functions report through their LONG result and leave the thread's
// last error alone, as Windows' do.
#include "core/CodePages.h"
#include "registry/AnsiText.h"
#include "registry/KeyHandles.h"

#include <win/errors.h>
#include <win/kernel.h>
#include <win/registry.h>

#include <cstring>

using plat::registry::OpenKey;
using plat::registry::RegValue;
namespace keys = plat::registry::keys;

namespace {

// Rights that would let a handle change the registry.
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC |
                                WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// The rights a read-only key grants for `desired`; false when a write right
// is asked for.
bool grantedAccess(REGSAM desired, REGSAM* granted)
{
    desired &= ~static_cast<REGSAM>(KEY_WOW64_RES);
    if (desired & kWriteRights)
        return false;
    REGSAM rights = desired & (KEY_READ | SYNCHRONIZE);
    if (desired & (GENERIC_READ | GENERIC_EXECUTE | MAXIMUM_ALLOWED))
        rights |= KEY_READ;
    *granted = rights;
    return true;
}

// Splits an ANSI subkey path into UTF-8 names. The path is converted from
// the code page first, as Windows converts it, so that a trail byte equal
// to '\' is no separator. A leading '\' is refused as on Windows; a
// trailing '\' and doubled '\' are passed over.
LSTATUS splitPath(LPCSTR subKey, std::vector<std::string>* elements)
{
    if (!subKey)
        return ERROR_SUCCESS;
    std::string utf8 = plat::codepages::FromMachineAnsi(subKey);
    std::string_view path = utf8;
    if (!path.empty() && path.front() == '\\')
        return ERROR_BAD_PATHNAME;
    while (!path.empty()) {
        size_t slash = path.find('\\');
        std::string_view element = path.substr(0, slash);
        if (!element.empty())
            elements->emplace_back(element);
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    return ERROR_SUCCESS;
}

bool isTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A value's data as the "A" functions return it: text in the ANSI code page.
std::string ansiData(const RegValue& value)
{
    if (isTextType(value.type))
        return plat::registry::Utf16BytesToMachineAnsi(value.data.data(), value.data.size());
    return std::string(value.data.begin(), value.data.end());
}

// Copies value data into a caller's buffer under Win32's size rules: a null
// buffer asks for the size; a short one gets ERROR_MORE_DATA and the size.
LSTATUS copyData(const RegValue& value, LPBYTE data, LPDWORD size)
{
    std::string bytes = ansiData(value);
    DWORD needed = static_cast<DWORD>(bytes.size());
    if (data) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, bytes.data(), bytes.size());
        // Windows ends unterminated text with a NUL when there is room,
        // without counting it.
        if (isTextType(value.type) && needed < *size && (needed == 0 || bytes.back() != '\0'))
            data[needed] = 0;
    }
    if (size)
        *size = needed;
    return ERROR_SUCCESS;
}

// Copies an ANSI name into a buffer of *chars characters (terminator
// included); on success *chars becomes the name's length.
LSTATUS copyName(const std::string& name, LPSTR buffer, LPDWORD chars)
{
    if (*chars <= name.size())
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *chars = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Keys carry no class string.
LSTATUS copyEmptyClass(LPSTR lpClass, LPDWORD lpcchClass)
{
    if (lpClass && !lpcchClass)
        return ERROR_INVALID_PARAMETER;
    if (lpClass) {
        if (*lpcchClass < 1)
            return ERROR_MORE_DATA;
        lpClass[0] = '\0';
    }
    if (lpcchClass)
        *lpcchClass = 0;
    return ERROR_SUCCESS;
}

// Every call that would change the registry: the handle is checked, then
// the change refused.
LSTATUS refuseWrite(HKEY hKey)
{
    return keys::Get(hKey) ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE;
}

} // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult)
{
    (void)ulOptions; // REG_OPTION_OPEN_LINK: the registry holds no links
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::shared_ptr<const OpenKey> parent = keys::Get(hKey);
    if (!parent)
        return ERROR_INVALID_HANDLE;
    std::vector<std::string> path;
    if (LSTATUS status = splitPath(lpSubKey, &path); status != ERROR_SUCCESS)
        return status;
    std::vector<const plat::registry::KeyNode*> layers = parent->FindSubkey(path);
    // A predefined key with nothing behind it (HKEY_CLASSES_ROOT of an
    // empty registry) still opens as itself.
    if (layers.empty() && !(path.empty() && keys::IsPredefined(hKey)))
        return ERROR_FILE_NOT_FOUND;
    REGSAM granted = 0;
    if (!grantedAccess(samDesired, &granted))
        return ERROR_ACCESS_DENIED;
    *phkResult = keys::Insert(std::make_shared<const OpenKey>(parent->Owner(), std::move(layers), granted));
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    if (!lpSubKey || !*lpSubKey) {
        // No subkey: the same handle comes back, as on Windows.
        if (!keys::Get(hKey)) {
            *phkResult = nullptr;
            return ERROR_INVALID_HANDLE;
        }
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return RegOpenKeyExA(hKey, lpSubKey, 0, MAXIMUM_ALLOWED, phkResult);
}

LSTATUS WINAPI RegCloseKey(HKEY hKey)
{
    if (keys::IsPredefined(hKey))
        return ERROR_SUCCESS;
    return keys::Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData)
{
    std::shared_ptr<const OpenKey> key = keys::Get(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    if (!(key->Access() & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    const RegValue* value = key->FindValue(plat::codepages::FromMachineAnsi(lpValueName ? lpValueName : ""));
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (lpType)
        *lpType = value->type;
    return copyData(*value, lpData, lpcbData);
}

LSTATUS WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    std::shared_ptr<const OpenKey> key = keys::Get(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    if (!(key->Access() & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    const auto& values = key->Values();
    if (dwIndex >= values.size())
        return ERROR_NO_MORE_ITEMS;
    const RegValue& value = *values[dwIndex];
    if (lpType)
        *lpType = value.type;

    // The data's size is reported even when the name does not fit; neither
    // the name nor the data is written unless both fit.
    std::string name = plat::codepages::ToMachineAnsi(value.name);
    DWORD dataSize = static_cast<DWORD>(ansiData(value).size());
    bool nameFits = *lpcchValueName > name.size();
    bool dataFits = !lpData || *lpcbData >= dataSize;
    if (!nameFits || !dataFits) {
        if (lpcbData)
            *lpcbData = dataSize;
        return ERROR_MORE_DATA;
    }
    copyName(name, lpValueName, lpcchValueName);
    return copyData(value, lpData, lpcbData);
}

LSTATUS WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                             LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    std::shared_ptr<const OpenKey> key = keys::Get(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    if (!(key->Access() & KEY_ENUMERATE_SUB_KEYS))
        return ERROR_ACCESS_DENIED;
    const auto& subkeys = key->Subkeys();
    if (dwIndex >= subkeys.size())
        return ERROR_NO_MORE_ITEMS;
    std::string name = plat::codepages::ToMachineAnsi(subkeys[dwIndex]->Name());
    if (*lpcchName <= name.size())
        return ERROR_MORE_DATA;
    if (LSTATUS status = copyEmptyClass(lpClass, lpcchClass); status != ERROR_SUCCESS)
        return status;
    copyName(name, lpName, lpcchName);
    if (lpftLastWriteTime)
        *lpftLastWriteTime = key->Owner()->LoadTime();
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName)
{
    return RegEnumKeyExA(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

LSTATUS WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime)
{
    std::shared_ptr<const OpenKey> key = keys::Get(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (lpReserved)
        return ERROR_INVALID_PARAMETER;
    if (!(key->Access() & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    if (LSTATUS status = copyEmptyClass(lpClass, lpcchClass); status != ERROR_SUCCESS)
        return status;

    // Longest names in characters without the terminator; longest data in
    // bytes as stored, which is never less than what the "A" calls return.
    DWORD maxSubkey = 0, maxValueName = 0, maxData = 0;
    for (const auto* node : key->Subkeys())
        maxSubkey = std::max(maxSubkey, static_cast<DWORD>(plat::codepages::ToMachineAnsi(node->Name()).size()));
    for (const RegValue* value : key->Values()) {
        maxValueName = std::max(maxValueName, static_cast<DWORD>(plat::codepages::ToMachineAnsi(value->name).size()));
        maxData = std::max(maxData, static_cast<DWORD>(value->data.size()));
    }
    if (lpcSubKeys)
        *lpcSubKeys = static_cast<DWORD>(key->Subkeys().size());
    if (lpcbMaxSubKeyLen)
        *lpcbMaxSubKeyLen = maxSubkey;
    if (lpcbMaxClassLen)
        *lpcbMaxClassLen = 0;
    if (lpcValues)
        *lpcValues = static_cast<DWORD>(key->Values().size());
    if (lpcbMaxValueNameLen)
        *lpcbMaxValueNameLen = maxValueName;
    if (lpcbMaxValueLen)
        *lpcbMaxValueLen = maxData;
    if (lpcbSecurityDescriptor)
        *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime)
        *lpftLastWriteTime = key->Owner()->LoadTime();
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR, DWORD, DWORD, const BYTE*, DWORD)
{
    return refuseWrite(hKey);
}

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, const LPSECURITY_ATTRIBUTES,
                               PHKEY phkResult, LPDWORD)
{
    if (phkResult)
        *phkResult = nullptr;
    return refuseWrite(hKey);
}

LSTATUS WINAPI RegCreateKeyA(HKEY hKey, LPCSTR, PHKEY phkResult)
{
    if (phkResult)
        *phkResult = nullptr;
    return refuseWrite(hKey);
}

LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR)
{
    return refuseWrite(hKey);
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR)
{
    return refuseWrite(hKey);
}

} // extern "C"
