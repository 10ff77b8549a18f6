// Configuration manager calls on device nodes. These report through their
// CONFIGRET result and leave the last error alone.
#include "devinst/DevNodes.h"
#include "devinst/DeviceTree.h"
#include "devinst/Text.h"

#include <cfgmgr32.h>

#include <cstring>

using namespace plat::devinst;

extern "C" CONFIGRET WINAPI CM_Locate_DevNodeA(PDEVINST pdnDevInst, const char* pDeviceID, ULONG ulFlags)
{
    if (!pdnDevInst)
        return CR_INVALID_POINTER;
    if (ulFlags & ~CM_LOCATE_DEVNODE_PHANTOM)
        return CR_INVALID_FLAG;
    if (!pDeviceID || !*pDeviceID)
        return CR_INVALID_DEVICE_ID; // the root device is not emulated
    if (std::strlen(pDeviceID) >= MAX_DEVICE_ID_LEN)
        return CR_INVALID_DEVICE_ID;
    RegKey key;
    if (OpenInstanceKey(pDeviceID, &key) != ERROR_SUCCESS)
        return CR_NO_SUCH_DEVNODE;
    if (!FindDevNode(pDeviceID) && !(ulFlags & CM_LOCATE_DEVNODE_PHANTOM))
        return CR_NO_SUCH_DEVNODE;
    *pdnDevInst = DevInstOf(pDeviceID);
    return CR_SUCCESS;
}

extern "C" CONFIGRET WINAPI CM_Get_Device_ID_Size(PULONG pulLen, DEVINST dnDevInst, ULONG ulFlags)
{
    if (!pulLen)
        return CR_INVALID_POINTER;
    if (ulFlags != 0)
        return CR_INVALID_FLAG;
    std::optional<std::string> id = InstanceIdOf(dnDevInst);
    if (!id)
        return CR_INVALID_DEVNODE;
    *pulLen = static_cast<ULONG>(id->size()); // without the terminator
    return CR_SUCCESS;
}

extern "C" CONFIGRET WINAPI CM_Get_Device_IDA(DEVINST dnDevInst, PSTR Buffer, ULONG BufferLen, ULONG ulFlags)
{
    if (!Buffer)
        return CR_INVALID_POINTER;
    if (ulFlags != 0)
        return CR_INVALID_FLAG;
    std::optional<std::string> id = InstanceIdOf(dnDevInst);
    if (!id)
        return CR_INVALID_DEVNODE;
    // As much as fits. An ID of exactly BufferLen characters is copied
    // without its terminator and still succeeds, as on Windows.
    size_t n = std::min<size_t>(id->size(), BufferLen);
    std::memcpy(Buffer, id->data(), n);
    if (n < BufferLen)
        Buffer[n] = '\0';
    return id->size() > BufferLen ? CR_BUFFER_SMALL : CR_SUCCESS;
}

extern "C" CONFIGRET WINAPI CM_Get_DevNode_Status(PULONG pulStatus, PULONG pulProblemNumber, DEVINST dnDevInst,
                                                  ULONG ulFlags)
{
    if (!pulStatus || !pulProblemNumber)
        return CR_INVALID_POINTER;
    if (ulFlags != 0)
        return CR_INVALID_FLAG;
    std::optional<std::string> id = InstanceIdOf(dnDevInst);
    if (!id)
        return CR_INVALID_DEVNODE;
    std::optional<DevNodeState> state = FindDevNode(*id);
    if (!state)
        return CR_NO_SUCH_DEVINST;
    *pulStatus = state->status;
    *pulProblemNumber = state->problem;
    return CR_SUCCESS;
}
