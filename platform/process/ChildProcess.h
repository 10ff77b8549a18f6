// A started program: a real host child process behind a process handle.
// A watcher thread reaps the child, so no zombie is left whether or not
// anyone waits, and the handle becomes signalled when the child ends.
#pragma once

#include "kernel/Waitable.h"

#include <win/types.h>

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace plat::process {

class ChildProcess : public Waitable {
public:
    explicit ChildProcess(pid_t pid);

    pid_t Pid() const { return m_pid; }
    // STILL_ACTIVE (259) while the child runs, then its exit code.
    DWORD ExitCode() const;

    // Called by the watcher with the status waitpid gave.
    void Ended(int waitStatus);

private:
    const pid_t m_pid;
    mutable std::mutex m_mutex;
    std::optional<DWORD> m_exitCode;
};

// The Windows exit code for a waitpid status: the exit status, or for a
// child killed by a signal the code of the matching Windows exception.
DWORD ExitCodeOfStatus(int waitStatus);

struct SpawnRequest {
    std::string hostProgram;
    std::vector<std::string> arguments;      // argv, argv[0] included
    std::optional<std::vector<std::string>> environment; // "NAME=value"; nullopt inherits
    std::optional<std::string> hostFolder;   // working folder; nullopt inherits
    bool inheritHandles = false;
};

// Starts the child and its watcher. On failure returns null with the
// Win32 error in `error`.
std::shared_ptr<ChildProcess> Spawn(const SpawnRequest& request, DWORD* error);

} // namespace plat::process
