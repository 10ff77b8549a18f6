// Hosting Control Panel applets as the Windows Control Panel does: load the
// library, send CPL_INIT and CPL_GETCOUNT, ask each applet with
// CPL_NEWINQUIRE (CPL_INQUIRE when the applet leaves NEWCPLINFO unfilled),
// open one with CPL_DBLCLK, and at the end send CPL_STOP to each applet,
// CPL_EXIT, and unload the library.
#pragma once

#include "resources/Icons.h"

#include <cpl.h>
#include <win/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plat::cplhost {

struct AppletInfo {
    std::string name;        // in the ANSI code page, as the applet gave it
    std::string description; // likewise
    LONG_PTR data = 0;       // lData, handed back with CPL_DBLCLK and CPL_STOP
    std::optional<resources::IconInfo> icon;
};

class AppletLibrary {
    struct Key {};

public:
    // Loads and initialises the library (a Windows or host path). Null with
    // the reason in `error` when it is no applet library or refuses CPL_INIT.
    static std::unique_ptr<AppletLibrary> Load(const std::string& path, std::string* error);

    AppletLibrary(Key, HMODULE module, APPLET_PROC proc, std::string path);
    ~AppletLibrary();
    AppletLibrary(const AppletLibrary&) = delete;
    AppletLibrary& operator=(const AppletLibrary&) = delete;

    const std::string& Path() const { return m_path; }
    const std::vector<AppletInfo>& Applets() const { return m_applets; }

    // CPL_DBLCLK for applet `index`; false when there is no such applet.
    bool Open(size_t index);

private:
    void Inquire();

    HMODULE m_module;
    APPLET_PROC m_proc;
    std::string m_path;
    std::vector<AppletInfo> m_applets;
};

// The applet libraries of a host folder: its *.so files that export
// CPlApplet, in name order.
std::vector<std::string> FindAppletLibraries(const std::string& hostFolder);

} // namespace plat::cplhost
