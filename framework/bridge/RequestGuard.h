// The page server's rules for every request, checked before any is served:
//   - the Host header is exactly 127.0.0.1:PORT or localhost:PORT (a foreign
//     name means a DNS rebinding attempt);
//   - an Origin header, when sent, is this server's own ("null" and foreign
//     origins are refused), and fetch metadata shows no cross-site request;
//   - the run's token comes along: as ?token= on the first load of "/", then
//     as the cookie that load sets, or as the X-Ravlin-Token header;
//   - pages and state are read with GET (or HEAD); the two state-changing
//     requests are JSON POSTs (Content-Type application/json) and nothing else.
#pragma once

#include "framework/bridge/HttpMessage.h"

#include <optional>
#include <string>

namespace afx::bridge {

struct GuardSettings {
    int port = 0;
    std::string token;
};

struct Refusal {
    int status;
    std::string reason;
};

// The name of the cookie that carries the token (per port, as cookies are
// shared by every port of a host).
std::string TokenCookieName(int port);

// Paths that change state and take a JSON POST.
bool IsActionPath(const std::string& path);

// The first rule the request breaks, or nullopt.
std::optional<Refusal> CheckRequest(const HttpRequest& request, const GuardSettings& settings);

} // namespace afx::bridge
