#include "framework/bridge/BridgeState.h"

namespace afx::bridge {

std::optional<EventReply> BridgeState::Submit(PageEvent event, std::chrono::milliseconds timeout)
{
    std::function<void()> notify;
    uint64_t seq;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_ended)
            return std::nullopt;
        seq = event.seq = m_nextSeq++;
        m_events.push_back(std::move(event));
        notify = m_notify;
    }
    if (notify)
        notify();
    std::unique_lock<std::mutex> lock(m_mutex);
    bool answered = m_changed.wait_for(lock, timeout, [&] { return m_replies.count(seq) > 0 || m_ended; });
    auto it = m_replies.find(seq);
    if (!answered || it == m_replies.end())
        return std::nullopt;
    EventReply reply = std::move(it->second);
    m_replies.erase(it);
    return reply;
}

nlohmann::json BridgeState::WaitForChange(uint64_t known, std::chrono::milliseconds wait)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, wait, [&] { return m_version > known || m_ended; });
    return SnapshotLocked();
}

nlohmann::json BridgeState::Snapshot()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return SnapshotLocked();
}

nlohmann::json BridgeState::SnapshotLocked() const
{
    nlohmann::json state = {
        {"version", m_version}, {"nav", m_nav},       {"url", m_url},         {"pending", m_pending},
        {"doc", m_doc},         {"docUrl", m_docUrl}, {"bound", m_bound},     {"texts", m_texts},
        {"updates", m_updates}, {"caption", m_caption}, {"scroll", m_scroll}, {"ended", m_ended},
    };
    state["result"] = m_result ? nlohmann::json(*m_result) : nlohmann::json(nullptr);
    return state;
}

void BridgeState::BeginContact()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_activeContacts;
    m_contacted = true;
    m_reached = true;
    m_lastContact = Clock::now();
}

void BridgeState::EndContact()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_activeContacts;
    m_lastContact = Clock::now();
}

bool BridgeState::PageGone(Clock::time_point now, Clock::duration grace)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_contacted || m_doc == 0 || m_activeContacts > 0 || now - m_lastContact <= grace)
        return false;
    m_contacted = false;
    return true;
}

bool BridgeState::Reached()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reached;
}

bool BridgeState::HasDocument()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_doc != 0;
}

void BridgeState::SetNotifier(std::function<void()> notify)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_notify = std::move(notify);
}

std::vector<PageEvent> BridgeState::TakeEvents()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<PageEvent> events(std::make_move_iterator(m_events.begin()), std::make_move_iterator(m_events.end()));
    m_events.clear();
    return events;
}

void BridgeState::Reply(uint64_t seq, EventReply reply)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_replies[seq] = std::move(reply);
    }
    m_changed.notify_all();
}

void BridgeState::Navigate(const std::string& url)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_nav;
        m_url = url;
        m_pending = true;
        ChangedLocked();
    }
    m_changed.notify_all();
}

int64_t BridgeState::AcceptDocument(const std::string& url, const Texts& texts)
{
    int64_t doc;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        doc = ++m_doc;
        m_docUrl = url;
        m_texts = texts;
        m_updates.clear();
        m_bound.clear();
        m_pending = false;
        ChangedLocked();
    }
    m_changed.notify_all();
    return doc;
}

std::string BridgeState::ClickRefusal(const std::string& id, int64_t doc)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_doc == 0 || m_pending)
        return "the dialog is navigating to another page";
    if (doc != 0 && doc != m_doc)
        return "the click belongs to a document that is no longer shown";
    if (!m_bound.count(id))
        return "no click event is bound to element '" + id + "'";
    return "";
}

void BridgeState::ReportTexts(const Texts& texts)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [id, text] : texts)
        m_texts[id] = text;
}

void BridgeState::SetBound(const std::set<std::string>& ids)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bound = ids;
        ChangedLocked();
    }
    m_changed.notify_all();
}

std::optional<std::string> BridgeState::Text(const std::string& id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_texts.find(id);
    if (it == m_texts.end())
        return std::nullopt;
    return it->second;
}

bool BridgeState::SetText(const std::string& id, const std::string& text)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pending || !m_texts.count(id))
            return false;
        m_texts[id] = text;
        m_updates[id] = text;
        ChangedLocked();
    }
    m_changed.notify_all();
    return true;
}

void BridgeState::SetCaption(const std::string& caption)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_caption = caption;
        ChangedLocked();
    }
    m_changed.notify_all();
}

void BridgeState::SetScrolling(bool scroll)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_scroll = scroll;
        ChangedLocked();
    }
    m_changed.notify_all();
}

void BridgeState::End(int result)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
        m_result = result;
        ChangedLocked();
    }
    m_changed.notify_all();
}

bool BridgeState::Ended()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ended;
}

} // namespace afx::bridge
