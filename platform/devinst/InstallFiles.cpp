#include "devinst/InstallFiles.h"

#include "devinst/InfHandle.h"
#include "devinst/Text.h"
#include "devinst/WindowsFolder.h"
#include "inf/DirIds.h"

#include <cstdlib>

namespace plat::devinst {
namespace {

// The folder of a DestinationDirs line ("section = dirid[,subdir]").
DWORD destinationOf(HINF inf, const char* key, const std::string& windows, const TargetOs& os, std::string* folder)
{
    INFCONTEXT line;
    if (!SetupFindFirstLineA(inf, "DestinationDirs", key, &line)) {
        *folder = windows + "\\system32";
        return ERROR_NOT_FOUND;
    }
    INT dirid = 0;
    if (!SetupGetIntField(&line, 1, &dirid))
        return ERROR_DI_BAD_PATH;
    std::string subdir = InfField(&line, 2).value_or("");
    while (!subdir.empty() && (subdir.front() == '\\' || subdir.front() == '/'))
        subdir.erase(0, 1);
    if (dirid == -1) {
        if (subdir.empty())
            return ERROR_DI_BAD_PATH;
        *folder = InfField(&line, 2).value_or("");
        return ERROR_SUCCESS;
    }
    std::optional<std::string> base = inf::DirIdFolder(dirid, inf::DirIdPlace{windows, "", os.bits});
    if (!base)
        return ERROR_DI_BAD_PATH;
    *folder = subdir.empty() ? *base : *base + "\\" + subdir;
    return ERROR_SUCCESS;
}

DWORD sectionFolder(HINF inf, const std::string& section, const std::string& windows, const TargetOs& os,
                    std::string* folder)
{
    DWORD error = destinationOf(inf, section.c_str(), windows, os, folder);
    if (error != ERROR_NOT_FOUND)
        return error;
    error = destinationOf(inf, "DefaultDestDir", windows, os, folder);
    return error == ERROR_NOT_FOUND ? ERROR_SUCCESS : error;
}

DWORD addCopySection(HINF inf, const std::string& section, const std::string& windows, const TargetOs& os,
                     std::vector<std::string>* targets)
{
    if (SetupGetLineCountA(inf, section.c_str()) < 0)
        return ERROR_SECTION_NOT_FOUND;
    std::string folder;
    if (DWORD error = sectionFolder(inf, section, windows, os, &folder); error != ERROR_SUCCESS)
        return error;
    INFCONTEXT line;
    bool found = SetupFindFirstLineA(inf, section.c_str(), nullptr, &line);
    for (; found; found = SetupFindNextLine(&line, &line)) {
        std::optional<std::string> name = InfField(&line, 1);
        if (!name || Trim(*name).empty())
            continue;
        targets->push_back(folder + "\\" + Trim(*name));
    }
    return ERROR_SUCCESS;
}

} // namespace

DWORD ListDriverFiles(const DriverNode& driver, const TargetOs& os, std::vector<std::string>* targets)
{
    InfHandle inf;
    if (!inf.Open(driver.infFileName, INF_STYLE_WIN4)) {
        DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_NO_INF;
    }
    std::string install = ActualInstallSection(inf.Get(), driver.sectionName, os);
    if (SetupGetLineCountA(inf.Get(), install.c_str()) < 0)
        return ERROR_SECTION_NOT_FOUND;
    const std::string windows = WindowsDirectory();
    INFCONTEXT line;
    bool found = SetupFindFirstLineA(inf.Get(), install.c_str(), "CopyFiles", &line);
    for (; found; found = SetupFindNextMatchLineA(&line, "CopyFiles", &line)) {
        DWORD count = SetupGetFieldCount(&line);
        for (DWORD i = 1; i <= count; ++i) {
            std::string entry = Trim(InfField(&line, i).value_or(""));
            if (entry.empty())
                continue;
            if (entry[0] == '@') {
                std::string folder;
                if (DWORD error = sectionFolder(inf.Get(), "DefaultDestDir", windows, os, &folder); error != ERROR_SUCCESS)
                    return error;
                targets->push_back(folder + "\\" + entry.substr(1));
                continue;
            }
            if (DWORD error = addCopySection(inf.Get(), entry, windows, os, targets); error != ERROR_SUCCESS)
                return error;
        }
    }
    return ERROR_SUCCESS;
}

} // namespace plat::devinst
