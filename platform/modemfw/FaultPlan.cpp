#include "modemfw/FaultPlan.h"

#include <algorithm>

namespace plat::modemfw {
namespace {

std::string frameUnsolicited(const std::string& text, const Framing& framing)
{
    if (auto code = ResultFromText(text))
        return FrameResult(*code, Framing{framing.verbose, false});
    return FrameText({text}, Framing{true, false});
}

} // namespace

std::vector<Step> PlanReply(const Outcome& outcome, const std::vector<Fault>& faults, const Framing& framing)
{
    Step reply{outcome.delayMs, outcome.reply, outcome.effect, true};
    std::vector<Step> extra; // steps besides the reply
    for (const Fault& f : faults) {
        switch (f.kind) {
        case FaultKind::NoReply:
            reply.bytes.clear();
            break;
        case FaultKind::Delay:
            reply.atMs += f.ms;
            break;
        case FaultKind::Garbage:
            reply.bytes = f.thenReply ? f.bytes + reply.bytes : f.bytes;
            break;
        case FaultKind::Partial:
            reply.bytes.resize(std::min(reply.bytes.size(), f.partialBytes.value_or(reply.bytes.size() / 2)));
            break;
        case FaultKind::Unsolicited:
            if (f.afterReply)
                extra.push_back(Step{reply.atMs + f.ms, frameUnsolicited(f.bytes, framing), Effect::None});
            else
                reply.bytes = frameUnsolicited(f.bytes, framing) + reply.bytes;
            break;
        case FaultKind::PortGone:
            extra.push_back(Step{f.ms, "", Effect::Gone});
            break;
        }
    }
    std::vector<Step> steps{reply};
    steps.insert(steps.end(), extra.begin(), extra.end());
    // A gone port sends nothing more, so steps at or after it vanish with it.
    std::stable_sort(steps.begin(), steps.end(), [](const Step& a, const Step& b) {
        if (a.atMs != b.atMs)
            return a.atMs < b.atMs;
        return a.effect != Effect::Gone && b.effect == Effect::Gone;
    });
    auto gone = std::find_if(steps.begin(), steps.end(), [](const Step& s) { return s.effect == Effect::Gone; });
    if (gone != steps.end()) {
        // Everything at the same moment as the disappearance is lost as well.
        auto first = std::find_if(steps.begin(), gone, [&](const Step& s) { return s.atMs >= gone->atMs; });
        Step last = *gone;
        steps.erase(first, steps.end());
        steps.push_back(last);
    }
    return steps;
}

} // namespace plat::modemfw
