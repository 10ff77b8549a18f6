#include "devinst/DeviceInfoSet.h"

#include <map>

namespace plat::devinst {
namespace {

struct Table {
    std::map<uintptr_t, std::unique_ptr<DeviceInfoSet>> sets;
    uintptr_t next = 0x5D10000;
};

Table& table()
{
    static Table t;
    return t;
}

} // namespace

namespace sets {

std::mutex& Mutex()
{
    static std::mutex m;
    return m;
}

HDEVINFO Insert(std::unique_ptr<DeviceInfoSet> set)
{
    std::lock_guard<std::mutex> lock(Mutex());
    uintptr_t value = table().next;
    table().next += 0x10;
    table().sets.emplace(value, std::move(set));
    return reinterpret_cast<HDEVINFO>(value);
}

bool Remove(HDEVINFO handle)
{
    std::unique_ptr<DeviceInfoSet> removed;
    std::lock_guard<std::mutex> lock(Mutex());
    auto it = table().sets.find(reinterpret_cast<uintptr_t>(handle));
    if (it == table().sets.end())
        return false;
    removed = std::move(it->second);
    table().sets.erase(it);
    return true;
}

DeviceInfoSet* FindLocked(HDEVINFO handle)
{
    auto it = table().sets.find(reinterpret_cast<uintptr_t>(handle));
    return it == table().sets.end() ? nullptr : it->second.get();
}

} // namespace sets

DeviceInfo* FindDevice(DeviceInfoSet& set, const SP_DEVINFO_DATA* data, DWORD* error)
{
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        *error = ERROR_INVALID_USER_BUFFER;
        return nullptr;
    }
    // Reserved holds the member's index + 1 within its set.
    size_t index = data->Reserved;
    if (index == 0 || index > set.devices.size() || set.devices[index - 1].devInst != data->DevInst) {
        *error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    return &set.devices[index - 1];
}

DeviceInfo* FindDeviceOrSet(DeviceInfoSet& set, const SP_DEVINFO_DATA* data, DWORD* error)
{
    return data ? FindDevice(set, data, error) : &set.global;
}

void FillDevInfoData(const DeviceInfo& device, size_t index, SP_DEVINFO_DATA* data)
{
    data->ClassGuid = device.classGuid;
    data->DevInst = device.devInst;
    data->Reserved = index + 1;
}

SP_DEVINSTALL_PARAMS_A DefaultInstallParams()
{
    SP_DEVINSTALL_PARAMS_A params{};
    params.cbSize = sizeof(params);
    return params;
}

} // namespace plat::devinst
