// Device-node runtime state. Which devices are present, and with what status
// bits and problem number, is not in the registry: it is the state of the
// running PC, read from machine.json "devnodes". Device-node handles
// (DEVINST) are numbers given to instance IDs for the life of the process.
#pragma once

#include "core/Machine.h"

#include <win/types.h>

#include <optional>
#include <string>

namespace plat::devinst {

struct DevNodeState {
    DWORD status = 0;  // DN_* bits
    DWORD problem = 0; // CM_PROB_* number, 0 for none
};

// The state of a present device; nullopt when the device is not present.
std::optional<DevNodeState> FindDevNode(const std::string& instanceId);

// The handle of an instance ID (the same ID always gets the same handle).
DWORD DevInstOf(const std::string& instanceId);

// The instance ID of a handle, as last registered; nullopt for an unknown handle.
std::optional<std::string> InstanceIdOf(DWORD devInst);

// Reads machine.json "devnodes" into the table of present devices.
bool LoadDevNodes(const Machine& machine, ProfileError* error);

// Adds the device installer's profile loader, after the registry's: every
// device listed in "devnodes" must have its instance key under
// HKLM\SYSTEM\CurrentControlSet\Enum.
void RegisterLoader();

} // namespace plat::devinst
