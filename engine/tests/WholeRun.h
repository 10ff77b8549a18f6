// What whole runs against the emulated PC share: a copy of a built-in
// machine whose modems run a hundred times faster, and the pump that moves
// the machine's clock on while the dialog waits.
#pragma once

#include "EngineHarness.h"

#include "boot/Boot.h"
#include "core/testing/TempProfile.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace harness {

class FastMachine {
public:
    explicit FastMachine(const std::string& name, const std::function<void(nlohmann::json&)>& edit = {})
    {
        std::filesystem::copy(std::string(RAVLIN_SOURCE_DIR) + "/machines/" + name, m_profile.Folder(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        std::ifstream in(m_profile.Path("machine.json"));
        nlohmann::json json = nlohmann::json::parse(in);
        for (auto& [modem, settings] : json["modems"].items()) {
            settings["timeScale"] = 0.01;
            // Every command takes the modem 50 ms of the machine's time, so
            // the LF behind a command's CR reaches it while it is still busy
            // with the command, as at its own speed.
            settings["timing"]["commandMs"] = 5000;
        }
        if (edit)
            edit(json);
        m_profile.Write("machine.json", json.dump(2));
    }

    std::string Start() const
    {
        std::string error;
        return plat::StartMachineFrom(m_profile.Folder(), &error) ? std::string() : error;
    }

private:
    plat::testing::TempProfile m_profile;
};

// Ten times real time throughout, and big steps while the line is closed,
// when the only thing a run can wait for is the clock.
class ClockPump {
public:
    explicit ClockPump(const TraceFile& trace) : m_trace(trace) {}
    void operator()()
    {
        std::vector<std::string> lines = m_trace.Lines();
        bool lineClosed = !lines.empty() && lines.back() == "TapiLine closed";
        plat::clock::Advance(std::chrono::milliseconds(lineClosed ? 500 : 10));
    }

private:
    const TraceFile& m_trace;
};

} // namespace harness
