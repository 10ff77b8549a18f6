// Device information sets (HDEVINFO): the devices that SetupDiGetClassDevsA
// found, each with its install parameters, class-driver list and selected
// driver. The sets are owned by a table of their own; a handle names a set
// until SetupDiDestroyDeviceInfoList, and handle values are never reused.
#pragma once

#include "devinst/DriverNode.h"

#include <setupapi.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace plat::devinst {

struct DriverList {
    bool built = false;
    std::vector<DriverNode> nodes;
};

// A device of a set, or the set itself for the calls that take no
// SP_DEVINFO_DATA (its install parameters and class-driver list).
struct DeviceInfo {
    std::string instanceId; // empty for the set's own entry
    DWORD devInst = 0;
    GUID classGuid{};
    SP_DEVINSTALL_PARAMS_A installParams{};
    DriverList classDrivers;
    DriverList compatDrivers;
    DWORD selectedType = SPDIT_NODRIVER; // which list the selected driver is in
    size_t selectedIndex = 0;

    DriverList* List(DWORD driverType)
    {
        return driverType == SPDIT_CLASSDRIVER ? &classDrivers
               : driverType == SPDIT_COMPATDRIVER ? &compatDrivers
                                                  : nullptr;
    }
    const DriverNode* Selected() const
    {
        const DriverList& list = selectedType == SPDIT_CLASSDRIVER ? classDrivers : compatDrivers;
        if (selectedType == SPDIT_NODRIVER || selectedIndex >= list.nodes.size())
            return nullptr;
        return &list.nodes[selectedIndex];
    }
};

struct DeviceInfoSet {
    GUID classGuid{}; // the class the set was made for; null for all classes
    DeviceInfo global;
    std::vector<DeviceInfo> devices;
};

namespace sets {

HDEVINFO Insert(std::unique_ptr<DeviceInfoSet> set);
bool Remove(HDEVINFO handle);

// The table's lock, and a lookup for its holder (null for an unknown handle).
std::mutex& Mutex();
DeviceInfoSet* FindLocked(HDEVINFO handle);

// Runs `fn(set)` under the table's lock and returns its Win32 error code;
// ERROR_INVALID_HANDLE for an unknown handle.
template <typename Fn>
DWORD With(HDEVINFO handle, Fn&& fn)
{
    std::lock_guard<std::mutex> lock(Mutex());
    DeviceInfoSet* set = FindLocked(handle);
    if (!set)
        return ERROR_INVALID_HANDLE;
    return fn(*set);
}

} // namespace sets

// The device that an SP_DEVINFO_DATA names within a set: its cbSize must be
// right and it must have come from this set. Sets *error when not.
DeviceInfo* FindDevice(DeviceInfoSet& set, const SP_DEVINFO_DATA* data, DWORD* error);
// The same, but a null SP_DEVINFO_DATA names the set's own entry.
DeviceInfo* FindDeviceOrSet(DeviceInfoSet& set, const SP_DEVINFO_DATA* data, DWORD* error);
void FillDevInfoData(const DeviceInfo& device, size_t index, SP_DEVINFO_DATA* data);

// Fresh install parameters: everything zero but cbSize.
SP_DEVINSTALL_PARAMS_A DefaultInstallParams();

} // namespace plat::devinst
