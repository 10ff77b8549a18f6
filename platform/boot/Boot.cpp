#include "boot/Boot.h"

#include "core/Machine.h"

// The families that read a part of the machine profile register their loaders.
namespace plat::registry { void RegisterLoader(); }
namespace plat::serial { void RegisterLoader(); }
namespace plat::devinst { void RegisterLoader(); }
namespace plat::tapi { void RegisterLoader(); }

namespace plat {

void RegisterAllProfileLoaders()
{
    registry::RegisterLoader();
    serial::RegisterLoader();
    devinst::RegisterLoader();
    tapi::RegisterLoader();
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
