// The page server's rules, tested over loopback with an HTTP client: the
// token, the Host and Origin headers, methods and content types, and the
// files it will serve. Nothing here reaches another host.
#include "framework/bridge/BridgeScript.h"
#include "framework/bridge/BridgeServer.h"

#include "framework/bridge/Token.h"

#include "TestHttpClient.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using afx::bridge::HttpHeaders;
using afx::bridge::testing::HttpReply;
using afx::bridge::testing::SendHttp;

void writeFile(const fs::path& path, const std::string& content)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

class BridgeSecurityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("ravlin-bridge-" + afx::bridge::MakeToken().substr(0, 12));
        writeFile(m_dir / "htm/Lang0409/start.htm", "<!DOCTYPE html><html><head><title>t</title></head><body>"
                                                    "<button id=\"ButtonOK\">OK</button></body></html>");
        writeFile(m_dir / "htm/common/style.css", "body{}");
        writeFile(m_dir / "secret.txt", "secret");
        fs::create_directory_symlink(m_dir, m_dir / "htm/up");
        ASSERT_TRUE(m_server.Start());
        m_server.SetRoot((m_dir / "htm").string());
        m_state.Navigate("/Lang0409/start.htm");
        m_port = m_server.Port();
        m_host = "127.0.0.1:" + std::to_string(m_port);
        m_cookie = afx::bridge::TokenCookieName(m_port) + "=" + m_server.Token();
        // Stands in for the dialog: answers every event.
        m_dialog = std::thread([this] {
            while (!m_stop) {
                for (auto& event : m_state.TakeEvents())
                    m_state.Reply(event.seq, {200, {{"answered", event.id}}});
                std::this_thread::sleep_for(1ms);
            }
        });
    }
    void TearDown() override
    {
        m_stop = true;
        m_dialog.join();
        m_server.Stop();
        fs::remove_all(m_dir);
    }

    std::optional<HttpReply> Send(const std::string& method, const std::string& path, HttpHeaders headers,
                                  const std::string& body = "", const std::string& type = "")
    {
        return SendHttp("127.0.0.1", m_port, method, path, std::move(headers), body, type);
    }
    HttpHeaders Authorised(HttpHeaders extra = {})
    {
        extra.emplace_back("Cookie", m_cookie);
        return extra;
    }

    fs::path m_dir;
    afx::bridge::BridgeState m_state;
    afx::bridge::BridgeServer m_server{m_state, afx::bridge::BridgeTimings{2000ms, 25000ms, 20000ms}};
    int m_port = 0;
    std::string m_host, m_cookie;
    std::atomic<bool> m_stop{false};
    std::thread m_dialog;
};

} // namespace

TEST_F(BridgeSecurityTest, TheTokenOpensTheDoorOnceThenTheCookieCarriesIt)
{
    const std::string token = m_server.Token();
    EXPECT_GE(token.size(), 32u) << "at least 128 bits";
    EXPECT_EQ(m_server.Address(), "http://" + m_host + "/?token=" + token);

    auto entry = Send("GET", "/?token=" + token, {});
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->status, 303);
    EXPECT_EQ(entry->get_header_value("Location"), "/Lang0409/start.htm");
    std::string cookie = entry->get_header_value("Set-Cookie");
    EXPECT_NE(cookie.find(m_cookie), std::string::npos);
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
    EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);

    struct {
        const char* what;
        std::string path;
        HttpHeaders headers;
        int status;
    } cases[] = {
        {"no token", "/", {}, 401},
        {"wrong token", "/?token=" + std::string(token.size(), '0'), {}, 401},
        {"a prefix of the token", "/?token=" + token.substr(0, 10), {}, 401},
        {"no token for a page", "/Lang0409/start.htm", {}, 401},
        {"the query only opens /", "/Lang0409/start.htm?token=" + token, {}, 401},
        {"wrong cookie", "/bridge/state", {{"Cookie", afx::bridge::TokenCookieName(m_port) + "=x"}}, 401},
        {"another port's cookie", "/bridge/state", {{"Cookie", "ravlin_1=" + token}}, 401},
        {"cookie", "/bridge/state", {{"Cookie", "a=b; " + m_cookie}}, 200},
        {"header", "/bridge/state", {{"X-Ravlin-Token", token}}, 200},
        {"script", "/bridge/bridge.js", {{"X-Ravlin-Token", token}}, 200},
    };
    for (const auto& c : cases) {
        auto result = Send("GET", c.path, c.headers);
        ASSERT_TRUE(result) << c.what;
        EXPECT_EQ(result->status, c.status) << c.what;
    }
}

TEST_F(BridgeSecurityTest, HostAndOriginMustBeThisServer)
{
    const std::string port = std::to_string(m_port);
    struct {
        const char* what;
        HttpHeaders headers;
        int status;
    } cases[] = {
        {"own host", {{"Host", m_host}}, 200},
        {"localhost", {{"Host", "localhost:" + port}}, 200},
        {"rebound name", {{"Host", "attacker.example:" + port}}, 403},
        {"no port", {{"Host", "127.0.0.1"}}, 403},
        {"other port", {{"Host", "127.0.0.1:1"}}, 403},
        {"own origin", {{"Origin", "http://" + m_host}}, 200},
        {"localhost origin", {{"Origin", "http://localhost:" + port}}, 200},
        {"foreign origin", {{"Origin", "http://attacker.example"}}, 403},
        {"null origin", {{"Origin", "null"}}, 403},
        {"other port origin", {{"Origin", "http://127.0.0.1:1"}}, 403},
        {"https origin", {{"Origin", "https://" + m_host}}, 403},
        {"cross-site fetch", {{"Sec-Fetch-Site", "cross-site"}, {"Sec-Fetch-Mode", "cors"}}, 403},
        {"same-site fetch", {{"Sec-Fetch-Site", "same-site"}, {"Sec-Fetch-Mode", "no-cors"}}, 403},
        {"same-origin fetch", {{"Sec-Fetch-Site", "same-origin"}, {"Sec-Fetch-Mode", "cors"}}, 200},
    };
    for (const auto& c : cases) {
        auto result = Send("GET", "/bridge/state", Authorised(c.headers));
        ASSERT_TRUE(result) << c.what;
        EXPECT_EQ(result->status, c.status) << c.what;
    }
    auto rebound = Send("GET", "/bridge/state", {{"Host", "attacker.example:" + port}, {"X-Ravlin-Token", "x"}});
    ASSERT_TRUE(rebound);
    EXPECT_EQ(rebound->status, 403) << "the Host is checked before anything else";
}

TEST_F(BridgeSecurityTest, StateChangesOnlyAsJsonPosts)
{
    const std::string click = R"({"id":"ButtonOK"})";
    struct {
        const char* method;
        const char* path;
        const char* type;
        std::string body;
        int status;
    } cases[] = {
        {"POST", "/bridge/click", "application/json", click, 200},
        {"POST", "/bridge/click", "application/json; charset=utf-8", click, 200},
        {"POST", "/bridge/click", "text/plain", click, 415},
        {"POST", "/bridge/click", "application/x-www-form-urlencoded", "id=ButtonOK", 415},
        {"POST", "/bridge/click", "multipart/form-data; boundary=x", click, 415},
        {"POST", "/bridge/click", "", click, 415},
        {"GET", "/bridge/click", "", "", 405},
        {"PUT", "/bridge/click", "application/json", click, 405},
        {"DELETE", "/bridge/loaded", "", "", 405},
        {"OPTIONS", "/bridge/click", "", "", 405},
        {"POST", "/bridge/state", "application/json", "{}", 405},
        {"POST", "/Lang0409/start.htm", "application/json", "{}", 405},
        {"PUT", "/Lang0409/start.htm", "application/json", "{}", 405},
        {"POST", "/bridge/click", "application/json", "{", 400},
        {"POST", "/bridge/click", "application/json", "[]", 400},
        {"POST", "/bridge/click", "application/json", R"({"id":5})", 400},
        {"POST", "/bridge/click", "application/json", R"({"id":"ButtonOK","doc":"1"})", 400},
        {"POST", "/bridge/click", "application/json", R"({"id":"B","texts":{"a":1}})", 400},
        {"POST", "/bridge/loaded", "application/json", R"({"texts":{}})", 400},
        {"POST", "/bridge/loaded", "application/json", R"({"url":"start.htm"})", 400},
        {"POST", "/bridge/loaded", "application/json", R"({"url":"/Lang0409/start.htm"})", 200},
    };
    for (const auto& c : cases) {
        auto result = Send(c.method, c.path, Authorised(), c.body, c.type);
        ASSERT_TRUE(result) << c.method << " " << c.path;
        EXPECT_EQ(result->status, c.status) << c.method << " " << c.path << " " << c.type << " " << c.body;
        if (c.status == 405) {
            EXPECT_FALSE(result->get_header_value("Allow").empty());
        }
    }
    auto answered = Send("POST", "/bridge/click", Authorised(), click, "application/json");
    EXPECT_EQ(nlohmann::json::parse(answered->body)["answered"], "ButtonOK") << "the event reached the dialog";
    auto unauthorised = Send("POST", "/bridge/click", {}, click, "application/json");
    EXPECT_EQ(unauthorised->status, 401);
}

TEST_F(BridgeSecurityTest, ServesTheFolderAndNothingElse)
{
    struct {
        const char* path;
        int status;
        const char* type;
    } cases[] = {
        {"/Lang0409/start.htm", 200, "text/html"},
        {"/LANG0409/Start.HTM", 200, "text/html"},
        {"/common/style.css", 200, "text/css"},
        {"/../secret.txt", 404, nullptr},
        {"/%2e%2e/secret.txt", 404, nullptr},
        {"/Lang0409/..%2f..%2fsecret.txt", 404, nullptr},
        {"/common/%2e%2e/%2e%2e/secret.txt", 404, nullptr},
        {"/up/secret.txt", 404, nullptr},                        // a link out of the folder
        {"/Lang0409/start.htm%00.css", 404, nullptr},
        {"/Lang0409/start.htm/", 404, nullptr},
        {"/etc/passwd", 404, nullptr},
        {"/Lang0409/missing.htm", 404, "text/html"},             // a page: still connected to the dialog
        {"/favicon.ico", 404, nullptr},                           // no icon was given
    };
    for (const auto& c : cases) {
        auto result = Send("GET", c.path, Authorised());
        ASSERT_TRUE(result) << c.path;
        EXPECT_EQ(result->status, c.status) << c.path;
        EXPECT_EQ(result->body.find("secret"), std::string::npos) << c.path;
        if (c.type) {
            EXPECT_EQ(result->get_header_value("Content-Type"), c.type) << c.path;
        }
    }
    auto page = Send("GET", "/Lang0409/start.htm", Authorised());
    EXPECT_NE(page->body.find(std::string("<head><link rel=\"icon\" href=\"/favicon.ico\"><script>") +
                              afx::bridge::BridgeScript() + "</script>"),
              std::string::npos)
        << "the bridge is added to the page's head";
    EXPECT_EQ(page->get_header_value("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(page->get_header_value_count("Cache-Control"), 1u);
    EXPECT_EQ(page->get_header_value("Cache-Control"), "no-store") << "a page is always fetched anew";
    EXPECT_EQ(page->get_header_value("X-UA-Compatible"), "IE=edge") << "the browser control's newest engine";
    for (const char* path : {"/bridge/state", "/bridge/events?since=0&wait=0"}) {
        auto answer = Send("GET", path, Authorised());
        ASSERT_TRUE(answer) << path;
        EXPECT_EQ(answer->get_header_value("Cache-Control"), "no-store") << path << ": a poll is never answered from a cache";
        EXPECT_EQ(answer->get_header_value_count("X-UA-Compatible"), 0u) << path;
    }
    auto style = Send("GET", "/common/style.css", Authorised());
    ASSERT_TRUE(style);
    EXPECT_EQ(style->get_header_value_count("Cache-Control"), 1u);
    EXPECT_EQ(style->get_header_value("Cache-Control"), "private, max-age=300");
    EXPECT_EQ(style->get_header_value_count("X-UA-Compatible"), 0u);
    auto missing = Send("GET", "/Lang0409/missing.htm", Authorised());
    EXPECT_NE(missing->body.find(afx::bridge::BridgeScript()), std::string::npos);
    EXPECT_EQ(missing->get_header_value("X-UA-Compatible"), "IE=edge");

    m_server.SetIcon("ICONBYTES");
    auto icon = Send("GET", "/favicon.ico", Authorised());
    EXPECT_EQ(icon->status, 200);
    EXPECT_EQ(icon->body, "ICONBYTES");
}

TEST_F(BridgeSecurityTest, ListensOnTheLoopbackAddressOnly)
{
    EXPECT_FALSE(SendHttp("127.0.0.2", m_port, "GET", "/", {})) << "127.0.0.2 is loopback too, but not the bound address";
    afx::bridge::BridgeState state;
    afx::bridge::BridgeServer second(state);
    ASSERT_TRUE(second.Start());
    EXPECT_NE(second.Token(), m_server.Token()) << "every run has its own token";
    EXPECT_NE(second.Port(), m_port);
}

TEST_F(BridgeSecurityTest, APollNeverWaitsLongerThanTheServersLimit)
{
    // A server whose polls wait at most 100 ms: waits that are no plain
    // number, or too large for a duration, still end by that limit (one
    // past 2^63 ms used to turn negative and overflow the deadline).
    afx::bridge::BridgeState state;
    afx::bridge::BridgeServer server(state, afx::bridge::BridgeTimings{2000ms, 100ms, 50ms});
    ASSERT_TRUE(server.Start());
    HttpHeaders headers = {{"Cookie", afx::bridge::TokenCookieName(server.Port()) + "=" + server.Token()}};
    uint64_t version = state.Snapshot()["version"];
    for (const char* wait : {"9999999999999999999", "18446744073709551615", "99999999999999999999", "-1",
                             "+5", "%2B5", "%205", "1e3", "5.5", ""}) {
        auto result = SendHttp("127.0.0.1", server.Port(), "GET",
                               "/bridge/events?since=" + std::to_string(version) + "&wait=" + wait, headers, "", "");
        ASSERT_TRUE(result) << "wait=" << wait;
        EXPECT_EQ(result->status, 200) << "wait=" << wait;
    }
}

TEST_F(BridgeSecurityTest, APollWaitsForAChange)
{
    uint64_t version = m_state.Snapshot()["version"];
    std::thread dialog([this] {
        std::this_thread::sleep_for(50ms);
        m_state.Navigate("/Lang0409/next.htm");
    });
    auto result = Send("GET", "/bridge/events?since=" + std::to_string(version) + "&wait=5000", Authorised());
    dialog.join();
    ASSERT_TRUE(result);
    auto state = nlohmann::json::parse(result->body);
    EXPECT_EQ(state["url"], "/Lang0409/next.htm");
    EXPECT_TRUE(state["pending"]);
}
