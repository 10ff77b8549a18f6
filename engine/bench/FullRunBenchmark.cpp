// What a whole passing run costs on the default machine at the modem's own
// speed: its wall time, how much of it the run's own waits explain (the
// card test's settling wait, the modem's command times), and the processor
// time of the engine's thread and of the whole process.
#include "TestThread.h"
#include "Trace.h"

#include "boot/Boot.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

double Seconds(const FILETIME& a, const FILETIME& b)
{
    auto units = [](const FILETIME& f) { return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(units(a) + units(b)) / 1e7;
}

// Processor seconds a thread of this process has used, given its handle.
double ThreadCpuSeconds(HANDLE hThread)
{
    FILETIME created, exited, kernel, user;
    return GetThreadTimes(hThread, &created, &exited, &kernel, &user) ? Seconds(kernel, user) : 0.0;
}

double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    return GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user) ? Seconds(kernel, user) : 0.0;
}

struct Line {
    double at; // seconds of the day
    std::string text;
};

// The trace file's lines with their time stamps.
std::vector<Line> ReadTrace(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<Line> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        int h, m, s, ms;
        size_t colon = line.find(": ");
        if (line.size() > 13 && std::sscanf(line.c_str(), "%2d:%2d:%2d_%3d", &h, &m, &s, &ms) == 4 &&
            colon != std::string::npos) {
            lines.push_back({h * 3600.0 + m * 60.0 + s + ms / 1000.0, line.substr(colon + 2)});
        }
    }
    return lines;
}

bool Starts(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

void BM_FullPassingRun(benchmark::State& state)
{
    std::string error;
    if (!plat::StartMachineFrom(std::string(RAVLIN_SOURCE_DIR) + "/machines/default", &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    CWnd dialog;
    dialog.CreateMessageWindow();
    CTestThread engine;
    auto waitFor = [&](UINT message) {
        MSG msg;
        while (::GetMessage(&msg, dialog.m_hWnd, 0, 0) > 0) {
            if (msg.message == message)
                return msg.wParam;
        }
        return (WPARAM)-1;
    };
    engine.SetWnd(&dialog, NULL);
    engine.ResumeTest();
    if (waitFor(WM_DETECT_RESULT) != DETECT_FOUND) {
        state.SkipWithError("the modem was not found");
        return;
    }

    double settle = 0, commands = 0, checks = 0, wall = 0, engineCpu = 0, processCpu = 0, idleCpu = 0;
    for (auto _ : state) {
        std::remove("bench_run.trc");
        TraceSetName("bench_run");
        TraceSetLevel(20);
        double engineBefore = ThreadCpuSeconds(engine.m_hThread);
        double processBefore = ProcessCpuSeconds();
        auto start = std::chrono::steady_clock::now();
        engine.SetWnd(&dialog, NULL);
        engine.ResumeTest();
        WPARAM result = waitFor(WM_TEST_RESULT);
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        engineCpu += ThreadCpuSeconds(engine.m_hThread) - engineBefore;
        processCpu += ProcessCpuSeconds() - processBefore;
        if (result != RESULT_PASSED) {
            state.SkipWithError("the run did not pass");
            return;
        }

        // Where the time went, by the trace's time stamps.
        std::vector<Line> lines = ReadTrace("bench_run.trc");
        double commandStart = -1, settleStart = -1;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& text = lines[i].text;
            if (Starts(text, "Send AT Command = "))
                commandStart = lines[i].at;
            if (commandStart >= 0 && (Starts(text, " Response = ") || text.find(" not supported, Response") != std::string::npos)) {
                commands += lines[i].at - commandStart;
                commandStart = -1;
            }
            if (text == "Receive test byte passed")
                settleStart = lines[i].at;
            if (settleStart >= 0 && text == "Card test passed") {
                settle += lines[i].at - settleStart;
                settleStart = -1;
            }
            if (text == "No hardware problem found" || Starts(text, "Verify Modem Files") ||
                text == "Verify Modem Registry passed ")
                checks = lines[i].at - lines.front().at; // start of the run to the end of the checks
        }

        // Idle: the thread waits for the next run without using the processor.
        state.PauseTiming();
        double idleBefore = ThreadCpuSeconds(engine.m_hThread);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        idleCpu += ThreadCpuSeconds(engine.m_hThread) - idleBefore;
        state.ResumeTiming();
    }
    double n = static_cast<double>(state.iterations());
    state.counters["wall_s"] = wall / n;
    state.counters["settle_s"] = settle / n;
    state.counters["at_commands_s"] = commands / n;
    state.counters["start_checks_s"] = checks / n;
    state.counters["rest_s"] = (wall - settle - commands - checks) / n;
    state.counters["engine_cpu_s"] = engineCpu / n;
    state.counters["process_cpu_s"] = processCpu / n;
    state.counters["idle_engine_cpu_s_per_s"] = idleCpu / n;
}

BENCHMARK(BM_FullPassingRun)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
