// Device information sets: SetupDiGetClassDevsA and the calls that walk a
// set. Exported functions set the last error once, here at the boundary.
#include "core/AsciiText.h"
#include "core/LastError.h"
#include "devinst/DevNodes.h"
#include "devinst/DeviceInfoSet.h"
#include "devinst/DeviceTree.h"
#include "devinst/Text.h"

#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstring>

using namespace plat::devinst;

namespace {

constexpr DWORD kKnownFlags = DIGCF_DEFAULT | DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE;

DWORD buildSet(const GUID* classGuid, PCSTR enumerator, DWORD flags, DeviceInfoSet* set)
{
    if (flags & ~kKnownFlags)
        return ERROR_INVALID_FLAGS;
    // Device interfaces are not part of the emulated PC.
    if (flags & DIGCF_DEVICEINTERFACE)
        return ERROR_NOT_SUPPORTED;
    bool allClasses = (flags & DIGCF_ALLCLASSES) != 0;
    if (!allClasses && !classGuid)
        return ERROR_INVALID_PARAMETER;
    if (!allClasses)
        set->classGuid = *classGuid;
    for (DeviceEntry& entry : ListDevices()) {
        if (!allClasses && !SameGuid(entry.classGuid, *classGuid))
            continue;
        if (enumerator && *enumerator && !plat::text::EqualNoCaseAscii(EnumeratorOf(entry.instanceId), enumerator))
            continue;
        if ((flags & DIGCF_PRESENT) && !FindDevNode(entry.instanceId))
            continue;
        DeviceInfo device;
        device.devInst = DevInstOf(entry.instanceId);
        device.instanceId = std::move(entry.instanceId);
        device.classGuid = entry.classGuid;
        device.installParams = DefaultInstallParams();
        set->devices.push_back(std::move(device));
    }
    set->global.classGuid = set->classGuid;
    set->global.installParams = DefaultInstallParams();
    return ERROR_SUCCESS;
}

// The registry value behind a device registry property; null for the
// properties that are computed or not kept.
const char* propertyValueName(DWORD property)
{
    switch (property) {
    case SPDRP_DEVICEDESC: return "DeviceDesc";
    case SPDRP_HARDWAREID: return "HardwareID";
    case SPDRP_COMPATIBLEIDS: return "CompatibleIDs";
    case SPDRP_SERVICE: return "Service";
    case SPDRP_CLASS: return "Class";
    case SPDRP_CLASSGUID: return "ClassGUID";
    case SPDRP_DRIVER: return "Driver";
    case SPDRP_CONFIGFLAGS: return "ConfigFlags";
    case SPDRP_MFG: return "Mfg";
    case SPDRP_FRIENDLYNAME: return "FriendlyName";
    case SPDRP_LOCATION_INFORMATION: return "LocationInformation";
    case SPDRP_CAPABILITIES: return "Capabilities";
    case SPDRP_UI_NUMBER: return "UINumber";
    case SPDRP_UPPERFILTERS: return "UpperFilters";
    case SPDRP_LOWERFILTERS: return "LowerFilters";
    case SPDRP_ADDRESS: return "Address";
    case SPDRP_BASE_CONTAINERID: return "ContainerID";
    default: return nullptr;
    }
}

// Setup writes localisable texts as "@oem3.inf,%key%;Text"; readers get the text.
void resolveIndirectText(RegKey::Value* value)
{
    if (value->type != REG_SZ || value->data.empty() || value->data[0] != '@')
        return;
    std::string text(value->data.begin(), value->data.end());
    text.resize(std::strlen(text.c_str()));
    size_t semicolon = text.find(';');
    if (semicolon == std::string::npos)
        return;
    text = text.substr(semicolon + 1);
    value->data.assign(text.begin(), text.end());
    value->data.push_back(0);
}

RegKey::Value textValue(const std::string& text)
{
    RegKey::Value value;
    value.type = REG_SZ;
    value.data.assign(text.begin(), text.end());
    value.data.push_back(0);
    return value;
}

DWORD readProperty(const DeviceInfo& device, DWORD property, RegKey::Value* out)
{
    if (property >= SPDRP_MAXIMUM_PROPERTY || property == SPDRP_UNUSED0 || property == SPDRP_UNUSED1 ||
        property == SPDRP_UNUSED2)
        return ERROR_INVALID_REG_PROPERTY;
    if (property == SPDRP_ENUMERATOR_NAME) {
        *out = textValue(EnumeratorOf(device.instanceId));
        return ERROR_SUCCESS;
    }
    if (property == SPDRP_PHYSICAL_DEVICE_OBJECT_NAME) {
        if (!FindDevNode(device.instanceId))
            return ERROR_INVALID_DATA;
        char name[32];
        std::snprintf(name, sizeof(name), "\\Device\\%08x", device.devInst);
        *out = textValue(name);
        return ERROR_SUCCESS;
    }
    const char* valueName = propertyValueName(property);
    if (!valueName)
        return ERROR_INVALID_DATA;
    RegKey key;
    if (OpenInstanceKey(device.instanceId, &key) != ERROR_SUCCESS)
        return ERROR_NO_SUCH_DEVINST;
    std::optional<RegKey::Value> value = key.Query(valueName);
    if (!value)
        return ERROR_INVALID_DATA;
    resolveIndirectText(&*value);
    *out = std::move(*value);
    return ERROR_SUCCESS;
}

DWORD openDevRegKey(const DeviceInfo& device, DWORD scope, DWORD hwProfile, DWORD keyType, REGSAM access, HKEY* out)
{
    if (scope != DICS_FLAG_GLOBAL && scope != DICS_FLAG_CONFIGSPECIFIC)
        return ERROR_INVALID_FLAGS;
    // Hardware profiles are not emulated: the configuration-specific keys
    // of the current profile (0) are the global ones.
    if (scope == DICS_FLAG_CONFIGSPECIFIC && hwProfile != 0)
        return ERROR_INVALID_HWPROFILE;
    RegKey key;
    if (keyType == DIREG_DEV) {
        RegKey instance;
        if (OpenInstanceKey(device.instanceId, &instance) != ERROR_SUCCESS)
            return ERROR_NO_SUCH_DEVINST;
        if (key.Open(instance.Get(), "Device Parameters", access) != ERROR_SUCCESS)
            return ERROR_KEY_DOES_NOT_EXIST;
    } else if (keyType == DIREG_DRV) {
        RegKey instance;
        if (OpenInstanceKey(device.instanceId, &instance) != ERROR_SUCCESS)
            return ERROR_NO_SUCH_DEVINST;
        std::optional<std::string> driver = instance.QueryString("Driver");
        if (!driver || driver->empty())
            return ERROR_KEY_DOES_NOT_EXIST;
        if (key.Open(HKEY_LOCAL_MACHINE, std::string(kClassPath) + "\\" + *driver, access) != ERROR_SUCCESS)
            return ERROR_KEY_DOES_NOT_EXIST;
    } else {
        return ERROR_INVALID_FLAGS;
    }
    *out = key.Release();
    return ERROR_SUCCESS;
}

} // namespace

extern "C" HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* ClassGuid, PCSTR Enumerator, HWND, DWORD Flags)
{
    auto set = std::make_unique<DeviceInfoSet>();
    DWORD error = buildSet(ClassGuid, Enumerator, Flags, set.get());
    if (error != ERROR_SUCCESS)
        return plat::FailWith(error, INVALID_HANDLE_VALUE);
    HDEVINFO handle = sets::Insert(std::move(set));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

extern "C" BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet)
{
    if (!sets::Remove(DeviceInfoSet))
        return plat::Fail(ERROR_INVALID_HANDLE);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiGetDeviceInfoListDetailA(HDEVINFO DeviceInfoSet,
                                                       PSP_DEVINFO_LIST_DETAIL_DATA_A DeviceInfoSetDetailData)
{
    DWORD error = sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        if (!DeviceInfoSetDetailData)
            return ERROR_INVALID_PARAMETER;
        if (DeviceInfoSetDetailData->cbSize != sizeof(SP_DEVINFO_LIST_DETAIL_DATA_A))
            return ERROR_INVALID_USER_BUFFER;
        DeviceInfoSetDetailData->ClassGuid = set.classGuid;
        DeviceInfoSetDetailData->RemoteMachineHandle = nullptr;
        DeviceInfoSetDetailData->RemoteMachineName[0] = '\0';
        return ERROR_SUCCESS;
    });
    return error == ERROR_SUCCESS ? (SetLastError(ERROR_SUCCESS), TRUE) : plat::Fail(error);
}

extern "C" BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex,
                                             PSP_DEVINFO_DATA DeviceInfoData)
{
    DWORD error = sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        if (!DeviceInfoData)
            return ERROR_INVALID_PARAMETER;
        if (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
            return ERROR_INVALID_USER_BUFFER;
        if (MemberIndex >= set.devices.size())
            return ERROR_NO_MORE_ITEMS;
        FillDevInfoData(set.devices[MemberIndex], MemberIndex, DeviceInfoData);
        return ERROR_SUCCESS;
    });
    return error == ERROR_SUCCESS ? (SetLastError(ERROR_SUCCESS), TRUE) : plat::Fail(error);
}

extern "C" BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                   PSTR DeviceInstanceId, DWORD DeviceInstanceIdSize,
                                                   PDWORD RequiredSize)
{
    DWORD error = sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDevice(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        DWORD needed = static_cast<DWORD>(device->instanceId.size() + 1);
        if (RequiredSize)
            *RequiredSize = needed;
        if (!DeviceInstanceId && DeviceInstanceIdSize != 0)
            return ERROR_INVALID_USER_BUFFER;
        if (!CopyText(device->instanceId, DeviceInstanceId, DeviceInstanceIdSize))
            return ERROR_INSUFFICIENT_BUFFER;
        return ERROR_SUCCESS;
    });
    return error == ERROR_SUCCESS ? (SetLastError(ERROR_SUCCESS), TRUE) : plat::Fail(error);
}

extern "C" BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                         DWORD Property, PDWORD PropertyRegDataType,
                                                         PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                                         PDWORD RequiredSize)
{
    DWORD error = sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDevice(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        if (!PropertyBuffer && PropertyBufferSize != 0)
            return ERROR_INVALID_USER_BUFFER;
        RegKey::Value value;
        if (DWORD e = readProperty(*device, Property, &value); e != ERROR_SUCCESS)
            return e;
        if (PropertyRegDataType)
            *PropertyRegDataType = value.type;
        if (RequiredSize)
            *RequiredSize = static_cast<DWORD>(value.data.size());
        if (value.data.size() > PropertyBufferSize)
            return ERROR_INSUFFICIENT_BUFFER;
        if (!value.data.empty())
            std::memcpy(PropertyBuffer, value.data.data(), value.data.size());
        return ERROR_SUCCESS;
    });
    return error == ERROR_SUCCESS ? (SetLastError(ERROR_SUCCESS), TRUE) : plat::Fail(error);
}

extern "C" HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Scope,
                                            DWORD HwProfile, DWORD KeyType, REGSAM samDesired)
{
    HKEY key = nullptr;
    DWORD error = sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDevice(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        return openDevRegKey(*device, Scope, HwProfile, KeyType, samDesired, &key);
    });
    if (error != ERROR_SUCCESS)
        return plat::FailWith(error, reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE));
    SetLastError(ERROR_SUCCESS);
    return key;
}
