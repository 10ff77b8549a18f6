// Threads of the emulated process. Linux cannot stop another thread from
// outside, so suspension is cooperative: a thread that suspends itself
// stops at once; a suspension of another thread takes effect when that
// thread next sleeps or waits (its "suspension point").
#pragma once

#include "kernel/Waitable.h"

#include <win/kernel.h>

namespace plat::threads {

// Blocks the calling thread while its suspend count is above zero.
void SuspensionPoint();

bool IsThreadObject(const KernelObject* object);

} // namespace plat::threads
