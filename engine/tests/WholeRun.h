// What whole runs against the emulated PC share: a copy of a built-in
// machine whose modems run a hundred times faster, and the pump that moves
// the machine's clock on while the dialog waits.
#pragma once

#include "EngineHarness.h"

#include "boot/Boot.h"
#include "core/Overlay.h"
#include "core/testing/TempProfile.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

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
        // An overlay's modems may all come from its base: take them from
        // the whole chain.
        std::vector<plat::overlay::Layer> chain;
        plat::ProfileError ignored;
        nlohmann::json modems = plat::overlay::ReadChain(m_profile.Folder(), &chain, &ignored)
                                    ? plat::overlay::MergedJson(chain)["modems"]
                                    : json["modems"];
        for (auto& [modem, unused] : modems.items()) {
            nlohmann::json& settings = json["modems"][modem];
            settings["timeScale"] = 0.01;
            // Every command takes the modem 50 ms of the machine's time, so
            // that the LF behind a command's CR always reaches it while it
            // is still busy with the command, as at its own speed (after
            // AT&T1 a later LF would be taken for the test byte).
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

// Moves the machine's clock on while the dialog waits: ten times as fast
// as real time throughout, and in big steps while the line is closed,
// when the only thing a run can wait for is the clock.
class ClockPump {
public:
    explicit ClockPump(const TraceFile& trace) : m_trace(trace) {}
    void operator()()
    {
        bool lineClosed = m_trace.LastLineIs("TapiLine closed");
        plat::clock::Advance(std::chrono::milliseconds(lineClosed ? 500 : 10));
    }

private:
    const TraceFile& m_trace;
};

} // namespace harness
