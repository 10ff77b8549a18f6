// regdump: prints a key tree of a machine profile's registry as the
// emulated programs see it, with every value's type and data.
//
//   regdump [--machine FOLDER] [KEY]
//
// KEY is a full path such as HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft (HKLM,
// HKCU, HKCR, HKU and HKCC may stand for the roots); without KEY the whole
// registry (HKEY_LOCAL_MACHINE and HKEY_USERS) is printed. Exit status: 0
// printed, 1 the key cannot be opened, 2 a wrong command line or a profile
// that does not load.
#include "core/AsciiText.h"
#include "core/Machine.h"
#include "registry/AnsiText.h"
#include "registry/RegistryLoader.h"
#include "registry/regdump/DumpWriter.h"

#include <iostream>
#include <string>

namespace {

struct RootName {
    const char* full;
    const char* shortName;
    HKEY key;
};

const RootName kRoots[] = {
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},   {"HKEY_USERS", "HKU", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG},
};

bool sameNoCase(const std::string& a, const char* b)
{
    return plat::text::UpperAscii(a) == b;
}

int usage(std::ostream& out, int code)
{
    out << "usage: regdump [--machine FOLDER] [KEY]\n"
           "  Prints a registry key tree of a machine profile with each value's type and data.\n"
           "  FOLDER  machine profile folder (default: $RAVLIN_MACHINE or machines/default)\n"
           "  KEY     e.g. HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft; HKLM, HKCU, HKCR, HKU, HKCC\n"
           "          stand for the roots; default: HKEY_LOCAL_MACHINE and HKEY_USERS\n";
    return code;
}

// The path below `root` with each name as the registry keeps it, for the
// key line; `rest` names an existing key in any case.
std::string storedPath(HKEY root, const std::string& rest)
{
    using plat::registry::AnsiToUtf8;
    using plat::registry::FoldCase;
    std::string shown;
    HKEY parent = root;
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find('\\', start);
        std::string element = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? rest.size() : end + 1;
        if (element.empty())
            continue;
        std::string wanted = FoldCase(AnsiToUtf8(element));
        char name[256];
        for (DWORD i = 0; RegEnumKeyA(parent, i, name, sizeof(name)) == ERROR_SUCCESS; ++i) {
            if (FoldCase(AnsiToUtf8(name)) == wanted) {
                element = name;
                break;
            }
        }
        HKEY child = nullptr;
        if (RegOpenKeyExA(parent, element.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS)
            break;
        if (parent != root)
            RegCloseKey(parent);
        parent = child;
        shown += "\\" + element;
    }
    if (parent != root)
        RegCloseKey(parent);
    return shown;
}

// Opens KEY and dumps it; returns the exit code.
int dumpKey(const std::string& keyPath)
{
    std::string rootPart = keyPath.substr(0, keyPath.find('\\'));
    std::string rest = rootPart.size() < keyPath.size() ? keyPath.substr(rootPart.size() + 1) : "";
    for (const RootName& root : kRoots) {
        if (!sameNoCase(rootPart, root.full) && !sameNoCase(rootPart, root.shortName))
            continue;
        HKEY key = nullptr;
        LSTATUS status = RegOpenKeyExA(root.key, rest.c_str(), 0, KEY_READ, &key);
        if (status != ERROR_SUCCESS) {
            std::cerr << "regdump: " << keyPath << ": "
                      << (status == ERROR_FILE_NOT_FOUND ? "no such key" : "cannot be opened (error " +
                                                                              std::to_string(status) + ")")
                      << "\n";
            return 1;
        }
        std::string shown = std::string(root.full) + storedPath(root.key, rest);
        status = regdump::DumpTree(key, shown, std::cout);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) {
            std::cerr << "regdump: " << keyPath << ": registry error " << status << "\n";
            return 1;
        }
        return 0;
    }
    std::cerr << "regdump: " << keyPath << ": unknown root key \"" << rootPart << "\"\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder;
    std::string key;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return usage(std::cout, 0);
        if (arg == "--machine") {
            if (++i >= argc)
                return usage(std::cerr, 2);
            folder = argv[i];
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(std::cerr, 2);
        } else if (key.empty()) {
            key = arg;
        } else {
            return usage(std::cerr, 2);
        }
    }
    if (folder.empty())
        folder = plat::DefaultProfileFolder();

    plat::registry::RegisterLoader();
    plat::ProfileError error;
    if (!plat::LoadMachine(folder, &error)) {
        std::cerr << "regdump: " << error.ToString() << "\n";
        return 2;
    }
    std::cout << "; regdump of " << folder << "\n\n";
    if (!key.empty())
        return dumpKey(key);
    int code = dumpKey("HKEY_LOCAL_MACHINE");
    std::cout << "\n";
    return code != 0 ? code : dumpKey("HKEY_USERS");
}
