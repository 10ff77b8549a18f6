// The installed devices as the registry records them: every instance key
// HKLM\SYSTEM\CurrentControlSet\Enum\<enumerator>\<device>\<instance>.
#pragma once

#include "devinst/RegKey.h"

#include <string>
#include <vector>

namespace plat::devinst {

struct DeviceEntry {
    std::string instanceId; // "PCI\VEN_8086&DEV_A170&...\3&11583659&0&FB"
    GUID classGuid{};       // from the instance key's "ClassGUID"; null when it has none
};

// Every instance key, in key order (each level sorted as the registry
// enumerates keys: case-insensitively). Keys whose ID would not fit
// MAX_DEVICE_ID_LEN are no devices.
std::vector<DeviceEntry> ListDevices();

// Opens a device's instance key.
LONG OpenInstanceKey(const std::string& instanceId, RegKey* key, REGSAM access = KEY_READ);

// The enumerator part of an instance ID ("PCI" of "PCI\VEN_...").
std::string EnumeratorOf(const std::string& instanceId);

} // namespace plat::devinst
