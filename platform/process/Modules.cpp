// LoadLibraryA, FreeLibrary, GetProcAddress, GetModuleHandleA(ExA) and
// GetModuleFileNameA over the dynamic loader.
#include "process/Modules.h"

#include "core/LastError.h"
#include "core/Machine.h"
#include "core/Paths.h"
#include "process/ImageFiles.h"

#include <win/errors.h>
#include <win/kernel.h>
#include <win/modules.h>

#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <memory>
#include <mutex>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace plat::modules {
namespace {

struct DlCloser {
    void operator()(void* handle) const { dlclose(handle); }
};
using DlHandle = std::unique_ptr<void, DlCloser>;

// A library loaded with LoadLibraryA, with the count of loads that
// FreeLibrary has not yet matched.
struct Library {
    DlHandle handle;
    std::string hostPath;
    int loads = 0;
    bool pinned = false;
};

struct Loader {
    std::recursive_mutex mutex; // DllMain may call back into the loader
    std::map<HMODULE, Library> libraries;
};

Loader& loader()
{
    static Loader* instance = new Loader; // outlives exit handlers that free libraries
    return *instance;
}

thread_local std::string t_lastLoadError;

HMODULE baseOfHandle(void* handle)
{
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map)
        return nullptr;
    return FromAddress(map->l_ld);
}

void* executableHandle()
{
    static void* handle = dlopen(nullptr, RTLD_NOW);
    return handle;
}

std::string executablePath()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

struct LoadedObject {
    HMODULE base;
    std::string path;
};

// Every object the dynamic loader has mapped, with its base and file.
std::vector<LoadedObject> loadedObjects()
{
    std::vector<LoadedObject> objects;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* list = static_cast<std::vector<LoadedObject>*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                if (info->dlpi_phdr[i].p_type != PT_LOAD)
                    continue;
                auto address = reinterpret_cast<const void*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
                HMODULE base = FromAddress(address);
                std::string path = info->dlpi_name ? info->dlpi_name : "";
                if (base && path.empty() && base == Executable())
                    path = executablePath();
                if (base && !path.empty() && path[0] == '/')
                    list->push_back(LoadedObject{base, path});
                break;
            }
            return 0;
        },
        &objects);
    return objects;
}

bool isKernel32Name(const std::string& name)
{
    std::string file = paths::FileNamePart(name);
    return strcasecmp(file.c_str(), "kernel32") == 0 || strcasecmp(file.c_str(), "kernel32.dll") == 0;
}

std::string realPath(const std::string& path)
{
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

HMODULE findLoaded(const std::string& windowsName)
{
    std::vector<std::string> spellings = process::ImageFileNames(windowsName, process::ImageKind::Library);
    std::vector<LoadedObject> objects = loadedObjects();
    for (const std::string& spelling : spellings) {
        if (process::IsBareName(windowsName)) {
            for (const LoadedObject& object : objects) {
                if (strcasecmp(paths::FileNamePart(object.path).c_str(), spelling.c_str()) == 0)
                    return object.base;
            }
            continue;
        }
        std::optional<std::string> host = paths::ToHost(spelling.c_str());
        if (!host)
            continue;
        std::string wanted = realPath(*host);
        for (const LoadedObject& object : objects) {
            if (realPath(object.path) == wanted)
                return object.base;
        }
    }
    return nullptr;
}

DWORD errorOfDlerror(const std::string& message)
{
    if (message.find("undefined symbol") != std::string::npos)
        return ERROR_PROC_NOT_FOUND; // a missing import, as Windows reports it
    if (message.find("cannot open shared object file") != std::string::npos)
        return ERROR_MOD_NOT_FOUND; // a library it depends on is missing
    return ERROR_BAD_EXE_FORMAT;
}

bool callEntryPoint(void* handle, HMODULE module, DWORD reason)
{
    auto entry = reinterpret_cast<PDLL_MAIN>(dlsym(handle, "DllMain"));
    if (!entry || FromAddress(reinterpret_cast<const void*>(entry)) != module)
        return true;
    return entry(reinterpret_cast<HINSTANCE>(module), reason, nullptr) != FALSE;
}

HMODULE load(const std::string& hostPath)
{
    Loader& l = loader();
    std::lock_guard<std::recursive_mutex> lock(l.mutex);
    dlerror();
    DlHandle handle(dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!handle) {
        const char* message = dlerror();
        t_lastLoadError = message ? message : "";
        return FailWith<HMODULE>(errorOfDlerror(t_lastLoadError), nullptr);
    }
    HMODULE module = baseOfHandle(handle.get());
    if (!module) {
        t_lastLoadError = hostPath + ": no image base";
        return FailWith<HMODULE>(ERROR_BAD_EXE_FORMAT, nullptr);
    }
    auto it = l.libraries.find(module);
    if (it != l.libraries.end()) {
        ++it->second.loads; // the new handle closes here; the first one stays
        return module;
    }
    Library& library = l.libraries[module];
    library.hostPath = hostPath;
    library.loads = 1;
    library.handle = std::move(handle);
    if (!callEntryPoint(library.handle.get(), module, DLL_PROCESS_ATTACH)) {
        t_lastLoadError = hostPath + ": DllMain refused DLL_PROCESS_ATTACH";
        l.libraries.erase(module);
        return FailWith<HMODULE>(ERROR_DLL_INIT_FAILED, nullptr);
    }
    return module;
}

} // namespace

HMODULE Executable()
{
    static HMODULE module = baseOfHandle(executableHandle());
    return module;
}

HMODULE FromAddress(const void* address)
{
    Dl_info info;
    if (!address || dladdr(address, &info) == 0 || !info.dli_fbase)
        return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

HMODULE Kernel32()
{
    static char tag;
    return reinterpret_cast<HMODULE>(&tag);
}

std::optional<std::string> HostPath(HMODULE module)
{
    if (!module || module == Kernel32())
        return std::nullopt;
    if (module == Executable())
        return executablePath();
    {
        Loader& l = loader();
        std::lock_guard<std::recursive_mutex> lock(l.mutex);
        if (auto it = l.libraries.find(module); it != l.libraries.end())
            return it->second.hostPath;
    }
    for (const LoadedObject& object : loadedObjects()) {
        if (object.base == module)
            return object.path;
    }
    return std::nullopt;
}

std::string LastLoadError()
{
    return t_lastLoadError;
}

} // namespace plat::modules

using namespace plat;
using namespace plat::modules;

extern "C" HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName)
{
    t_lastLoadError.clear();
    if (!lpLibFileName || !*lpLibFileName)
        return FailWith<HMODULE>(ERROR_INVALID_PARAMETER, nullptr);
    if (isKernel32Name(lpLibFileName))
        return Kernel32();
    DWORD error = 0;
    std::optional<std::string> host = process::FindImage(lpLibFileName, process::ImageKind::Library, &error);
    if (!host)
        return FailWith<HMODULE>(ERROR_MOD_NOT_FOUND, nullptr);
    return load(*host);
}

extern "C" BOOL WINAPI FreeLibrary(HMODULE hLibModule)
{
    if (hLibModule == Kernel32())
        return TRUE;
    Loader& l = loader();
    std::lock_guard<std::recursive_mutex> lock(l.mutex);
    auto it = l.libraries.find(hLibModule);
    if (it == l.libraries.end())
        return Fail(ERROR_INVALID_HANDLE);
    Library& library = it->second;
    if (--library.loads > 0 || library.pinned)
        return TRUE;
    callEntryPoint(library.handle.get(), hLibModule, DLL_PROCESS_DETACH);
    l.libraries.erase(it);
    return TRUE;
}

extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName)
{
    if (!lpModuleName)
        return Executable();
    if (isKernel32Name(lpModuleName))
        return Kernel32();
    if (HMODULE module = findLoaded(lpModuleName))
        return module;
    return FailWith<HMODULE>(ERROR_MOD_NOT_FOUND, nullptr);
}

extern "C" BOOL WINAPI GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule)
{
    if (!phModule)
        return Fail(ERROR_INVALID_PARAMETER);
    *phModule = nullptr;
    if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) && (dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT))
        return Fail(ERROR_INVALID_PARAMETER);
    HMODULE module = (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) ? FromAddress(lpModuleName)
                                                                        : GetModuleHandleA(lpModuleName);
    if (!module)
        return Fail(ERROR_MOD_NOT_FOUND);
    if (!(dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)) {
        Loader& l = loader();
        std::lock_guard<std::recursive_mutex> lock(l.mutex);
        if (auto it = l.libraries.find(module); it != l.libraries.end()) {
            if (dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN)
                it->second.pinned = true;
            else
                ++it->second.loads;
        }
    }
    *phModule = module;
    return TRUE;
}

extern "C" DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    if (!hModule)
        hModule = Executable();
    std::string name;
    if (hModule == Kernel32()) {
        const Machine* machine = CurrentMachine();
        name = (machine ? machine->WindowsDirectory() : std::string("C:\\Windows")) + "\\System32\\kernel32.dll";
    } else {
        std::optional<std::string> host = HostPath(hModule);
        if (!host)
            return FailWith<DWORD>(ERROR_MOD_NOT_FOUND, 0);
        name = paths::ToWindows(*host);
        // Windows images always have an extension; a Linux program has none.
        if (hModule == Executable() && paths::FileNamePart(name).find('.') == std::string::npos)
            name += ".exe";
    }
    if (!lpFilename || nSize == 0)
        return FailWith<DWORD>(ERROR_INSUFFICIENT_BUFFER, 0);
    if (name.size() >= nSize) {
        std::memcpy(lpFilename, name.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        return FailWith<DWORD>(ERROR_INSUFFICIENT_BUFFER, nSize);
    }
    std::memcpy(lpFilename, name.c_str(), name.size() + 1);
    return static_cast<DWORD>(name.size());
}

extern "C" FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    if (!lpProcName || IS_INTRESOURCE(lpProcName))
        return FailWith<FARPROC>(ERROR_PROC_NOT_FOUND, nullptr); // exports by ordinal are not kept
    if (hModule == Kernel32()) {
        if (FARPROC proc = Kernel32Export(lpProcName))
            return proc;
        return FailWith<FARPROC>(ERROR_PROC_NOT_FOUND, nullptr);
    }
    if (!hModule)
        hModule = Executable();
    void* symbol = nullptr;
    if (hModule == Executable()) {
        symbol = dlsym(executableHandle(), lpProcName);
    } else {
        Loader& l = loader();
        std::unique_lock<std::recursive_mutex> lock(l.mutex);
        if (auto it = l.libraries.find(hModule); it != l.libraries.end()) {
            symbol = dlsym(it->second.handle.get(), lpProcName);
        } else {
            lock.unlock();
            std::optional<std::string> host = HostPath(hModule);
            if (!host)
                return FailWith<FARPROC>(ERROR_MOD_NOT_FOUND, nullptr);
            DlHandle handle(dlopen(host->c_str(), RTLD_LAZY | RTLD_NOLOAD));
            if (handle)
                symbol = dlsym(handle.get(), lpProcName);
        }
    }
    // Only the module's own exports count, not those of the libraries it uses.
    if (!symbol || FromAddress(symbol) != hModule)
        return FailWith<FARPROC>(ERROR_PROC_NOT_FOUND, nullptr);
    return reinterpret_cast<FARPROC>(symbol);
}
