// What the page server answers: every request passes RequestGuard first,
// then goes to the page folder (with the bridge script added to each page),
// the page icon or the bridge requests (docs/bridge.md). Nothing here knows
// how requests travel; BridgeServer carries them over HTTP, and tools can
// call Handle directly. Handle blocks while an event waits for the dialog's
// answer or a poll waits for a change, so each connection needs its own
// thread.
#pragma once

#include "framework/bridge/BridgeState.h"
#include "framework/bridge/HttpMessage.h"
#include "framework/bridge/RequestGuard.h"

#include <chrono>
#include <mutex>
#include <string>

namespace afx::bridge {

struct BridgeTimings {
    // How long a click or load waits for the dialog's answer.
    std::chrono::milliseconds replyTimeout{10000};
    // The longest wait a poll of /bridge/events may ask for, and its default.
    std::chrono::milliseconds maxPoll{25000};
    std::chrono::milliseconds defaultPoll{20000};
};

class BridgeRoutes {
public:
    BridgeRoutes(BridgeState& state, BridgeTimings timings, const GuardSettings& settings);

    // The answer to one request (a HEAD request is answered as its GET; the
    // transport leaves the body out). Thread-safe.
    HttpResponse Handle(const HttpRequest& request);

    // The folder whose files are served (a host path).
    void SetRoot(const std::string& rootHost);
    // The bytes of /favicon.ico (an .ico file); empty for none.
    void SetIcon(std::string icon);

private:
    HttpResponse Route(const HttpRequest& request);
    void ServeEntry(const HttpRequest& request, HttpResponse& response);
    void ServeFile(const HttpRequest& request, HttpResponse& response);
    void ServeEvents(const HttpRequest& request, HttpResponse& response);
    void ServeAction(const HttpRequest& request, HttpResponse& response);
    std::string Root();

    BridgeState& m_state;
    BridgeTimings m_timings;
    const GuardSettings& m_settings;
    std::mutex m_mutex; // guards m_root and m_icon
    std::string m_root;
    std::string m_icon;
};

} // namespace afx::bridge
