// Per-thread message queues. A thread's queue is created the first time the
// thread reads it (GetMessage, PeekMessage) or creates a window, and goes
// away when the thread ends; until then, nothing can be posted to it. Posting never blocks; reading can wait with a time limit.
#pragma once

#include <win/user.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace plat::ui {

// Which messages a read accepts: a window (NULL for any, (HWND)-1 for
// thread messages only) and a message range (0, 0 for all).
struct MessageFilter {
    HWND hwnd = NULL;
    UINT first = 0;
    UINT last = 0;
    bool Accepts(const MSG& msg) const;
};

class MessageQueue {
public:
    void Post(const MSG& msg);
    void PostQuit(int exitCode);

    // Takes (or, with remove false, copies) the oldest accepted message;
    // a pending quit is reported as WM_QUIT once no accepted message is left.
    bool Peek(MSG* out, const MessageFilter& filter, bool remove);
    // As Peek with removal, waiting up to `milliseconds` (INFINITE for no
    // limit); false on time-out.
    bool Get(MSG* out, const MessageFilter& filter, DWORD milliseconds);
    // Waits until any message is queued; false on time-out.
    bool WaitForAny(DWORD milliseconds);

private:
    bool TakeLocked(MSG* out, const MessageFilter& filter, bool remove);

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<MSG> m_messages;
    bool m_quit = false;
    int m_quitCode = 0;
};

// The queue of a thread id; null when that thread has none (it has not yet
// read messages or created a window), as for a thread id that names no
// thread.
std::shared_ptr<MessageQueue> FindQueue(DWORD threadId);
// The calling thread's queue, created on first use.
MessageQueue& CurrentQueue();

} // namespace plat::ui
