#include "cplhost/AppletHost.h"

#include "cplhost/ElfExports.h"
#include "process/Modules.h"

#include <win/errors.h>
#include <win/kernel.h>
#include <win/resources.h>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace plat::cplhost {
namespace {

std::string fieldText(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

std::string loadString(HMODULE module, int id)
{
    char buffer[256];
    int n = LoadStringA(module, static_cast<UINT>(id), buffer, sizeof(buffer));
    return std::string(buffer, static_cast<size_t>(n > 0 ? n : 0));
}

} // namespace

std::unique_ptr<AppletLibrary> AppletLibrary::Load(const std::string& path, std::string* error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        std::string reason = modules::LastLoadError();
        *error = "cannot be loaded (error " + std::to_string(GetLastError()) + ")" +
                 (reason.empty() ? "" : ": " + reason);
        return nullptr;
    }
    // Through void(*)(), the type GCC accepts between unrelated function types.
    auto proc = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void (*)()>(GetProcAddress(module, "CPlApplet")));
    if (!proc) {
        FreeLibrary(module);
        *error = "exports no CPlApplet";
        return nullptr;
    }
    if (proc(nullptr, CPL_INIT, 0, 0) == 0) {
        FreeLibrary(module);
        *error = "refused CPL_INIT";
        return nullptr;
    }
    auto library = std::make_unique<AppletLibrary>(Key{}, module, proc, path);
    library->Inquire();
    return library;
}

AppletLibrary::AppletLibrary(Key, HMODULE module, APPLET_PROC proc, std::string path)
    : m_module(module), m_proc(proc), m_path(std::move(path))
{
}

AppletLibrary::~AppletLibrary()
{
    for (size_t i = 0; i < m_applets.size(); ++i)
        m_proc(nullptr, CPL_STOP, static_cast<LPARAM>(i), m_applets[i].data);
    m_proc(nullptr, CPL_EXIT, 0, 0);
    FreeLibrary(m_module);
}

void AppletLibrary::Inquire()
{
    LONG_PTR count = m_proc(nullptr, CPL_GETCOUNT, 0, 0);
    for (LONG_PTR i = 0; i < count; ++i) {
        AppletInfo applet;
        NEWCPLINFOA info;
        std::memset(&info, 0, sizeof(info));
        m_proc(nullptr, CPL_NEWINQUIRE, static_cast<LPARAM>(i), reinterpret_cast<LPARAM>(&info));
        if (info.dwSize == sizeof(NEWCPLINFOA)) {
            applet.name = fieldText(info.szName, sizeof(info.szName));
            applet.description = fieldText(info.szInfo, sizeof(info.szInfo));
            applet.data = info.lData;
            if (info.hIcon)
                applet.icon = resources::DescribeIcon(info.hIcon);
        } else {
            // The applet answers only the older message: resource identifiers.
            CPLINFO old;
            std::memset(&old, 0, sizeof(old));
            m_proc(nullptr, CPL_INQUIRE, static_cast<LPARAM>(i), reinterpret_cast<LPARAM>(&old));
            applet.name = loadString(m_module, old.idName);
            applet.description = loadString(m_module, old.idInfo);
            applet.data = old.lData;
            if (HICON icon = LoadIconA(m_module, MAKEINTRESOURCEA(old.idIcon)))
                applet.icon = resources::DescribeIcon(icon);
        }
        m_applets.push_back(std::move(applet));
    }
}

bool AppletLibrary::Open(size_t index)
{
    if (index >= m_applets.size())
        return false;
    m_proc(nullptr, CPL_DBLCLK, static_cast<LPARAM>(index), m_applets[index].data);
    return true;
}

std::vector<std::string> FindAppletLibraries(const std::string& hostFolder)
{
    std::vector<std::string> found;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(hostFolder.c_str()), closedir);
    if (!dir)
        return found;
    while (dirent* entry = readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name.size() <= 3 || name.compare(name.size() - 3, 3, ".so") != 0)
            continue;
        std::string path = hostFolder + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ExportsFunction(path, "CPlApplet"))
            found.push_back(path);
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace plat::cplhost
