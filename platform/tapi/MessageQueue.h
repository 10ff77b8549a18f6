// One application's TAPI message queue. Its event (manual reset) is
// signalled while a message waits and reset when the last one is taken, so
// an application that waits on it and then takes one message at a time never
// misses a message.
#pragma once

#include "tapi/OwnedHandle.h"

#include <tapi.h>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace plat::tapi {

class MessageQueue {
public:
    MessageQueue();

    // The event handed out in LINEINITIALIZEEXPARAMS; the queue owns it.
    HANDLE Event() const { return m_event.Get(); }

    // `callOut`, when given, receives `call` as the message is taken: the
    // call handle of a completed lineMakeCallA reaches the application's
    // variable with the request's LINE_REPLY, never before.
    void Post(const LINEMESSAGE& message, HCALL* callOut = nullptr, HCALL call = 0);
    // Takes the oldest message, waiting up to `milliseconds` (INFINITE for
    // no limit); false when none came.
    bool Take(LINEMESSAGE* out, DWORD milliseconds);
    // The application shut down: waiting callers return at once.
    void Close();

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    struct Entry {
        LINEMESSAGE message;
        HCALL* callOut;
        HCALL call;
    };
    std::deque<Entry> m_messages;
    bool m_closed = false;
    OwnedHandle m_event;
};

} // namespace plat::tapi
