#include "process/ChildProcess.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace plat::process {
namespace {

// posix_spawn's attribute and file-action objects, destroyed on every path.
class SpawnSetup {
public:
    SpawnSetup()
    {
        posix_spawnattr_init(&m_attributes);
        posix_spawn_file_actions_init(&m_actions);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawnattr_t* Attributes() { return &m_attributes; }
    posix_spawn_file_actions_t* Actions() { return &m_actions; }

private:
    posix_spawnattr_t m_attributes;
    posix_spawn_file_actions_t m_actions;
};

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

DWORD errorOfErrno(int error)
{
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case ENOEXEC:
    case EACCES:
    case ELIBBAD:
        return ERROR_BAD_EXE_FORMAT;
    case ENOMEM:
    case EAGAIN:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

} // namespace

ChildProcess::ChildProcess(pid_t pid) : Waitable(/*manualReset=*/true), m_pid(pid) {}

DWORD ChildProcess::ExitCode() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_exitCode.value_or(STILL_ACTIVE);
}

void ChildProcess::Ended(int waitStatus)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_exitCode = ExitCodeOfStatus(waitStatus);
    }
    Signal();
}

DWORD ExitCodeOfStatus(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return static_cast<DWORD>(WEXITSTATUS(waitStatus));
    if (!WIFSIGNALED(waitStatus))
        return 1;
    switch (WTERMSIG(waitStatus)) {
    case SIGSEGV:
    case SIGBUS:
        return 0xC0000005u; // access violation
    case SIGILL:
        return 0xC000001Du; // illegal instruction
    case SIGFPE:
        return 0xC0000094u; // integer divide by zero
    case SIGABRT:
        return 3; // abort()
    case SIGINT:
        return 0xC000013Au; // ended with Ctrl+C
    default:
        return 1; // as TerminateProcess(process, 1)
    }
}

std::shared_ptr<ChildProcess> Spawn(const SpawnRequest& request, DWORD* error)
{
    SpawnSetup setup;
    if (request.hostFolder && posix_spawn_file_actions_addchdir_np(setup.Actions(), request.hostFolder->c_str()) != 0) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    // Without handle inheritance the child gets only its standard streams.
    if (!request.inheritHandles)
        posix_spawn_file_actions_addclosefrom_np(setup.Actions(), 3);

    std::vector<std::string> arguments = request.arguments;
    if (arguments.empty())
        arguments.push_back(request.hostProgram);
    std::vector<char*> argv = pointersTo(arguments);
    std::vector<std::string> environment;
    std::vector<char*> envp;
    if (request.environment) {
        environment = *request.environment;
        envp = pointersTo(environment);
    }

    pid_t pid = 0;
    int result = posix_spawn(&pid, request.hostProgram.c_str(), setup.Actions(), setup.Attributes(), argv.data(),
                             request.environment ? envp.data() : environ);
    if (result != 0) {
        *error = errorOfErrno(result);
        return nullptr;
    }
    auto child = std::make_shared<ChildProcess>(pid);
    std::thread([child] {
        int status = 0;
        while (waitpid(child->Pid(), &status, 0) < 0) {
            if (errno != EINTR) {
                status = 0;
                break;
            }
        }
        child->Ended(status);
    }).detach();
    return child;
}

} // namespace plat::process
