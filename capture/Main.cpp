// ravlin-capture.exe: writes a machine profile of the PC it runs on, for
// Ravlin's emulated PC. It only reads the PC.
//
//   ravlin-capture.exe [--modem-list FILE] FOLDER
//
// FILE is the list of served modems (default: htm\modem.inf beside the
// program). Exit status 0 when the profile was written, 1 when it was not,
// 2 for a usage error.
#include "Capture.h"
#include "Devices.h"
#include "ProfileOutput.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string besideProgram(const char* relative)
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, length < sizeof(path) ? length : 0);
    size_t cut = folder.find_last_of("\\/");
    return (cut == std::string::npos ? std::string() : folder.substr(0, cut + 1)) + relative;
}

int usage()
{
    std::fprintf(stderr, "usage: ravlin-capture.exe [--modem-list FILE] FOLDER\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string modemList = besideProgram("htm\\modem.inf");
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--modem-list") == 0 && i + 1 < argc)
            modemList = argv[++i];
        else if (argv[i][0] == '-' || !folder.empty())
            return usage();
        else
            folder = argv[i];
    }
    if (folder.empty())
        return usage();

    DWORD start = GetTickCount();
    std::vector<std::string> fragments = capture::ReadServedFragments(modemList);
    capture::CapturedProfile profile = capture::CaptureMachine(fragments);
    std::string error;
    if (!capture::WriteProfile(folder, profile, error)) {
        std::fprintf(stderr, "ravlin-capture: %s\n", error.c_str());
        return 1;
    }
    size_t bytes = 0;
    for (const auto& file : profile.files)
        bytes += file.second.size();
    std::printf("profile: %s\n", folder.c_str());
    std::printf("served modem: %s\n", profile.servedModem.empty() ? "(none)" : profile.servedModem.c_str());
    std::printf("files: %u (%u bytes), registry keys: %u, placeholders: %u\n", (unsigned)profile.files.size(),
                (unsigned)bytes, (unsigned)profile.registryKeys, (unsigned)profile.placeholders);
    std::printf("milliseconds: %lu\n", (unsigned long)(GetTickCount() - start));
    for (const std::string& note : profile.notes)
        std::printf("note: %s\n", note.c_str());
    return 0;
}
