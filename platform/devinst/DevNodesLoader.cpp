#include "devinst/DevNodes.h"
#include "devinst/DeviceTree.h"
#include "registry/RegistryLoader.h"

namespace plat::devinst {
namespace {

// A device-node entry for a device that has no instance key is a typing
// error in the profile: it would never be found.
bool checkDevNodesHaveDevices(const Machine& machine, ProfileError* error)
{
    auto section = machine.Json().find("devnodes");
    if (section == machine.Json().end())
        return true;
    for (auto& [id, ignored] : section->items()) {
        RegKey key;
        if (OpenInstanceKey(id, &key) != ERROR_SUCCESS) {
            *error = machine.KeyError("devnodes." + id,
                                      "no such device under HKLM\\SYSTEM\\CurrentControlSet\\Enum in registry/*.reg");
            return false;
        }
    }
    return true;
}

} // namespace

void RegisterLoader()
{
    // The registry loads first, so that the devices can be checked.
    registry::RegisterLoader();
    RegisterProfileLoader("devinst", [](const Machine& machine, ProfileError* error) {
        return LoadDevNodes(machine, error) && checkDevNodesHaveDevices(machine, error);
    });
}

} // namespace plat::devinst
