#include "core/Devices.h"

#include "core/LastError.h"

#include <win/errors.h>

#include <mutex>

namespace plat::devices {
namespace {
std::mutex g_mutex;
Opener& opener()
{
    static Opener o;
    return o;
}
} // namespace

void SetOpener(Opener o)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    opener() = std::move(o);
}

HANDLE Open(const std::string& device, DWORD access, DWORD share, DWORD flags)
{
    Opener o;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        o = opener();
    }
    if (!o) {
        Fail(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return o(device, access, share, flags);
}

} // namespace plat::devices
