// cplhost: a Control Panel host for the emulated PC.
//
//   cplhost [--folder DIR] [--open N] [LIBRARY...]
//
// Starts the machine profile (RAVLIN_MACHINE, or machines/default beside
// the program), loads the applet libraries named on the command line, or
// else those of DIR (default: the program's own folder), lists their
// applets, opens applet N (as numbered in the list) with CPL_DBLCLK, and
// closes every library with CPL_STOP and CPL_EXIT.
#include "boot/Boot.h"
#include "core/Machine.h"
#include "cplhost/AppletHost.h"
#include "cplhost/HostOutput.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitMachine = 3;
constexpr int kExitNoApplet = 4;

int usage(const char* message)
{
    std::cerr << "cplhost: " << message << "\n"
              << "usage: cplhost [--folder DIR] [--open N] [LIBRARY...]\n";
    return kExitUsage;
}

bool parseIndex(const char* text, size_t* out)
{
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    if (!*text || *end || text[0] == '-')
        return false;
    *out = value;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder = plat::ExecutableFolder();
    std::vector<std::string> named;
    bool open = false;
    size_t openIndex = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage("lists and opens Control Panel applets");
            return 0;
        } else if (arg == "--folder") {
            if (++i == argc)
                return usage("--folder needs a folder");
            folder = argv[i];
        } else if (arg == "--open") {
            if (++i == argc || !parseIndex(argv[i], &openIndex))
                return usage("--open needs an applet number");
            open = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(("unknown option " + arg).c_str());
        } else {
            named.push_back(arg);
        }
    }

    std::string error;
    if (!plat::StartMachine(&error)) {
        std::cerr << "cplhost: the machine profile cannot be used: " << error << "\n";
        return kExitMachine;
    }

    std::vector<std::string> paths = named.empty() ? plat::cplhost::FindAppletLibraries(folder) : named;
    std::vector<std::unique_ptr<plat::cplhost::AppletLibrary>> libraries;
    size_t total = 0;
    for (const std::string& path : paths) {
        auto library = plat::cplhost::AppletLibrary::Load(path, &error);
        if (!library) {
            std::cerr << "cplhost: " << path << ": " << error << "\n";
            continue;
        }
        std::cout << plat::cplhost::DescribeLibrary(*library, total);
        total += library->Applets().size();
        libraries.push_back(std::move(library));
    }
    if (libraries.empty())
        std::cout << "no applets\n";

    int result = 0;
    if (open) {
        size_t first = 0;
        bool opened = false;
        for (auto& library : libraries) {
            if (openIndex < first + library->Applets().size()) {
                opened = library->Open(openIndex - first);
                break;
            }
            first += library->Applets().size();
        }
        if (!opened) {
            std::cerr << "cplhost: there is no applet " << openIndex << "\n";
            result = kExitNoApplet;
        }
    }
    std::cout.flush();
    libraries.clear(); // CPL_STOP, CPL_EXIT and unload, library by library
    return result;
}
