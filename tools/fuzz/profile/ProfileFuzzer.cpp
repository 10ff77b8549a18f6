// Fuzzes machine profile loading through its entry point, LoadMachine, with
// the families' loaders registered: machine.json, the "modems" entries with
// their settings (inline and in a settings file beside machine.json) and the
// "ports" section. The input is machine.json; a line "#settings" splits off
// the rest as the text of modem.json, which a "modems" entry may name.
//
// Every refusal must name the file and a key or line, and carry a message.
// The serial family's loader is replaced by its parsing half: starting a
// modem emulator or opening a tty named by the input is the machine's I/O,
// not its input handling, and would let the fuzzer open any device node.
#include "core/Machine.h"
#include "serial/PortConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::registry { void RegisterLoader(); }
namespace plat::devinst { void RegisterLoader(); }
namespace plat::tapi { void RegisterLoader(); }

namespace {

std::string g_folder;

void writeFile(const std::string& path, std::string_view text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void setUp()
{
    // Two files are written for every input: in memory where the system
    // has a memory file system, so the run is not bound by the disk.
    struct stat shm {};
    std::string pattern = ::stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode) && ::access("/dev/shm", W_OK) == 0
                              ? "/dev/shm/ravlin-profile-fuzz-XXXXXX"
                              : "/tmp/ravlin-profile-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern.data());
    if (!made)
        std::abort();
    g_folder = made;
    // An empty registry: the loaders find no keys, which is a valid PC.
    std::string registry = g_folder + "/registry";
    if (::mkdir(registry.c_str(), 0700) != 0)
        std::abort();
    plat::devinst::RegisterLoader(); // registers the registry's loader first
    plat::RegisterProfileLoader("serial", [](const plat::Machine& machine, plat::ProfileError* error) {
        std::vector<plat::serial::PortConfig> configs;
        return plat::serial::ReadPortConfigs(machine, &configs, error);
    });
    plat::tapi::RegisterLoader();
    std::atexit([] {
        std::string command = "rm -rf '" + g_folder + "'";
        (void)!std::system(command.c_str());
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (g_folder.empty())
        setUp();
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view machine = input;
    std::string_view settings;
    if (size_t split = input.find("\n#settings\n"); split != std::string_view::npos) {
        machine = input.substr(0, split);
        settings = input.substr(split + 11);
    }
    writeFile(g_folder + "/machine.json", machine);
    writeFile(g_folder + "/modem.json", settings);

    plat::ProfileError error;
    if (plat::LoadMachine(g_folder, &error))
        return 0;
    // A refusal names the file it is about, says what is wrong, and points
    // at a line or a key (an unreadable file has neither).
    bool named = !error.file.empty() && !error.message.empty();
    bool placed = error.line != 0 || !error.key.empty() || error.message.find("cannot be read") != std::string::npos;
    if (!named || !placed) {
        std::fprintf(stderr, "profile fuzzer: a refusal that does not say where: file \"%s\", line %d, key \"%s\": %s\n",
                     error.file.c_str(), error.line, error.key.c_str(), error.message.c_str());
        __builtin_trap();
    }
    return 0;
}
