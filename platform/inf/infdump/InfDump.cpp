// infdump [--machine FOLDER] FILE
//
// Prints an INF file as the emulated PC's SetupAPI reads it. FOLDER is a
// machine profile (default: the one RAVLIN_MACHINE or the executable's
// folder names); FILE is a Windows path or a host path.
#include "Dump.h"

#include "core/Machine.h"

#include <filesystem>
#include <iostream>
#include <string>

namespace {

int usage()
{
    std::cerr << "usage: infdump [--machine FOLDER] FILE\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string machine;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--machine" && i + 1 < argc)
            machine = argv[++i];
        else if (!arg.empty() && arg[0] == '-' && arg != "-")
            return usage();
        else if (file.empty())
            file = arg;
        else
            return usage();
    }
    if (file.empty())
        return usage();

    plat::ProfileError error;
    if (!machine.empty()) {
        if (!plat::LoadMachine(machine, &error)) {
            std::cerr << "infdump: " << error.ToString() << '\n';
            return 2;
        }
    } else {
        // Without a usable default profile, host paths still work.
        plat::LoadMachine(plat::DefaultProfileFolder(), &error);
    }

    // A host path that exists is made absolute, so that "..\" and the like
    // need no Windows meaning; that includes a bare name of a file in the
    // current folder, which SetupAPI itself would look up in the INF folder.
    bool drivePath = file.size() >= 2 && file[1] == ':';
    if (!drivePath && std::filesystem::exists(file))
        file = std::filesystem::absolute(file).lexically_normal().string();
    return infdump::DumpInf(file, std::cout, std::cerr);
}
