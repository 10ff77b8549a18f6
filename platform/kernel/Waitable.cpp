#include "kernel/Waitable.h"

#include <win/kernel.h>

#include <chrono>

namespace plat {

bool Waitable::WaitSignalled(DWORD milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [this] { return m_signalled; };
    if (milliseconds == INFINITE)
        m_changed.wait(lock, ready);
    else if (!m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ready))
        return false;
    if (!m_manualReset)
        m_signalled = false; // an auto-reset event releases one waiter
    return true;
}

void Waitable::Signal()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_signalled = true;
    }
    if (m_manualReset)
        m_changed.notify_all();
    else
        m_changed.notify_one();
}

void Waitable::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signalled = false;
}

bool Waitable::IsSignalled()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_signalled;
}

} // namespace plat
