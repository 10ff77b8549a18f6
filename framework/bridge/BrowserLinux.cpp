#include "framework/bridge/Browser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace afx::bridge {
namespace {

bool hasDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

std::vector<std::string> browserCommand()
{
    const char* setting = std::getenv("RAVLIN_BROWSER");
    std::istringstream words(setting && *setting ? setting : "xdg-open");
    std::vector<std::string> command;
    for (std::string word; words >> word;)
        command.push_back(word);
    return command;
}

} // namespace

void PrintAddress(const std::string& address)
{
    std::printf("Ravlin: open %s\n", address.c_str());
    std::fflush(stdout);
}

void OpenBrowser(const std::string& address)
{
    PrintAddress(address);
    std::vector<std::string> command = browserCommand();
    if (command.empty() || command[0] == "none" || !hasDisplay())
        return;
    command.push_back(address);
    std::vector<char*> argv;
    for (std::string& word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    int error = posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        std::fprintf(stderr, "Ravlin: cannot start the browser %s: %s\n", argv[0], std::strerror(error));
        return;
    }
    // The browser (or xdg-open) runs on its own; only its exit is collected.
    std::thread([child] { waitpid(child, nullptr, 0); }).detach();
}

} // namespace afx::bridge
