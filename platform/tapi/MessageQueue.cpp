#include "tapi/MessageQueue.h"

#include <chrono>

namespace plat::tapi {

MessageQueue::MessageQueue() : m_event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

void MessageQueue::Post(const LINEMESSAGE& message, HCALL* callOut, HCALL call)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.push_back(Entry{message, callOut, call});
    SetEvent(m_event.Get());
    m_posted.notify_all();
}

bool MessageQueue::Take(LINEMESSAGE* out, DWORD milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [this] { return m_closed || !m_messages.empty(); };
    if (milliseconds == INFINITE)
        m_posted.wait(lock, ready);
    else if (!m_posted.wait_for(lock, std::chrono::milliseconds(milliseconds), ready))
        return false;
    if (m_messages.empty())
        return false;
    const Entry& entry = m_messages.front();
    if (entry.callOut)
        *entry.callOut = entry.call;
    *out = entry.message;
    m_messages.pop_front();
    if (m_messages.empty())
        ResetEvent(m_event.Get());
    return true;
}

void MessageQueue::Close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    m_messages.clear();
    ResetEvent(m_event.Get());
    m_posted.notify_all();
}

} // namespace plat::tapi
