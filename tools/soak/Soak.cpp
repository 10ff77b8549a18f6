// Soak: many whole runs back to back in one process, then many starts of
// the program through its page bridge. Open file descriptors, threads and
// resident memory are measured after the early runs and after the last;
// the tool prints them and fails only when they grew.
//
//   soak [--runs N] [--starts N] [--program PATH]
//
// Runs: the engine's thread, a window standing in for the dialog, TAPI's
// line and the modem firmware on a pty, at a hundredth of the modem's
// times with the machine's clock moved on as the engine waits. Each run is
// a fresh engine (detection, then a test run), as each dialog makes one.
// Starts: the program (default: Ravlin beside this tool) with no browser;
// the soak opens its first page through the bridge, reports it loaded,
// clicks Cancel and waits for the program to end. The program's own
// figures are read while its first page is shown.
#include "SoakHttp.h"

#include "TestThread.h"
#include "boot/Boot.h"
#include "core/Clock.h"
#include "core/testing/TempProfile.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

struct Figures {
    int fds = 0;
    int threads = 0;
    long rssKb = 0;
};

Figures measure(const std::string& proc)
{
    Figures f;
    if (DIR* dir = ::opendir((proc + "/fd").c_str())) {
        while (dirent* entry = ::readdir(dir))
            f.fds += entry->d_name[0] != '.';
        ::closedir(dir);
        --f.fds; // the folder's own descriptor
    }
    std::ifstream status(proc + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, 8, "Threads:") == 0)
            f.threads = std::atoi(line.c_str() + 8);
        else if (line.compare(0, 6, "VmRSS:") == 0)
            f.rssKb = std::atol(line.c_str() + 6);
    }
    return f;
}

void print(const char* what, int n, const Figures& f)
{
    std::printf("%-7s after %3d: fds %3d  threads %2d  rss %6ld KiB\n", what, n, f.fds, f.threads, f.rssKb);
    std::fflush(stdout);
}

// Growth beyond noise. The page server closes each connection on its own
// thread a moment after the answer, so a count taken right after a start may
// still include the last connection or two (up to two threads and two
// descriptors each way); a leak of one per run shows well past that. Memory
// may grow by a quarter plus 4 MiB while allocator caches settle.
bool grew(const char* what, const Figures& early, const Figures& late)
{
    constexpr int kClosingSlack = 2;
    bool bad = late.fds > early.fds + kClosingSlack || late.threads > early.threads + kClosingSlack ||
               late.rssKb > early.rssKb * 5 / 4 + 4096;
    if (bad)
        std::printf("%s: GROWTH between the early and the last measurement\n", what);
    return bad;
}

// The default machine with its modems a hundred times faster.
std::string fastMachine(plat::testing::TempProfile& profile)
{
    std::filesystem::copy(plat::ExecutableFolder() + "/machines/default", profile.Folder(),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    std::ifstream in(profile.Path("machine.json"));
    nlohmann::json json = nlohmann::json::parse(in);
    for (auto& [name, modem] : json["modems"].items()) {
        modem["timeScale"] = 0.01;
        modem["timing"]["commandMs"] = 5000;
    }
    profile.Write("machine.json", json.dump(2));
    std::string error;
    return plat::StartMachineFrom(profile.Folder(), &error) ? std::string() : error;
}

// Waits for a message posted to the window, moving the machine's clock on
// ten times as fast as real time meanwhile.
bool waitFor(HWND wnd, UINT message, WPARAM* wParam, int realMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
    while (std::chrono::steady_clock::now() < deadline) {
        MSG msg;
        while (::PeekMessage(&msg, wnd, 0, 0, PM_REMOVE)) {
            if (msg.message == message) {
                *wParam = msg.wParam;
                return true;
            }
        }
        plat::clock::Advance(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

int soakRuns(int runs, int early)
{
    plat::testing::TempProfile profile;
    std::string error = fastMachine(profile);
    if (!error.empty()) {
        std::printf("runs: the machine does not load: %s\n", error.c_str());
        return 1;
    }
    CWnd window;
    window.CreateMessageWindow();
    Figures first;
    auto started = std::chrono::steady_clock::now();
    for (int run = 1; run <= runs; ++run) {
        CTestThread engine;
        engine.SetWnd(&window, NULL);
        engine.ResumeTest();
        WPARAM detect = 0, result = 0;
        if (!waitFor(window.m_hWnd, WM_DETECT_RESULT, &detect, 30000) || detect != DETECT_FOUND) {
            std::printf("run %d: no modem detected\n", run);
            return 1;
        }
        engine.ResumeTest();
        if (!waitFor(window.m_hWnd, WM_TEST_RESULT, &result, 60000) || result != RESULT_PASSED) {
            std::printf("run %d: did not pass (result %d)\n", run, static_cast<int>(result));
            return 1;
        }
        if (run == early) {
            first = measure("/proc/self");
            print("runs", run, first);
        }
    }
    Figures last = measure("/proc/self");
    print("runs", runs, last);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("runs: %d in %.1f s (%.2f s a run)\n", runs, seconds, seconds / runs);
    return grew("runs", first, last) ? 1 : 0;
}

// One start of the program: the figures of the program while its first
// page is shown; false when it did not go as it should.
bool startOnce(const std::string& program, Figures* child, std::string* why)
{
    int out[2];
    if (::pipe(out) != 0)
        return *why = "pipe", false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<std::string> env = {"RAVLIN_BROWSER=none"};
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "DISPLAY=", 8) != 0 && std::strncmp(*e, "WAYLAND_DISPLAY=", 16) != 0 &&
            std::strncmp(*e, "RAVLIN_BROWSER=", 15) != 0)
            env.push_back(*e);
    }
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return *why = std::string("cannot start: ") + std::strerror(spawned), false;
    }
    // The address line.
    std::string text;
    char c;
    int port = 0;
    std::string token;
    while (::read(out[0], &c, 1) == 1) {
        if (c != '\n') {
            text += c;
            continue;
        }
        size_t at = text.find("http://127.0.0.1:");
        if (at != std::string::npos) {
            port = std::atoi(text.c_str() + at + 17);
            size_t t = text.find("token=");
            token = t == std::string::npos ? "" : text.substr(t + 6);
            break;
        }
        text.clear();
    }
    bool ok = port > 0;
    if (!ok)
        *why = "no address printed";
    soak::Client client(port, token);
    std::string url;
    if (ok) {
        soak::Answer entry = client.Send("GET", "/?token=" + token, "");
        ok = entry.status == 303;
        url = entry.location;
        if (!ok)
            *why = "GET / answered " + std::to_string(entry.status);
    }
    if (ok) {
        ok = client.Send("GET", url, "").status == 200;
        if (!ok)
            *why = "the first page was not served";
    }
    int64_t doc = 0;
    if (ok) {
        nlohmann::json texts = {{"mdmName", ""}, {"mdmVersion", ""}, {"mdmCountry", ""},
                                {"ButtonSpecial", "About"}, {"ButtonCancel", "Cancel"}, {"ButtonOK", "Start"}};
        soak::Answer loaded = client.Send("POST", "/bridge/loaded", nlohmann::json{{"url", url}, {"texts", texts}}.dump());
        nlohmann::json body = nlohmann::json::parse(loaded.body, nullptr, false);
        ok = loaded.status == 200 && body.is_object() && body.value("accepted", false);
        if (ok)
            doc = body.value("doc", int64_t{0});
        else
            *why = "the page was not accepted: " + loaded.body;
    }
    if (ok) {
        *child = measure("/proc/" + std::to_string(pid));
        soak::Answer click =
            client.Send("POST", "/bridge/click", nlohmann::json{{"id", "ButtonCancel"}, {"doc", doc}}.dump());
        ok = click.status == 200;
        if (!ok)
            *why = "Cancel answered " + std::to_string(click.status) + ": " + click.body;
    }
    if (!ok)
        ::kill(pid, SIGKILL);
    // Drain the rest of its output so it never blocks on a full pipe.
    while (::read(out[0], &c, 1) == 1) {
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (ok && !(WIFEXITED(status))) {
        *why = "the program did not end by itself";
        ok = false;
    }
    return ok;
}

int soakStarts(const std::string& program, int starts, int early)
{
    Figures firstChild, firstSelf, child;
    auto started = std::chrono::steady_clock::now();
    for (int n = 1; n <= starts; ++n) {
        std::string why;
        if (!startOnce(program, &child, &why)) {
            std::printf("start %d: %s\n", n, why.c_str());
            return 1;
        }
        if (n == early) {
            firstChild = child;
            firstSelf = measure("/proc/self");
            print("program", n, child);
        }
    }
    Figures self = measure("/proc/self");
    print("program", starts, child);
    print("soak", starts, self);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("starts: %d in %.1f s (%.2f s a start)\n", starts, seconds, seconds / starts);
    bool bad = grew("program", firstChild, child);
    bad = grew("soak", firstSelf, self) || bad;
    return bad ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 200, starts = 200;
    std::string program = plat::ExecutableFolder() + "/Ravlin";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string key = argv[i];
        if (key == "--runs")
            runs = std::atoi(argv[i + 1]);
        else if (key == "--starts")
            starts = std::atoi(argv[i + 1]);
        else if (key == "--program")
            program = argv[i + 1];
        else {
            std::fprintf(stderr, "usage: soak [--runs N] [--starts N] [--program PATH]\n");
            return 2;
        }
    }
    int status = 0;
    if (runs > 0)
        status |= soakRuns(runs, std::min(10, (runs + 1) / 2));
    if (starts > 0) {
        if (::access(program.c_str(), X_OK) != 0)
            std::printf("starts: %s is not built; skipped\n", program.c_str());
        else
            status |= soakStarts(program, starts, std::min(10, (starts + 1) / 2));
    }
    return status;
}
