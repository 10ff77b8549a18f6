// The "kernel32" pseudo-module's exports, and IsWow64Process.
#include "core/Handles.h"
#include "core/LastError.h"
#include "core/Machine.h"
#include "process/ChildProcess.h"
#include "process/Modules.h"
#include "process/Wow64.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <cstring>
#include <strings.h>

namespace plat::modules {

FARPROC Kernel32Export(const char* name)
{
    struct Export {
        const char* name;
        FARPROC proc;
    };
    static const Export exports[] = {
        {"IsWow64Process", reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&IsWow64Process))},
    };
    for (const Export& e : exports) {
        if (std::strcmp(e.name, name) == 0)
            return e.proc;
    }
    return nullptr;
}

} // namespace plat::modules

// A process runs under WOW64 when it is a 32-bit process on a 64-bit
// system; the machine profile says how wide the system is ("os.bits").
extern "C" BOOL WINAPI IsWow64Process(HANDLE hProcess, PBOOL Wow64Process)
{
    if (!Wow64Process)
        return plat::Fail(ERROR_NOACCESS);
    bool current = hProcess == reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
    if (!current && !plat::handles::GetAs<plat::process::ChildProcess>(hProcess))
        return plat::Fail(ERROR_INVALID_HANDLE);
    const plat::Machine* machine = plat::CurrentMachine();
    int systemBits = machine ? machine->Os().bits : 64;
    *Wow64Process = plat::process::RunsUnderWow64(static_cast<int>(sizeof(void*) * 8), systemBits) ? TRUE : FALSE;
    return TRUE;
}
