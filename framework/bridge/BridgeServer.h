// The dialog's page server: HTTP on 127.0.0.1 (any free port), each
// connection on a thread of its own, every request answered by
// BridgeRoutes. The events the requests carry reach the dialog through
// BridgeState.
#pragma once

#include "framework/bridge/BridgeRoutes.h"

#include <memory>
#include <string>

namespace afx::bridge {

class BridgeServer {
public:
    explicit BridgeServer(BridgeState& state, BridgeTimings timings = {});
    ~BridgeServer();
    BridgeServer(const BridgeServer&) = delete;
    BridgeServer& operator=(const BridgeServer&) = delete;

    // Binds 127.0.0.1 on a free port and starts serving; false when no port
    // or no randomness for the token could be had.
    bool Start();
    // Stops serving: closes every connection and waits for the requests in
    // progress.
    void Stop();

    int Port() const { return m_settings.port; }
    const std::string& Token() const { return m_settings.token; }
    // The address that opens the dialog in a browser: http://127.0.0.1:PORT/?token=...
    std::string Address() const;

    // The folder whose files are served (a host path); thread-safe.
    void SetRoot(const std::string& rootHost) { m_routes.SetRoot(rootHost); }
    // The bytes of /favicon.ico (an .ico file); empty for none.
    void SetIcon(std::string icon) { m_routes.SetIcon(std::move(icon)); }

    BridgeRoutes& Routes() { return m_routes; }

private:
    struct Listener;

    GuardSettings m_settings;
    BridgeRoutes m_routes;
    std::unique_ptr<Listener> m_listener;
};

} // namespace afx::bridge
