// A kernel object that can be waited on: events, threads and processes share
// this signalled/non-signalled state with a condition variable.
#pragma once

#include "core/Handles.h"

#include <condition_variable>
#include <mutex>

namespace plat {

class Waitable : public KernelObject {
public:
    explicit Waitable(bool manualReset, bool signalled = false)
        : m_manualReset(manualReset), m_signalled(signalled)
    {
    }

    bool IsWaitable() const override { return true; }
    bool WaitSignalled(DWORD milliseconds) override;

    void Signal();
    void Reset();
    bool IsSignalled();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const bool m_manualReset;
    bool m_signalled;
};

} // namespace plat
