// What the dialog and the page it shows know of each other, shared between
// the page server's threads and the dialog's thread.
//
// The dialog side navigates (the wanted page and a navigation number),
// accepts a loaded document (a document number, the texts of its elements
// by id), binds click events to ids and sets element texts. The page side
// submits events (loaded, click) that the dialog's thread answers, and
// waits for the state to change. Every change raises the version, which is
// what a waiting page watches.
//
// The server also notes each page request, so the dialog can tell when the
// page is gone: no request for a while after a document had loaded.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace afx::bridge {

using Texts = std::map<std::string, std::string>; // element id -> inner text (UTF-8)

struct PageEvent {
    enum class Kind { Loaded, Click };
    Kind kind = Kind::Loaded;
    std::string url;       // Loaded: the document's path on the server, decoded
    std::string id;        // Click: the element
    int64_t doc = 0;       // Click: the document the page believes it shows (0: the current one)
    std::optional<Texts> texts;
    uint64_t seq = 0;      // filled in by Submit
};

struct EventReply {
    int status = 200;
    nlohmann::json body;
};

class BridgeState {
public:
    using Clock = std::chrono::steady_clock;

    // ---- page side (server threads) -------------------------------------------------
    // Hands the event to the dialog and waits for its reply; nullopt when
    // none came in time or the dialog has ended.
    std::optional<EventReply> Submit(PageEvent event, std::chrono::milliseconds timeout);
    // Returns the state once its version is above `known`, or after `wait`.
    nlohmann::json WaitForChange(uint64_t known, std::chrono::milliseconds wait);
    nlohmann::json Snapshot();

    // A page request is in progress from Begin to End.
    void BeginContact();
    void EndContact();

    // ---- dialog side --------------------------------------------------------------------
    // Called (outside the lock) whenever an event is waiting for the dialog.
    void SetNotifier(std::function<void()> notify);
    std::vector<PageEvent> TakeEvents();
    void Reply(uint64_t seq, EventReply reply);

    // Starts a navigation to `url` (encoded path on the server).
    void Navigate(const std::string& url);
    const std::string& WantedUrl() const { return m_url; } // dialog thread only
    bool Pending() const { return m_pending; }             // dialog thread only

    // The loaded document becomes the current one and gets a new number;
    // its texts and bound ids start afresh.
    int64_t AcceptDocument(const std::string& url, const Texts& texts);
    // Why a click cannot run now ("" when it can).
    std::string ClickRefusal(const std::string& id, int64_t doc);
    void ReportTexts(const Texts& texts);
    void SetBound(const std::set<std::string>& ids);
    // The last known text of an element of the current document; nullopt
    // when the document lacks it.
    std::optional<std::string> Text(const std::string& id);
    // Sets the text of an element of the current document; false when it
    // lacks the element or a navigation is under way.
    bool SetText(const std::string& id, const std::string& text);
    void SetCaption(const std::string& caption);
    void SetScrolling(bool scroll);
    void End(int result);
    bool Ended();

    // True once when a document has loaded, pages have been in contact,
    // none is now, and the last contact is older than `grace`; again only
    // after a new contact. (A browser that is slow to show the first page
    // is not taken for a closed one.)
    bool PageGone(Clock::time_point now, Clock::duration grace);
    // True once a request with the token has reached the server.
    bool Reached();
    // True once a document has loaded.
    bool HasDocument();

private:
    nlohmann::json SnapshotLocked() const;
    void ChangedLocked() { ++m_version; }

    std::mutex m_mutex;
    std::condition_variable m_changed; // version raised or a reply arrived
    std::function<void()> m_notify;

    // The wanted page and the current document.
    uint64_t m_version = 1;
    int64_t m_nav = 0;
    std::string m_url;
    bool m_pending = false;
    int64_t m_doc = 0;
    std::string m_docUrl;
    Texts m_texts;
    Texts m_updates; // texts the dialog set since the document loaded
    std::set<std::string> m_bound;
    std::string m_caption;
    bool m_scroll = true;
    bool m_ended = false;
    std::optional<int> m_result;

    // Events for the dialog and its replies.
    uint64_t m_nextSeq = 1;
    std::deque<PageEvent> m_events;
    std::map<uint64_t, EventReply> m_replies;

    // Contact with pages.
    int m_activeContacts = 0;
    bool m_contacted = false;
    bool m_reached = false;
    Clock::time_point m_lastContact;
};

// Keeps a contact open for the life of a request.
class ContactScope {
public:
    explicit ContactScope(BridgeState& state) : m_state(state) { m_state.BeginContact(); }
    ~ContactScope() { m_state.EndContact(); }
    ContactScope(const ContactScope&) = delete;
    ContactScope& operator=(const ContactScope&) = delete;

private:
    BridgeState& m_state;
};

} // namespace afx::bridge
