// The dialog/page state: which documents are accepted, when clicks may run,
// texts that only reach elements the page has, waiting for changes and
// replies, and telling that the page has gone.
#include "framework/bridge/BridgeState.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;
using afx::bridge::BridgeState;
using afx::bridge::EventReply;
using afx::bridge::PageEvent;

TEST(BridgeState, NavigationDocumentsAndTexts)
{
    BridgeState state;
    EXPECT_FALSE(state.SetText("mdmName", "x")) << "no document yet";
    state.Navigate("/Lang0409/start.htm");
    EXPECT_TRUE(state.Pending());
    EXPECT_EQ(state.Snapshot()["nav"], 1);

    int64_t doc = state.AcceptDocument("/Lang0409/start.htm", {{"mdmName", "Unknown"}, {"ButtonOK", "Start"}});
    EXPECT_EQ(doc, 1);
    EXPECT_FALSE(state.Pending());
    EXPECT_TRUE(state.SetText("mdmName", "Modem"));
    EXPECT_FALSE(state.SetText("mdmCountry", "Generic")) << "the page lacks the element";
    EXPECT_EQ(state.Text("mdmName"), "Modem");
    EXPECT_EQ(state.Text("mdmCountry"), std::nullopt);
    auto snapshot = state.Snapshot();
    EXPECT_EQ(snapshot["updates"], nlohmann::json({{"mdmName", "Modem"}}));
    EXPECT_EQ(snapshot["texts"]["ButtonOK"], "Start");

    state.Navigate("/Lang0409/progress.htm");
    EXPECT_FALSE(state.SetText("mdmName", "late")) << "no texts for a page that is being left";
    EXPECT_EQ(state.Text("mdmName"), "Modem") << "the last known texts stay readable";
    EXPECT_EQ(state.AcceptDocument("/Lang0409/progress.htm", {}), 2);
    EXPECT_EQ(state.Snapshot()["updates"], nlohmann::json::object()) << "a new document starts afresh";
}

TEST(BridgeState, WhenClicksMayRun)
{
    BridgeState state;
    EXPECT_NE(state.ClickRefusal("ButtonOK", 0), "") << "no document";
    state.Navigate("/a.htm");
    state.AcceptDocument("/a.htm", {{"ButtonOK", ""}, {"ButtonCancel", ""}});
    state.SetBound({"ButtonOK"});
    struct {
        const char* id;
        int64_t doc;
        bool runs;
    } cases[] = {
        {"ButtonOK", 0, true},      // the current document, implicitly
        {"ButtonOK", 1, true},      // named
        {"ButtonOK", 7, false},     // a document that is no longer shown
        {"ButtonCancel", 1, false}, // present but not bound
        {"Missing", 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(state.ClickRefusal(c.id, c.doc).empty(), c.runs) << c.id << " doc " << c.doc;
    state.Navigate("/b.htm");
    EXPECT_NE(state.ClickRefusal("ButtonOK", 0), "") << "no clicks while navigating";
}

TEST(BridgeState, WaitForChangeReturnsOnChangeOrAfterTheWait)
{
    BridgeState state;
    uint64_t version = state.Snapshot()["version"];
    auto start = std::chrono::steady_clock::now();
    auto unchanged = state.WaitForChange(version, 50ms);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(unchanged["version"], version);

    std::thread dialog([&] {
        std::this_thread::sleep_for(20ms);
        state.Navigate("/x.htm");
    });
    auto changed = state.WaitForChange(version, 5s);
    dialog.join();
    EXPECT_GT(changed["version"].get<uint64_t>(), version);
    EXPECT_EQ(changed["url"], "/x.htm");
    EXPECT_EQ(state.WaitForChange(version, 5s)["url"], "/x.htm") << "an older version returns at once";
}

TEST(BridgeState, EventsAreAnsweredByTheDialog)
{
    BridgeState state;
    int notified = 0;
    state.SetNotifier([&] { ++notified; });
    std::thread dialog([&] {
        for (;;) {
            auto events = state.TakeEvents();
            if (events.empty()) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            for (auto& e : events)
                state.Reply(e.seq, EventReply{200, {{"id", e.id}}});
            return;
        }
    });
    PageEvent click;
    click.kind = PageEvent::Kind::Click;
    click.id = "ButtonOK";
    auto reply = state.Submit(click, 5s);
    dialog.join();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->body["id"], "ButtonOK");
    EXPECT_EQ(notified, 1);

    EXPECT_EQ(state.Submit(click, 30ms), std::nullopt) << "nobody answers";
    std::thread ender([&] {
        std::this_thread::sleep_for(20ms);
        state.End(2);
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(state.Submit(click, 10s), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "the end wakes the waiting page";
    ender.join();
    EXPECT_EQ(state.Submit(click, 10s), std::nullopt) << "and later events are refused";
    EXPECT_TRUE(state.Snapshot()["ended"]);
    EXPECT_EQ(state.Snapshot()["result"], 2);
}

TEST(BridgeState, PageGoneAfterTheGracePeriodOnce)
{
    BridgeState state;
    auto now = BridgeState::Clock::now();
    EXPECT_FALSE(state.PageGone(now + 1h, 1s)) << "no page has been in contact yet";
    EXPECT_FALSE(state.Reached());
    state.BeginContact();
    state.EndContact();
    EXPECT_TRUE(state.Reached());
    EXPECT_FALSE(state.PageGone(BridgeState::Clock::now() + 1h, 1s)) << "no document has loaded yet";
    EXPECT_FALSE(state.HasDocument());
    state.Navigate("/a.htm");
    state.AcceptDocument("/a.htm", {});
    EXPECT_TRUE(state.HasDocument());
    state.BeginContact();
    EXPECT_FALSE(state.PageGone(BridgeState::Clock::now() + 1h, 1s)) << "a request is in progress";
    state.EndContact();
    EXPECT_FALSE(state.PageGone(BridgeState::Clock::now(), 1s)) << "within the grace period";
    EXPECT_TRUE(state.PageGone(BridgeState::Clock::now() + 2s, 1s));
    EXPECT_FALSE(state.PageGone(BridgeState::Clock::now() + 3s, 1s)) << "reported once";
    state.BeginContact();
    state.EndContact();
    EXPECT_TRUE(state.PageGone(BridgeState::Clock::now() + 2s, 1s)) << "again after a new contact";
}
