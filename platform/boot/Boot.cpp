#include "boot/Boot.h"

#include "core/Machine.h"

// Each family that is part of the build declares its loader registration.
#ifdef RAVLIN_HAVE_REGISTRY
namespace plat::registry { void RegisterLoader(); }
#endif
#ifdef RAVLIN_HAVE_SERIAL
namespace plat::serial { void RegisterLoader(); }
#endif
#ifdef RAVLIN_HAVE_DEVINST
namespace plat::devinst { void RegisterLoader(); }
#endif
#ifdef RAVLIN_HAVE_TAPI
namespace plat::tapi { void RegisterLoader(); }
#endif

namespace plat {

void RegisterAllProfileLoaders()
{
#ifdef RAVLIN_HAVE_REGISTRY
    registry::RegisterLoader();
#endif
#ifdef RAVLIN_HAVE_SERIAL
    serial::RegisterLoader();
#endif
#ifdef RAVLIN_HAVE_DEVINST
    devinst::RegisterLoader();
#endif
#ifdef RAVLIN_HAVE_TAPI
    tapi::RegisterLoader();
#endif
}

bool StartMachineFrom(const std::string& folder, std::string* error)
{
    RegisterAllProfileLoaders();
    ProfileError problem;
    if (LoadMachine(folder, &problem))
        return true;
    if (error)
        *error = problem.ToString();
    return false;
}

bool StartMachine(std::string* error)
{
    return StartMachineFrom(DefaultProfileFolder(), error);
}

} // namespace plat
