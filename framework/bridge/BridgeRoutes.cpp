#include "framework/bridge/BridgeRoutes.h"

#include "framework/bridge/BridgeScript.h"
#include "framework/bridge/PageFolder.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>

namespace afx::bridge {
namespace {

const char kJson[] = "application/json";

std::string contentTypeOf(const std::string& path)
{
    static const struct {
        const char* extension;
        const char* type;
    } kTypes[] = {
        {".htm", "text/html"},      {".html", "text/html"},          {".css", "text/css"},
        {".js", "text/javascript"}, {".json", "application/json"},   {".gif", "image/gif"},
        {".png", "image/png"},      {".jpg", "image/jpeg"},          {".jpeg", "image/jpeg"},
        {".ico", "image/x-icon"},   {".svg", "image/svg+xml"},       {".bmp", "image/bmp"},
        {".txt", "text/plain"},     {".xml", "text/xml"},            {".woff2", "font/woff2"},
    };
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos) {
        std::string extension = path.substr(dot);
        for (const auto& entry : kTypes) {
            if (strcasecmp(extension.c_str(), entry.extension) == 0)
                return entry.type;
        }
    }
    return "application/octet-stream";
}

bool isPage(const std::string& path)
{
    return contentTypeOf(path) == "text/html";
}

bool readFile(const std::filesystem::path& path, std::string* content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream data;
    data << in.rdbuf();
    *content = data.str();
    return true;
}

void sendJson(HttpResponse& response, int status, const nlohmann::json& body)
{
    response.status = status;
    // Texts come from pages and programs; bytes that are not UTF-8 must not
    // stop the answer.
    response.SetContent(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), kJson);
}

void sendError(HttpResponse& response, int status, const std::string& message)
{
    sendJson(response, status, {{"error", message}});
}

// A sequence of texts by element id, from the page's JSON; false when it
// is not an object of strings.
bool readTexts(const nlohmann::json& value, Texts* texts)
{
    if (!value.is_object())
        return false;
    for (const auto& [id, text] : value.items()) {
        if (!text.is_string())
            return false;
        (*texts)[id] = text.get<std::string>();
    }
    return true;
}

// The page's JSON body as an event; an error message when it is malformed.
std::string parseEvent(const HttpRequest& request, PageEvent* event)
{
    nlohmann::json body = nlohmann::json::parse(request.body, nullptr, /*allow_exceptions=*/false);
    if (!body.is_object())
        return "the body is not a JSON object";
    if (body.contains("texts")) {
        Texts texts;
        if (!readTexts(body["texts"], &texts))
            return "\"texts\" must map element ids to strings";
        event->texts = std::move(texts);
    }
    if (request.path == "/bridge/loaded") {
        event->kind = PageEvent::Kind::Loaded;
        if (!body.contains("url") || !body["url"].is_string())
            return "\"url\" (the page's path) is missing";
        event->url = pages::DecodePath(body["url"].get<std::string>());
        if (event->url.empty() || event->url[0] != '/')
            return "\"url\" must be a path beginning with /";
        return "";
    }
    event->kind = PageEvent::Kind::Click;
    if (!body.contains("id") || !body["id"].is_string() || body["id"].get<std::string>().empty())
        return "\"id\" (the clicked element) is missing";
    event->id = body["id"].get<std::string>();
    if (body.contains("doc")) {
        if (!body["doc"].is_number_integer())
            return "\"doc\" must be a document number";
        event->doc = body["doc"].get<int64_t>();
    }
    return "";
}

// A parameter that is a whole number in decimal digits only (no sign, no
// blanks, no fraction, within 64 bits); anything else gives the fallback.
uint64_t numberParam(const HttpRequest& request, const char* name, uint64_t fallback)
{
    if (!request.HasParam(name))
        return fallback;
    std::string text = request.Param(name);
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end)
        return fallback;
    return value;
}

// Headers of every answer: nothing is cached, sniffed, framed or referred.
const HttpHeaders kDefaultHeaders = {
    {"Cache-Control", "no-store"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"},
    {"X-Frame-Options", "DENY"},
    {"Content-Security-Policy", "frame-ancestors 'none'"},
};

} // namespace

BridgeRoutes::BridgeRoutes(BridgeState& state, BridgeTimings timings, const GuardSettings& settings)
    : m_state(state), m_timings(timings), m_settings(settings)
{
}

void BridgeRoutes::SetRoot(const std::string& rootHost)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_root = rootHost;
}

void BridgeRoutes::SetIcon(std::string icon)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_icon = std::move(icon);
}

std::string BridgeRoutes::Root()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_root;
}

HttpResponse BridgeRoutes::Handle(const HttpRequest& request)
{
    HttpResponse response = Route(request);
    // The system's browser control renders a page as an old browser would
    // unless the page asks for its newest engine.
    if (response.Header("Content-Type").rfind("text/html", 0) == 0)
        response.SetHeader("X-UA-Compatible", "IE=edge");
    for (const auto& [name, value] : kDefaultHeaders) {
        if (response.Header(name).empty())
            response.headers.emplace_back(name, value);
    }
    return response;
}

HttpResponse BridgeRoutes::Route(const HttpRequest& request)
{
    HttpResponse response;
    if (auto refusal = CheckRequest(request, m_settings)) {
        response.status = refusal->status;
        if (refusal->status == 405)
            response.SetHeader("Allow", IsActionPath(request.path) ? "POST" : "GET, HEAD");
        response.SetContent(refusal->reason + "\n", "text/plain");
        return response;
    }
    // The guard lets through only POSTs to the action paths and GETs (or
    // HEADs) elsewhere.
    if (request.method == "POST") {
        ContactScope contact(m_state);
        ServeAction(request, response);
    } else if (request.path == "/") {
        ContactScope contact(m_state);
        ServeEntry(request, response);
    } else if (request.path == "/favicon.ico") {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_icon.empty())
            response.status = 404;
        else
            response.SetContent(m_icon, "image/x-icon");
    } else if (request.path == "/bridge/bridge.js") {
        response.SetContent(BridgeScript(), "text/javascript");
    } else if (request.path == "/bridge/state") {
        ContactScope contact(m_state);
        sendJson(response, 200, m_state.Snapshot());
    } else if (request.path == "/bridge/events") {
        ContactScope contact(m_state);
        ServeEvents(request, response);
    } else {
        ContactScope contact(m_state);
        ServeFile(request, response);
    }
    return response;
}
void BridgeRoutes::ServeEntry(const HttpRequest& request, HttpResponse& response)
{
    // The first load brings the token in the address; from then on the
    // cookie carries it, and the address bar shows the page's own address.
    if (request.HasParam("token")) {
        response.SetHeader("Set-Cookie", TokenCookieName(m_settings.port) + "=" + m_settings.token +
                                              "; Path=/; HttpOnly; SameSite=Strict");
    }
    std::string url = m_state.Snapshot()["url"].get<std::string>();
    if (!url.empty()) {
        response.SetRedirect(url, 303);
        return;
    }
    response.SetContent(MissingPage("The first page"), "text/html");
}

void BridgeRoutes::ServeFile(const HttpRequest& request, HttpResponse& response)
{
    std::string root = Root();
    auto file = root.empty() ? std::nullopt : pages::Resolve(root, request.path);
    std::string content;
    if (!file || !readFile(*file, &content)) {
        response.status = 404;
        if (isPage(request.path))
            response.SetContent(MissingPage(request.path), "text/html");
        else
            response.SetContent("not found\n", "text/plain");
        return;
    }
    // The type follows the address asked for: the file has that name, in
    // whatever case it is written on disk.
    if (isPage(request.path)) {
        response.SetContent(InjectBridge(content), "text/html");
        return;
    }
    // The pages' style sheets and pictures stay as they are while the
    // dialog runs: the browser may keep them for a while instead of asking
    // again on every page (a page itself is always fetched anew).
    response.SetHeader("Cache-Control", "private, max-age=300");
    response.SetContent(content, contentTypeOf(request.path));
}

void BridgeRoutes::ServeEvents(const HttpRequest& request, HttpResponse& response)
{
    uint64_t since = numberParam(request, "since", 0);
    // Capped while still a count: a wait of 2^63 ms or more would turn
    // negative as a duration and slip under the cap.
    uint64_t waitMs = numberParam(request, "wait", static_cast<uint64_t>(m_timings.defaultPoll.count()));
    auto wait = std::chrono::milliseconds(std::min<uint64_t>(waitMs, static_cast<uint64_t>(m_timings.maxPoll.count())));
    sendJson(response, 200, m_state.WaitForChange(since, wait));
}

void BridgeRoutes::ServeAction(const HttpRequest& request, HttpResponse& response)
{
    PageEvent event;
    std::string problem = parseEvent(request, &event);
    if (!problem.empty()) {
        sendError(response, 400, problem);
        return;
    }
    auto reply = m_state.Submit(std::move(event), m_timings.replyTimeout);
    if (!reply) {
        sendJson(response, 503, {{"error", "the dialog did not answer"}, {"state", m_state.Snapshot()}});
        return;
    }
    sendJson(response, reply->status, reply->body);
}

} // namespace afx::bridge
