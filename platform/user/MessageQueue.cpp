#include "user/MessageQueue.h"

#include "kernel/Threads.h"

#include <win/kernel.h>

#include <chrono>
#include <map>

namespace plat::ui {
namespace {

std::mutex g_queuesMutex;
std::map<DWORD, std::shared_ptr<MessageQueue>>& queues()
{
    static std::map<DWORD, std::shared_ptr<MessageQueue>> all;
    return all;
}

// Removes the thread's queue when the thread ends, so that a later thread
// with a reused id starts empty.
struct QueueOwner {
    DWORD threadId = 0;
    std::shared_ptr<MessageQueue> queue;
    ~QueueOwner()
    {
        if (!queue)
            return;
        std::lock_guard<std::mutex> lock(g_queuesMutex);
        auto it = queues().find(threadId);
        if (it != queues().end() && it->second == queue)
            queues().erase(it);
    }
};
thread_local QueueOwner t_owner;

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

} // namespace

bool MessageFilter::Accepts(const MSG& msg) const
{
    if (hwnd == kThreadMessagesOnly ? msg.hwnd != NULL : (hwnd != NULL && msg.hwnd != hwnd))
        return false;
    if (first == 0 && last == 0)
        return true;
    return msg.message >= first && msg.message <= last;
}

void MessageQueue::Post(const MSG& msg)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(msg);
    }
    m_posted.notify_all();
}

void MessageQueue::PostQuit(int exitCode)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_quitCode = exitCode;
    }
    m_posted.notify_all();
}

bool MessageQueue::TakeLocked(MSG* out, const MessageFilter& filter, bool remove)
{
    for (auto it = m_messages.begin(); it != m_messages.end(); ++it) {
        if (!filter.Accepts(*it))
            continue;
        *out = *it;
        if (remove)
            m_messages.erase(it);
        return true;
    }
    MSG quit = {};
    quit.message = WM_QUIT;
    quit.wParam = static_cast<WPARAM>(m_quitCode);
    if (m_quit && filter.Accepts(quit)) {
        *out = quit;
        if (remove)
            m_quit = false;
        return true;
    }
    return false;
}

bool MessageQueue::Peek(MSG* out, const MessageFilter& filter, bool remove)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return TakeLocked(out, filter, remove);
}

bool MessageQueue::Get(MSG* out, const MessageFilter& filter, DWORD milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [&] { return TakeLocked(out, filter, true); };
    if (milliseconds == INFINITE) {
        m_posted.wait(lock, ready);
        return true;
    }
    return m_posted.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
}

bool MessageQueue::WaitForAny(DWORD milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [&] { return !m_messages.empty() || m_quit; };
    if (milliseconds == INFINITE) {
        m_posted.wait(lock, ready);
        return true;
    }
    return m_posted.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
}

std::shared_ptr<MessageQueue> FindQueue(DWORD threadId)
{
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    auto it = queues().find(threadId);
    return it == queues().end() ? nullptr : it->second;
}

MessageQueue& CurrentQueue()
{
    if (!t_owner.queue) {
        t_owner.threadId = GetCurrentThreadId();
        t_owner.queue = std::make_shared<MessageQueue>();
        std::lock_guard<std::mutex> lock(g_queuesMutex);
        queues()[t_owner.threadId] = t_owner.queue;
    }
    return *t_owner.queue;
}

} // namespace plat::ui
