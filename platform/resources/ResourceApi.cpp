// FindResourceA/ExA, LoadResource, LockResource, SizeofResource,
// FreeResource and LoadStringA.
#include "resources/ResourceApi.h"

#include "core/LastError.h"
#include "process/Modules.h"
#include "core/CodePages.h"
#include "resources/ModuleResources.h"
#include "resources/StringBlock.h"

#include <win/errors.h>
#include <win/resources.h>

#include <cctype>
#include <cstring>

namespace plat::resources {

ResName NameOf(LPCSTR name)
{
    ResName result;
    if (IS_INTRESOURCE(name)) {
        result.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
        return result;
    }
    if (name[0] == '#' && name[1] != '\0') {
        unsigned long value = 0;
        const char* p = name + 1;
        for (; std::isdigit(static_cast<unsigned char>(*p)) && value <= 0xFFFF; ++p)
            value = value * 10 + static_cast<unsigned long>(*p - '0');
        if (*p == '\0' && value <= 0xFFFF) {
            result.id = static_cast<WORD>(value);
            return result;
        }
    }
    result.name = codepages::Decode(codepages::SystemAnsiCodePage(), name).text;
    return result;
}

HMODULE ModuleOrExecutable(HMODULE module)
{
    return module ? module : modules::Executable();
}

} // namespace plat::resources

using namespace plat;
using namespace plat::resources;

extern "C" HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage)
{
    if (!lpType || !lpName)
        return FailWith<HRSRC>(ERROR_INVALID_PARAMETER, nullptr);
    DWORD error = 0;
    const ResEntry* entry = Find(ModuleOrExecutable(hModule), NameOf(lpType), NameOf(lpName), wLanguage, &error);
    if (!entry)
        return FailWith<HRSRC>(error, nullptr);
    return reinterpret_cast<HRSRC>(const_cast<ResEntry*>(entry));
}

extern "C" HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType)
{
    return FindResourceExA(hModule, lpType, lpName, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

extern "C" HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo)
{
    auto entry = reinterpret_cast<const ResEntry*>(hResInfo);
    if (!Owns(ModuleOrExecutable(hModule), entry))
        return FailWith<HGLOBAL>(ERROR_INVALID_HANDLE, nullptr);
    return const_cast<BYTE*>(entry->data);
}

extern "C" LPVOID WINAPI LockResource(HGLOBAL hResData)
{
    return hResData; // resources are mapped with their image
}

extern "C" DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo)
{
    auto entry = reinterpret_cast<const ResEntry*>(hResInfo);
    if (!Owns(ModuleOrExecutable(hModule), entry))
        return FailWith<DWORD>(ERROR_INVALID_HANDLE, 0);
    return entry->size;
}

extern "C" BOOL WINAPI FreeResource(HGLOBAL)
{
    return FALSE; // nothing to free: the resource lives as long as its module
}

extern "C" int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax)
{
    if (!lpBuffer || cchBufferMax <= 0)
        return FailWith<int>(ERROR_INVALID_PARAMETER, 0);
    lpBuffer[0] = '\0';
    HRSRC block = FindResourceA(hInstance, MAKEINTRESOURCEA(StringBlockOf(uID)), RT_STRING);
    if (!block)
        return 0; // FindResourceA has set the error
    auto entry = reinterpret_cast<const ResEntry*>(block);
    std::optional<std::u16string> text = StringInBlock(entry->data, entry->size, uID % 16);
    if (!text || text->empty())
        return FailWith<int>(ERROR_RESOURCE_NAME_NOT_FOUND, 0);
    UINT codePage = codepages::SystemAnsiCodePage();
    std::string ansi = codepages::Encode(codePage, *text, "?").bytes;
    size_t length = codepages::CharBoundary(codePage, ansi, static_cast<size_t>(cchBufferMax) - 1);
    std::memcpy(lpBuffer, ansi.data(), length);
    lpBuffer[length] = '\0';
    return static_cast<int>(length);
}
