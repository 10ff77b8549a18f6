// What the line costs: the round trip of one AT command through a
// passthrough call (written byte by byte until the final reply is read), and
// the CPU time per second of an open call that nobody uses, next to that of
// the same machine without a line.
#include "TapiLine.h"

#include "Trace.h"
#include "tapi/testing/TapiMachine.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <string>
#include <thread>

using namespace plat::tapi::testing;

namespace {

// The modem answers at once (its own processing time scaled to nothing),
// so the figures are the line's and the port's.
const char kMachine[] = R"("ports": {"COM3": {"modem": "m"}}, "modems": {"m": {"timeScale": 0}})";

enum class Setup { MachineOnly, LineOpen, CallConnected };

class ConnectedLine {
public:
    explicit ConnectedLine(Setup setup = Setup::CallConnected)
    {
        TraceSetLevel(0);
        m_ok = m_machine.Load({ModemEntry{}}, kMachine).empty();
        if (!m_ok || setup == Setup::MachineOnly)
            return;
        m_ok = m_line.Open("Virtual Data Fax Modem", "COM3") == 0;
        if (!m_ok || setup == Setup::LineOpen)
            return;
        m_ok = m_line.MakeCall(NULL) == 0;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (m_ok && !m_line.WriteByte('\r')) {
            m_ok = std::chrono::steady_clock::now() < end;
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        char c;
        while (m_line.ReadByte(&c)) {
        }
    }

    bool Ok() const { return m_ok; }
    CTapiLine& Line() { return m_line; }

private:
    TapiMachine m_machine;
    CTapiLine m_line;
    bool m_ok = false;
};

void BM_AtCommandRoundTrip(benchmark::State& state)
{
    ConnectedLine connected;
    if (!connected.Ok()) {
        state.SkipWithError("the line did not connect");
        return;
    }
    CTapiLine& line = connected.Line();
    const std::string command = "AT\r\n";
    for (auto _ : state) {
        for (char c : command) {
            while (!line.WriteByte(c))
                std::this_thread::yield();
        }
        std::string reply;
        while (reply.find("OK\r\n") == std::string::npos) {
            char c;
            if (line.ReadByte(&c))
                reply += c;
            else
                std::this_thread::yield();
        }
    }
}
BENCHMARK(BM_AtCommandRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

// Process CPU time per second of wall time while nothing happens (the
// connected call leaves a one-byte read outstanding, as the engine does).
void idleCpu(benchmark::State& state, Setup setup)
{
    ConnectedLine connected(setup);
    if (!connected.Ok()) {
        state.SkipWithError("the machine did not start");
        return;
    }
    double cpuSeconds = 0;
    double wallSeconds = 0;
    for (auto _ : state) {
        std::clock_t cpuStart = std::clock();
        auto wallStart = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        cpuSeconds += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        wallSeconds += wall;
        state.SetIterationTime(wall);
    }
    state.counters["cpu_ms_per_s"] = cpuSeconds * 1000 / wallSeconds;
}

void BM_IdleCallCpu(benchmark::State& state)
{
    idleCpu(state, Setup::CallConnected);
}
void BM_IdleLineWithoutCallCpu(benchmark::State& state)
{
    idleCpu(state, Setup::LineOpen);
}
void BM_IdleMachineWithoutLineCpu(benchmark::State& state)
{
    idleCpu(state, Setup::MachineOnly);
}
BENCHMARK(BM_IdleCallCpu)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleLineWithoutCallCpu)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleMachineWithoutLineCpu)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
