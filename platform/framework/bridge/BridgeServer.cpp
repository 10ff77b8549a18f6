#include "framework/bridge/BridgeServer.h"

#include "framework/bridge/BridgeScript.h"
#include "framework/bridge/PageFolder.h"
#include "framework/bridge/Token.h"

#include <csignal>
#include <fstream>
#include <sstream>
#include <strings.h>

namespace plat::ui {
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

bool readFile(const std::string& path, std::string* content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream data;
    data << in.rdbuf();
    *content = data.str();
    return true;
}

void sendJson(httplib::Response& response, int status, const nlohmann::json& body)
{
    response.status = status;
    // Texts come from pages and programs; bytes that are not UTF-8 must not
    // stop the answer.
    response.set_content(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), kJson);
}

void sendError(httplib::Response& response, int status, const std::string& message)
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
std::string parseEvent(const httplib::Request& request, PageEvent* event)
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

uint64_t numberParam(const httplib::Request& request, const char* name, uint64_t fallback)
{
    if (!request.has_param(name))
        return fallback;
    try {
        return std::stoull(request.get_param_value(name));
    } catch (const std::exception&) {
        return fallback;
    }
}

// Writing to a browser that has gone away must not end the process.
void ignoreBrokenPipes()
{
    struct sigaction current = {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

BridgeServer::BridgeServer(BridgeState& state, BridgeTimings timings) : m_state(state), m_timings(timings)
{
}

BridgeServer::~BridgeServer()
{
    Stop();
}

bool BridgeServer::Start()
{
    if (m_thread.joinable())
        return true;
    m_settings.token = MakeToken();
    if (m_settings.token.empty())
        return false;
    ignoreBrokenPipes();
    Route();
    m_settings.port = m_server.bind_to_any_port("127.0.0.1");
    if (m_settings.port <= 0)
        return false;
    m_listening = true;
    m_thread = std::thread([this] {
        m_server.listen_after_bind();
        m_listening = false;
    });
    // A stop() before the loop runs would be lost, so Start returns only
    // once the server is listening.
    while (m_listening && !m_server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return m_listening;
}

void BridgeServer::Stop()
{
    if (!m_thread.joinable())
        return;
    m_server.stop();
    m_thread.join();
}

std::string BridgeServer::Address() const
{
    return "http://127.0.0.1:" + std::to_string(m_settings.port) + "/?token=" + m_settings.token;
}

void BridgeServer::SetRoot(const std::string& rootHost)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_root = rootHost;
}

void BridgeServer::SetIcon(std::string icon)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_icon = std::move(icon);
}

std::string BridgeServer::Root()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_root;
}

void BridgeServer::Route()
{
    m_server.set_payload_max_length(1 << 20);
    m_server.set_keep_alive_timeout(2);
    m_server.set_default_headers({
        {"Cache-Control", "no-store"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"X-Frame-Options", "DENY"},
        {"Content-Security-Policy", "frame-ancestors 'none'"},
    });
    m_server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        auto refusal = CheckRequest(request, m_settings);
        if (!refusal)
            return httplib::Server::HandlerResponse::Unhandled;
        response.status = refusal->status;
        if (refusal->status == 405)
            response.set_header("Allow", IsActionPath(request.path) ? "POST" : "GET, HEAD");
        response.set_content(refusal->reason + "\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    });

    m_server.Get("/", [this](const httplib::Request& request, httplib::Response& response) {
        ContactScope contact(m_state);
        ServeEntry(request, response);
    });
    m_server.Get("/favicon.ico", [this](const httplib::Request&, httplib::Response& response) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_icon.empty())
            response.status = 404;
        else
            response.set_content(m_icon, "image/x-icon");
    });
    m_server.Get("/bridge/bridge.js", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(BridgeScript(), "text/javascript");
    });
    m_server.Get("/bridge/state", [this](const httplib::Request&, httplib::Response& response) {
        ContactScope contact(m_state);
        sendJson(response, 200, m_state.Snapshot());
    });
    m_server.Get("/bridge/events", [this](const httplib::Request& request, httplib::Response& response) {
        ContactScope contact(m_state);
        ServeEvents(request, response);
    });
    auto action = [this](const httplib::Request& request, httplib::Response& response) {
        ContactScope contact(m_state);
        ServeAction(request, response);
    };
    m_server.Post("/bridge/loaded", action);
    m_server.Post("/bridge/click", action);
    m_server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        ContactScope contact(m_state);
        ServeFile(request, response);
    });
}

void BridgeServer::ServeEntry(const httplib::Request& request, httplib::Response& response)
{
    // The first load brings the token in the address; from then on the
    // cookie carries it, and the address bar shows the page's own address.
    if (request.has_param("token")) {
        response.set_header("Set-Cookie", TokenCookieName(m_settings.port) + "=" + m_settings.token +
                                              "; Path=/; HttpOnly; SameSite=Strict");
    }
    std::string url = m_state.Snapshot()["url"].get<std::string>();
    if (!url.empty()) {
        response.set_redirect(url, 303);
        return;
    }
    response.set_content(MissingPage("The first page"), "text/html");
}

void BridgeServer::ServeFile(const httplib::Request& request, httplib::Response& response)
{
    std::string root = Root();
    auto file = root.empty() ? std::nullopt : pages::Resolve(root, request.path);
    std::string content;
    if (!file || !readFile(*file, &content)) {
        response.status = 404;
        if (isPage(request.path))
            response.set_content(MissingPage(request.path), "text/html");
        else
            response.set_content("not found\n", "text/plain");
        return;
    }
    if (isPage(*file)) {
        response.set_content(InjectBridge(content), "text/html");
        return;
    }
    // The pages' style sheets and pictures stay as they are while the
    // dialog runs: the browser may keep them for a while instead of asking
    // again on every page (a page itself is always fetched anew).
    response.headers.erase("Cache-Control");
    response.set_header("Cache-Control", "private, max-age=300");
    response.set_content(content, contentTypeOf(*file));
}

void BridgeServer::ServeEvents(const httplib::Request& request, httplib::Response& response)
{
    uint64_t since = numberParam(request, "since", 0);
    auto wait = std::chrono::milliseconds(numberParam(request, "wait", m_timings.defaultPoll.count()));
    sendJson(response, 200, m_state.WaitForChange(since, std::min(wait, m_timings.maxPoll)));
}

void BridgeServer::ServeAction(const httplib::Request& request, httplib::Response& response)
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

} // namespace plat::ui
