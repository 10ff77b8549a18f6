// modemfw: the emulated modem on a pseudo-terminal, for people and other
// programs. It prints the pty's path; talk to it with a terminal program.
//
//   modemfw [--settings FILE] [--modem NAME --machine FOLDER] [--time-scale X]

#include "core/Machine.h"
#include "modemfw/ModemProfile.h"
#include "modemfw/PtyModem.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

void usage(FILE* to)
{
    std::fputs("usage: modemfw [--settings FILE] [--modem NAME --machine FOLDER] [--time-scale X]\n"
               "  --settings FILE     modem settings (a JSON object, see docs/modem-emulator.md)\n"
               "  --modem NAME        the modem NAME of a machine profile's \"modems\" section\n"
               "  --machine FOLDER    the machine profile folder (with --modem)\n"
               "  --time-scale X      multiply every modem delay by X\n"
               "Prints the pty path, then serves it until interrupted.\n",
               to);
}

} // namespace

int main(int argc, char** argv)
{
    std::string settingsFile, modemName, machineFolder, timeScale;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "modemfw: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            *out = argv[++i];
        };
        if (arg == "--settings")
            value(&settingsFile);
        else if (arg == "--modem")
            value(&modemName);
        else if (arg == "--machine")
            value(&machineFolder);
        else if (arg == "--time-scale")
            value(&timeScale);
        else if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "modemfw: unknown argument %s\n", arg.c_str());
            usage(stderr);
            return 2;
        }
    }
    if (!settingsFile.empty() && !modemName.empty()) {
        std::fputs("modemfw: give either --settings or --modem, not both\n", stderr);
        return 2;
    }
    if (modemName.empty() != machineFolder.empty()) {
        std::fputs("modemfw: --modem and --machine go together\n", stderr);
        return 2;
    }

    plat::modemfw::ModemSettings settings;
    plat::ProfileError error;
    if (!settingsFile.empty() && !plat::modemfw::LoadSettingsFile(settingsFile, &settings, &error)) {
        std::fprintf(stderr, "modemfw: %s\n", error.ToString().c_str());
        return 1;
    }
    if (!modemName.empty()) {
        if (!plat::LoadMachine(machineFolder, &error) ||
            !plat::modemfw::LoadProfileModem(*plat::CurrentMachine(), modemName, &settings, &error)) {
            std::fprintf(stderr, "modemfw: %s\n", error.ToString().c_str());
            return 1;
        }
    }
    if (!timeScale.empty()) {
        char* end = nullptr;
        double scale = std::strtod(timeScale.c_str(), &end);
        if (*end || !(scale >= 0 && scale <= 1000)) {
            std::fprintf(stderr, "modemfw: --time-scale wants a number from 0 to 1000\n");
            return 2;
        }
        settings.timeScale = scale;
    }

    // Signals are taken synchronously below, so the modem's thread never sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::string startError;
    auto modem = plat::modemfw::PtyModem::Start(settings, &startError);
    if (!modem) {
        std::fprintf(stderr, "modemfw: %s\n", startError.c_str());
        return 1;
    }
    std::printf("%s\n", modem->SlavePath().c_str());
    std::fflush(stdout);

    timespec slice{0, 200 * 1000 * 1000};
    while (true) {
        int sig = sigtimedwait(&signals, nullptr, &slice);
        if (sig > 0)
            break;
        if (modem->Gone()) {
            std::fputs("modemfw: the port went away\n", stderr);
            break;
        }
    }
    return 0;
}
