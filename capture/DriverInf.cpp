#include "DriverInf.h"

#include <setupapi.h>

namespace capture {

namespace {

class InfHandle {
public:
    explicit InfHandle(const std::string& path)
        : m_inf(SetupOpenInfFileA(path.c_str(), nullptr, INF_STYLE_WIN4, nullptr))
    {
    }
    ~InfHandle()
    {
        if (m_inf != INVALID_HANDLE_VALUE)
            SetupCloseInfFile(m_inf);
    }
    InfHandle(const InfHandle&) = delete;
    InfHandle& operator=(const InfHandle&) = delete;
    bool IsOpen() const { return m_inf != INVALID_HANDLE_VALUE; }
    HINF Get() const { return m_inf; }

private:
    HINF m_inf;
};

std::string field(INFCONTEXT& line, DWORD index)
{
    char text[MAX_INF_STRING_LENGTH];
    if (!SetupGetStringFieldA(&line, index, text, sizeof(text), nullptr))
        return "";
    return text;
}

// Every field of every line with `key` in `section`.
std::vector<std::string> directiveFields(HINF inf, const std::string& section, const char* key)
{
    std::vector<std::string> out;
    INFCONTEXT line;
    BOOL more = SetupFindFirstLineA(inf, section.c_str(), key, &line);
    while (more) {
        DWORD count = SetupGetFieldCount(&line);
        for (DWORD i = 1; i <= count; ++i) {
            std::string name = field(line, i);
            if (!name.empty())
                out.push_back(name);
        }
        more = SetupFindNextMatchLineA(&line, key, &line);
    }
    return out;
}

bool hasSection(HINF inf, const std::string& section)
{
    return SetupGetLineCountA(inf, section.c_str()) >= 0;
}

// The destination folder of a copy section: its DestinationDirs line, else
// DefaultDestDir, else the system folder (Setup's default).
std::string destinationOf(HINF inf, const std::string& copySection, const std::string& windowsDirectory,
                          std::vector<std::string>& notes)
{
    INFCONTEXT line;
    if (!SetupFindFirstLineA(inf, "DestinationDirs", copySection.c_str(), &line) &&
        !SetupFindFirstLineA(inf, "DestinationDirs", "DefaultDestDir", &line))
        return DiridFolder(DIRID_SYSTEM, windowsDirectory);
    INT dirid = 0;
    if (!SetupGetIntField(&line, 1, &dirid)) {
        notes.push_back("DestinationDirs of " + copySection + ": no directory ID");
        return "";
    }
    std::string folder = DiridFolder(dirid, windowsDirectory);
    if (folder.empty()) {
        notes.push_back("DestinationDirs of " + copySection + ": directory ID " + std::to_string(dirid) +
                        " is not resolved");
        return "";
    }
    std::string sub = field(line, 2);
    if (!sub.empty())
        folder += "\\" + sub;
    return folder;
}

void collectFiles(HINF inf, const std::string& section, const std::string& windowsDirectory,
                  DriverInfContents& out, std::vector<std::string>& notes)
{
    for (const std::string& entry : directiveFields(inf, section, "CopyFiles")) {
        if (entry[0] == '@') {
            std::string folder = destinationOf(inf, "DefaultDestDir", windowsDirectory, notes);
            if (!folder.empty())
                out.files.push_back(folder + "\\" + entry.substr(1));
            continue;
        }
        std::string folder = destinationOf(inf, entry, windowsDirectory, notes);
        if (folder.empty())
            continue;
        INFCONTEXT line;
        BOOL more = SetupFindFirstLineA(inf, entry.c_str(), nullptr, &line);
        while (more) {
            std::string name = field(line, 1);
            if (!name.empty())
                out.files.push_back(folder + "\\" + name);
            more = SetupFindNextLine(&line, &line);
        }
    }
}

std::string rootName(const std::string& root)
{
    if (root == "HKLM")
        return "HKEY_LOCAL_MACHINE";
    if (root == "HKCU")
        return "HKEY_CURRENT_USER";
    if (root == "HKCR")
        return "HKEY_CLASSES_ROOT";
    if (root == "HKU")
        return "HKEY_USERS";
    return "";
}

void collectKeysOf(HINF inf, const std::string& registrySection, DriverInfContents& out)
{
    INFCONTEXT line;
    BOOL more = SetupFindFirstLineA(inf, registrySection.c_str(), nullptr, &line);
    while (more) {
        std::string root = rootName(field(line, 1));
        if (!root.empty()) {
            std::string path = field(line, 2);
            bool known = false;
            for (const RegKeyName& key : out.registryKeys)
                known = known || (key.root == root && key.path == path);
            if (!known)
                out.registryKeys.push_back({root, path});
        }
        more = SetupFindNextLine(&line, &line);
    }
}

// The AddReg sections of the install section, and "Region", the country
// settings a driver with a country file is checked against.
void collectKeys(HINF inf, const std::string& section, DriverInfContents& out)
{
    for (const std::string& addReg : directiveFields(inf, section, "AddReg"))
        collectKeysOf(inf, addReg, out);
    collectKeysOf(inf, "Region", out);
}

} // namespace

std::string DiridFolder(int dirid, const std::string& windowsDirectory)
{
    const std::string& win = windowsDirectory;
    std::string drive = win.size() >= 2 ? win.substr(0, 2) : "C:";
    switch (dirid) {
    case DIRID_WINDOWS:
    case 25: // shared folder
        return win;
    case DIRID_SYSTEM:
        return win + "\\System32";
    case DIRID_DRIVERS:
        return win + "\\System32\\drivers";
    case DIRID_INF:
        return win + "\\INF";
    case DIRID_HELP:
        return win + "\\Help";
    case DIRID_FONTS:
        return win + "\\Fonts";
    case 24: // root of the system drive
    case DIRID_BOOT:
    case 54:
        return drive;
    case DIRID_SYSTEM16:
        return win + "\\System";
    case 51:
        return win + "\\System32\\spool";
    case 52:
        return win + "\\System32\\spool\\drivers\\color";
    case 55:
        return win + "\\System32\\spool\\prtprocs";
    case DIRID_PROGRAM_FILES:
        return drive + "\\Program Files";
    case 16427: // common program files
        return drive + "\\Program Files\\Common Files";
    default:
        return "";
    }
}

DriverInfContents ReadDriverInf(const std::string& infPath, const std::string& section,
                                const std::string& extension, const std::string& windowsDirectory,
                                std::vector<std::string>& notes)
{
    DriverInfContents out;
    InfHandle inf(infPath);
    if (!inf.IsOpen()) {
        notes.push_back("the driver INF " + infPath + " does not open");
        return out;
    }
    out.opened = true;
    // The section as installed: the decorated name the driver key records,
    // else the ".NT" one, else the plain one.
    out.section = section + extension;
    if (extension.empty() || !hasSection(inf.Get(), out.section))
        out.section = hasSection(inf.Get(), section + ".NT") ? section + ".NT" : section;
    if (!hasSection(inf.Get(), out.section))
        notes.push_back("the driver INF has no section " + out.section);
    if (!directiveFields(inf.Get(), out.section, "Include").empty() ||
        !directiveFields(inf.Get(), out.section, "Needs").empty())
        notes.push_back("the install section " + out.section +
                        " includes other INF files: their files and registry keys are not captured");
    collectFiles(inf.Get(), out.section, windowsDirectory, out, notes);
    collectKeys(inf.Get(), out.section, out);
    return out;
}

} // namespace capture
