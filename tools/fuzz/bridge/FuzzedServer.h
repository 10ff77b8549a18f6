// What both page-server fuzzers share: a running server with a stand-in
// dialog that answers every event and a page folder with a page, a style
// sheet and a link out of it; the fuzzer's input turned into one HTTP
// request; and the checks every answer must pass.
//
// The input is a request in lines: the method, the target, header lines up
// to an empty line, then the body. "$P" becomes the server's port and "$T"
// its token, so that inputs get past the guard; a Host header is added
// unless the input gives one, and Content-Length always. A method line
// ending in "+BIG" repeats the body beyond the server's 1 MiB limit.
#pragma once

#include "framework/bridge/BridgeServer.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

namespace fuzzbridge {

struct FuzzedServer {
    FuzzedServer();
    ~FuzzedServer();

    std::filesystem::path dir;
    afx::bridge::BridgeState state;
    afx::bridge::BridgeServer server;
    std::atomic<bool> stop{false};
    std::mutex mutex; // guards waiting
    std::condition_variable wake;
    bool waiting = false;
    std::thread dialog;
};

// The one server of the fuzzing process.
FuzzedServer& Server();

struct FuzzedRequest {
    std::string text; // the whole request as sent
    std::string target;
    bool head = false;
};

FuzzedRequest BuildRequest(const uint8_t* data, size_t size);

// Traps unless the page folder's decoding and encoding of the target
// round-trip and whatever it resolves lies inside the folder.
void CheckPageFolder(const std::string& target);

// Traps on an answer that is no 2xx to 4xx, or that serves the secret kept
// outside the page folder.
void CheckAnswer(int status, const std::string& body);

} // namespace fuzzbridge
