// Driver lists: building them from INF files, walking them, their details
// and the selected driver.
#include "core/AsciiText.h"
#include "core/LastError.h"
#include "core/Machine.h"
#include "devinst/DeviceInfoSet.h"
#include "devinst/DeviceTree.h"
#include "devinst/DriverSearch.h"
#include "devinst/Text.h"

#include <setupapi.h>
#include <windows.h>

#include <cstddef>
#include <cstring>

using namespace plat::devinst;

namespace {

TargetOs currentOs()
{
    const plat::Machine* machine = plat::CurrentMachine();
    return machine ? TargetOs::Of(machine->Os()) : TargetOs{};
}

// The IDs that make a driver compatible with a device: its HardwareID and
// CompatibleIDs values.
std::vector<std::string> deviceIds(const DeviceInfo& device)
{
    std::vector<std::string> ids;
    RegKey key;
    if (OpenInstanceKey(device.instanceId, &key) != ERROR_SUCCESS)
        return ids;
    for (const char* name : {"HardwareID", "CompatibleIDs"}) {
        std::optional<RegKey::Value> value = key.Query(name);
        if (!value || value->type != REG_MULTI_SZ)
            continue;
        const char* text = reinterpret_cast<const char*>(value->data.data());
        size_t at = 0;
        while (at < value->data.size() && text[at] != '\0') {
            size_t length = strnlen(text + at, value->data.size() - at);
            ids.push_back(plat::text::UpperAscii(std::string(text + at, length)));
            at += length + 1;
        }
    }
    return ids;
}

// The INF files to search: the one of DriverPath under DI_ENUMSINGLEINF,
// else every INF of DriverPath's folder (the INF folder when empty).
std::vector<std::string> infsToSearch(const SP_DEVINSTALL_PARAMS_A& params)
{
    std::string driverPath(params.DriverPath, strnlen(params.DriverPath, sizeof(params.DriverPath)));
    if (params.Flags & DI_ENUMSINGLEINF)
        return {ResolveInfPath(driverPath)};
    std::string folder = driverPath.empty() ? ResolveInfPath("") : driverPath;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    std::vector<std::string> infs;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.inf").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return infs;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            infs.push_back(folder + data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return infs;
}

DWORD buildList(DeviceInfo& device, DWORD driverType)
{
    DriverList* list = device.List(driverType);
    if (!list)
        return ERROR_INVALID_PARAMETER;
    if (driverType == SPDIT_COMPATDRIVER && device.instanceId.empty())
        return ERROR_INVALID_PARAMETER;
    if (list->built)
        return ERROR_SUCCESS;
    DriverSearch search;
    search.deviceClass = device.classGuid;
    search.os = currentOs();
    search.allowExcluded = (device.installParams.FlagsEx & DI_FLAGSEX_ALLOWEXCLUDEDDRVS) != 0;
    std::vector<DriverNode> nodes;
    for (const std::string& inf : infsToSearch(device.installParams))
        AddClassDriversOfInf(inf, search, &nodes);
    if (driverType == SPDIT_COMPATDRIVER) {
        std::vector<std::string> ids = deviceIds(device);
        std::vector<DriverNode> matching;
        for (DriverNode& node : nodes) {
            bool matches = false;
            for (const std::string& id : node.hardwareIds)
                matches = matches || std::find(ids.begin(), ids.end(), plat::text::UpperAscii(id)) != ids.end();
            if (matches)
                matching.push_back(std::move(node));
        }
        nodes = std::move(matching);
    }
    list->nodes = std::move(nodes);
    list->built = true;
    if (driverType == SPDIT_CLASSDRIVER) {
        device.installParams.Flags |= DI_DIDCLASS;
        device.installParams.FlagsEx |= DI_FLAGSEX_DIDINFOLIST;
    } else {
        device.installParams.Flags |= DI_DIDCOMPAT;
        device.installParams.FlagsEx |= DI_FLAGSEX_DIDCOMPATINFO;
    }
    return ERROR_SUCCESS;
}

bool validDrvInfoSize(DWORD cbSize)
{
    return cbSize == sizeof(SP_DRVINFO_DATA_V1_A) || cbSize == sizeof(SP_DRVINFO_DATA_V2_A);
}

void truncatedCopy(const std::string& text, char* buffer, size_t size)
{
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

void fillDrvInfo(const DriverNode& node, DWORD driverType, size_t index, SP_DRVINFO_DATA_A* data)
{
    data->DriverType = driverType;
    data->Reserved = index + 1;
    truncatedCopy(node.description, data->Description, sizeof(data->Description));
    truncatedCopy(node.mfgName, data->MfgName, sizeof(data->MfgName));
    truncatedCopy(node.providerName, data->ProviderName, sizeof(data->ProviderName));
    if (data->cbSize == sizeof(SP_DRVINFO_DATA_V2_A)) {
        data->DriverDate = node.driverDate;
        data->DriverVersion = node.driverVersion;
    }
}

// The driver that an SP_DRVINFO_DATA names: by the index that
// SetupDiEnumDriverInfoA left in Reserved, else by type and texts.
DWORD findDriver(DeviceInfo& device, const SP_DRVINFO_DATA_A* data, DriverList** listOut, size_t* indexOut)
{
    if (!data)
        return ERROR_INVALID_PARAMETER;
    if (!validDrvInfoSize(data->cbSize))
        return ERROR_INVALID_USER_BUFFER;
    DriverList* list = device.List(data->DriverType);
    if (!list || !list->built)
        return ERROR_INVALID_PARAMETER;
    size_t index = data->Reserved;
    if (index >= 1 && index <= list->nodes.size()) {
        *listOut = list;
        *indexOut = index - 1;
        return ERROR_SUCCESS;
    }
    for (size_t i = 0; i < list->nodes.size(); ++i) {
        const DriverNode& node = list->nodes[i];
        if (plat::text::EqualNoCaseAscii(node.description, data->Description) && plat::text::EqualNoCaseAscii(node.mfgName, data->MfgName) &&
            plat::text::EqualNoCaseAscii(node.providerName, data->ProviderName)) {
            *listOut = list;
            *indexOut = i;
            return ERROR_SUCCESS;
        }
    }
    return ERROR_INVALID_PARAMETER;
}

// HardwareID multi-string: the hardware ID, then the compatible IDs, then
// the final terminator.
std::string idList(const DriverNode& node, DWORD* compatOffset, DWORD* compatLength)
{
    std::string list = node.hardwareIds.empty() ? std::string() : node.hardwareIds[0];
    list += '\0';
    *compatOffset = static_cast<DWORD>(list.size());
    size_t compatStart = list.size();
    for (size_t i = 1; i < node.hardwareIds.size(); ++i) {
        list += node.hardwareIds[i];
        list += '\0';
    }
    list += '\0';
    *compatLength = node.hardwareIds.size() > 1 ? static_cast<DWORD>(list.size() - compatStart) : 0;
    return list;
}

DWORD driverDetail(const DriverNode& node, SP_DRVINFO_DETAIL_DATA_A* detail, DWORD size, DWORD* required)
{
    constexpr DWORD kFixed = offsetof(SP_DRVINFO_DETAIL_DATA_A, HardwareID);
    DWORD compatOffset = 0, compatLength = 0;
    std::string ids = idList(node, &compatOffset, &compatLength);
    DWORD needed = kFixed + static_cast<DWORD>(ids.size());
    if (required)
        *required = needed;
    if (!detail)
        return size == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER;
    if (detail->cbSize != sizeof(SP_DRVINFO_DETAIL_DATA_A) || size < sizeof(SP_DRVINFO_DETAIL_DATA_A))
        return ERROR_INVALID_USER_BUFFER;
    detail->InfDate = node.infDate;
    detail->CompatIDsOffset = compatOffset;
    detail->CompatIDsLength = compatLength;
    detail->Reserved = 0;
    truncatedCopy(node.sectionName, detail->SectionName, sizeof(detail->SectionName));
    truncatedCopy(node.infFileName, detail->InfFileName, sizeof(detail->InfFileName));
    truncatedCopy(node.description, detail->DrvDescription, sizeof(detail->DrvDescription));
    // The ID list as far as it fits: the fixed part is always complete.
    std::memcpy(detail->HardwareID, ids.data(), std::min<size_t>(ids.size(), size - kFixed));
    return needed > size ? ERROR_INSUFFICIENT_BUFFER : ERROR_SUCCESS;
}

} // namespace

extern "C" BOOL WINAPI SetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                  DWORD DriverType)
{
    return plat::Finish(sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDeviceOrSet(set, DeviceInfoData, &failure);
        return device ? buildList(*device, DriverType) : failure;
    }));
}

extern "C" BOOL WINAPI SetupDiEnumDriverInfoA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                              DWORD DriverType, DWORD MemberIndex, PSP_DRVINFO_DATA_A DriverInfoData)
{
    return plat::Finish(sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDeviceOrSet(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        DriverList* list = device->List(DriverType);
        if (!list || !DriverInfoData)
            return ERROR_INVALID_PARAMETER;
        if (!validDrvInfoSize(DriverInfoData->cbSize))
            return ERROR_INVALID_USER_BUFFER;
        if (MemberIndex >= list->nodes.size())
            return ERROR_NO_MORE_ITEMS;
        fillDrvInfo(list->nodes[MemberIndex], DriverType, MemberIndex, DriverInfoData);
        return ERROR_SUCCESS;
    }));
}

extern "C" BOOL WINAPI SetupDiGetDriverInfoDetailA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                   PSP_DRVINFO_DATA_A DriverInfoData,
                                                   PSP_DRVINFO_DETAIL_DATA_A DriverInfoDetailData,
                                                   DWORD DriverInfoDetailDataSize, PDWORD RequiredSize)
{
    return plat::Finish(sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDeviceOrSet(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        DriverList* list = nullptr;
        size_t index = 0;
        if (DWORD e = findDriver(*device, DriverInfoData, &list, &index); e != ERROR_SUCCESS)
            return e;
        return driverDetail(list->nodes[index], DriverInfoDetailData, DriverInfoDetailDataSize, RequiredSize);
    }));
}

extern "C" BOOL WINAPI SetupDiDestroyDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                    DWORD DriverType)
{
    return plat::Finish(sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDeviceOrSet(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        DriverList* list = device->List(DriverType);
        if (!list)
            return ERROR_INVALID_PARAMETER;
        *list = DriverList{};
        if (device->selectedType == DriverType)
            device->selectedType = SPDIT_NODRIVER;
        if (DriverType == SPDIT_CLASSDRIVER) {
            device->installParams.Flags &= ~DI_DIDCLASS;
            device->installParams.FlagsEx &= ~DI_FLAGSEX_DIDINFOLIST;
        } else {
            device->installParams.Flags &= ~DI_DIDCOMPAT;
            device->installParams.FlagsEx &= ~DI_FLAGSEX_DIDCOMPATINFO;
        }
        return ERROR_SUCCESS;
    }));
}

extern "C" BOOL WINAPI SetupDiSetSelectedDriverA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                 PSP_DRVINFO_DATA_A DriverInfoData)
{
    return plat::Finish(sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDeviceOrSet(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        if (!DriverInfoData) {
            device->selectedType = SPDIT_NODRIVER;
            return ERROR_SUCCESS;
        }
        DriverList* list = nullptr;
        size_t index = 0;
        if (DWORD e = findDriver(*device, DriverInfoData, &list, &index); e != ERROR_SUCCESS)
            return e;
        device->selectedType = DriverInfoData->DriverType;
        device->selectedIndex = index;
        // The caller's structure now names the driver by its index.
        DriverInfoData->Reserved = index + 1;
        return ERROR_SUCCESS;
    }));
}

extern "C" BOOL WINAPI SetupDiGetSelectedDriverA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                 PSP_DRVINFO_DATA_A DriverInfoData)
{
    return plat::Finish(sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDeviceOrSet(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        if (!DriverInfoData)
            return ERROR_INVALID_PARAMETER;
        if (!validDrvInfoSize(DriverInfoData->cbSize))
            return ERROR_INVALID_USER_BUFFER;
        const DriverNode* node = device->Selected();
        if (!node)
            return ERROR_NO_DRIVER_SELECTED;
        fillDrvInfo(*node, device->selectedType, device->selectedIndex, DriverInfoData);
        return ERROR_SUCCESS;
    }));
}
