// Turns a command's outcome into the timed steps the modem sends, with the
// settings' faults for that command line applied in order.
#pragma once

#include "modemfw/CommandExecutor.h"
#include "modemfw/ModemSettings.h"

#include <string>
#include <vector>

namespace plat::modemfw {

struct Step {
    double atMs = 0; // modem milliseconds after the command line ended
    std::string bytes;
    Effect effect = Effect::None;
    bool answer = false; // the command's own answer (or what a fault left of it)
};

// Steps in time order. Without faults: one step at the outcome's delay.
std::vector<Step> PlanReply(const Outcome& outcome, const std::vector<Fault>& faults, const Framing& framing);

} // namespace plat::modemfw
