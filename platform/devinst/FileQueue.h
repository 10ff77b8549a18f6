// Setup file queues (HSPFILEQ). The emulated PC never copies a file: a
// queue only collects the target paths that an installation would write,
// for SetupScanFileQueueA to report.
#pragma once

#include <setupapi.h>

#include <string>
#include <vector>

namespace plat::devinst::queues {

// Adds target paths to a queue (a path already queued, in any case, is not
// added twice). ERROR_INVALID_HANDLE for an unknown queue.
DWORD AddCopies(HSPFILEQ queue, const std::vector<std::string>& targets);

bool IsQueue(HSPFILEQ queue);

} // namespace plat::devinst::queues
