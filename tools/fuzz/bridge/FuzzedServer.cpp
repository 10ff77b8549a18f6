#include "FuzzedServer.h"

#include "framework/bridge/PageFolder.h"

#include <stdlib.h>
#include <strings.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace fuzzbridge {

// Short waits: an event poll must not stall a run (a click is answered at
// once, so its limit is only reached when something is wrong).
FuzzedServer::FuzzedServer() : server(state, afx::bridge::BridgeTimings{2000ms, 1ms, 0ms})
{
    char pattern[] = "/tmp/ravlin-bridge-fuzz-XXXXXX";
    if (!::mkdtemp(pattern))
        std::abort();
    dir = pattern;
    fs::create_directories(dir / "htm/Lang0409");
    fs::create_directories(dir / "htm/common");
    std::ofstream(dir / "htm/Lang0409/start.htm") << "<html><head></head><body><b id=\"x\">x</b></body></html>";
    std::ofstream(dir / "htm/common/style.css") << "body{}";
    std::ofstream(dir / "secret.txt") << "secret";
    fs::create_directory_symlink(dir, dir / "htm/up");
    if (!server.Start())
        std::abort();
    server.SetRoot((dir / "htm").string());
    server.SetIcon(std::string("\0\0\1\0", 4));
    state.Navigate("/Lang0409/start.htm");
    state.AcceptDocument("/Lang0409/start.htm", {{"x", "x"}});
    state.SetBound({"x"});
    // The stand-in dialog answers each event as soon as it is told of it.
    state.SetNotifier([this] {
        std::lock_guard<std::mutex> lock(mutex);
        waiting = true;
        wake.notify_one();
    });
    dialog = std::thread([this] {
        std::unique_lock<std::mutex> lock(mutex);
        while (!stop) {
            wake.wait_for(lock, 50ms, [this] { return waiting || stop.load(); });
            waiting = false;
            lock.unlock();
            for (auto& event : state.TakeEvents())
                state.Reply(event.seq, {200, {{"answered", event.id}}});
            lock.lock();
        }
    });
}

FuzzedServer::~FuzzedServer()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
        wake.notify_one();
    }
    dialog.join();
    server.Stop();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

FuzzedServer& Server()
{
    static auto* s = new FuzzedServer; // lives for the fuzzing process
    return *s;
}

namespace {

std::string substitute(std::string_view text, const std::string& port, const std::string& token)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '$' && i + 1 < text.size() && (text[i + 1] == 'P' || text[i + 1] == 'T')) {
            out += text[i + 1] == 'P' ? port : token;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string_view takeLine(std::string_view* rest)
{
    size_t end = rest->find('\n');
    std::string_view line = rest->substr(0, end);
    *rest = end == std::string_view::npos ? std::string_view() : rest->substr(end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

FuzzedRequest BuildRequest(const uint8_t* data, size_t size)
{
    FuzzedServer& s = Server();
    const std::string port = std::to_string(s.server.Port());
    const std::string& token = s.server.Token();
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string method(takeLine(&rest));
    bool big = method.size() >= 4 && method.compare(method.size() - 4, 4, "+BIG") == 0;
    if (big)
        method.resize(method.size() - 4);
    FuzzedRequest request;
    request.target = substitute(takeLine(&rest), port, token);
    request.head = method == "HEAD";
    std::string headers;
    bool host = false;
    while (!rest.empty()) {
        std::string_view line = takeLine(&rest);
        if (line.empty())
            break;
        if (line.size() >= 5 && strncasecmp(line.data(), "host:", 5) == 0)
            host = true;
        if (line.size() >= 15 && strncasecmp(line.data(), "content-length:", 15) == 0)
            continue; // the fuzzer frames the body itself
        headers += substitute(line, port, token) + "\r\n";
    }
    std::string body = substitute(rest, port, token);
    // Grown in one allocation: a big input is made at every few runs.
    size_t copies = big && !body.empty() ? (1u << 20) / body.size() + 1 : 1;
    if (!host)
        headers = "Host: 127.0.0.1:" + port + "\r\n" + headers;
    std::string head = method + " " + request.target + " HTTP/1.1\r\n" + headers +
                       "Content-Length: " + std::to_string(body.size() * copies) + "\r\n\r\n";
    request.text = std::move(head);
    request.text.reserve(request.text.size() + body.size() * copies);
    for (size_t i = 0; i < copies; ++i)
        request.text += body;
    return request;
}

void CheckPageFolder(const std::string& target)
{
    std::string path = target.substr(0, target.find('?'));
    std::string decoded = afx::bridge::pages::DecodePath(path);
    if (afx::bridge::pages::DecodePath(afx::bridge::pages::EncodePath(decoded)) != decoded)
        __builtin_trap();
    if (!afx::bridge::pages::SamePage(decoded, decoded))
        __builtin_trap();
    const std::string root = (Server().dir / "htm").string();
    if (auto file = afx::bridge::pages::Resolve(root, decoded)) {
        // Whatever is resolved lies inside the folder once links are followed.
        std::error_code ec;
        std::string real = fs::canonical(*file, ec).string();
        if (ec || real.compare(0, root.size() + 1, root + "/") != 0)
            __builtin_trap();
    }
}

void CheckAnswer(int status, const std::string& body)
{
    if (status < 200 || status >= 500)
        __builtin_trap();
    // Only the guard's rules and the files' existence decide; a secret
    // outside the folder is never served.
    if (status == 200 && body == "secret")
        __builtin_trap();
}

} // namespace fuzzbridge
