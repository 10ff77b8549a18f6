// The dialog's page server: an HTTP server on 127.0.0.1 (any free port)
// that serves the page folder with the bridge script added to each page,
// the page icon, and the bridge requests (docs/bridge.md). Every request
// passes RequestGuard first. Requests run on the server's own threads; the
// events they carry reach the dialog through BridgeState.
#pragma once

#include "framework/bridge/BridgeState.h"
#include "framework/bridge/RequestGuard.h"

#include <httplib.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace plat::ui {

struct BridgeTimings {
    // How long a click or load waits for the dialog's answer.
    std::chrono::milliseconds replyTimeout{10000};
    // The longest wait a poll of /bridge/events may ask for, and its default.
    std::chrono::milliseconds maxPoll{25000};
    std::chrono::milliseconds defaultPoll{20000};
};

class BridgeServer {
public:
    explicit BridgeServer(BridgeState& state, BridgeTimings timings = {});
    ~BridgeServer();
    BridgeServer(const BridgeServer&) = delete;
    BridgeServer& operator=(const BridgeServer&) = delete;

    // Binds 127.0.0.1 on a free port and starts serving; false when no port
    // or no randomness for the token could be had.
    bool Start();
    // Stops serving and waits for the requests in progress.
    void Stop();

    int Port() const { return m_settings.port; }
    const std::string& Token() const { return m_settings.token; }
    // The address that opens the dialog in a browser: http://127.0.0.1:PORT/?token=...
    std::string Address() const;

    // The folder whose files are served (a host path); thread-safe.
    void SetRoot(const std::string& rootHost);
    // The bytes of /favicon.ico (an .ico file); empty for none.
    void SetIcon(std::string icon);

private:
    void Route();
    void ServeEntry(const httplib::Request& request, httplib::Response& response);
    void ServeFile(const httplib::Request& request, httplib::Response& response);
    void ServeEvents(const httplib::Request& request, httplib::Response& response);
    void ServeAction(const httplib::Request& request, httplib::Response& response);
    std::string Root();

    BridgeState& m_state;
    BridgeTimings m_timings;
    GuardSettings m_settings;
    httplib::Server m_server;
    std::thread m_thread;
    std::atomic<bool> m_listening{false};
    std::mutex m_mutex; // guards m_root and m_icon
    std::string m_root;
    std::string m_icon;
};

} // namespace plat::ui
