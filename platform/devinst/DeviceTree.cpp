#include "devinst/DeviceTree.h"

#include "core/AsciiText.h"
#include "devinst/Text.h"

#include <cfgmgr32.h>

#include <algorithm>

namespace plat::devinst {
namespace {

std::vector<std::string> sortedSubKeys(const RegKey& key)
{
    std::vector<std::string> names = key.SubKeys();
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names)
        keyed.emplace_back(plat::text::UpperAscii(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto& entry : keyed)
        names.push_back(std::move(entry.second));
    return names;
}

} // namespace

std::vector<DeviceEntry> ListDevices()
{
    std::vector<DeviceEntry> devices;
    RegKey root;
    if (root.Open(HKEY_LOCAL_MACHINE, kEnumPath) != ERROR_SUCCESS)
        return devices;
    for (const std::string& enumerator : sortedSubKeys(root)) {
        RegKey enumKey;
        if (enumKey.Open(root.Get(), enumerator) != ERROR_SUCCESS)
            continue;
        for (const std::string& device : sortedSubKeys(enumKey)) {
            RegKey deviceKey;
            if (deviceKey.Open(enumKey.Get(), device) != ERROR_SUCCESS)
                continue;
            for (const std::string& instance : sortedSubKeys(deviceKey)) {
                RegKey instanceKey;
                if (instanceKey.Open(deviceKey.Get(), instance) != ERROR_SUCCESS)
                    continue;
                DeviceEntry entry;
                entry.instanceId = enumerator + "\\" + device + "\\" + instance;
                // Windows has no device whose ID does not fit MAX_DEVICE_ID_LEN.
                if (entry.instanceId.size() >= MAX_DEVICE_ID_LEN)
                    continue;
                if (std::optional<std::string> guid = instanceKey.QueryString("ClassGUID"))
                    entry.classGuid = ParseGuid(*guid).value_or(kNullGuid);
                devices.push_back(std::move(entry));
            }
        }
    }
    return devices;
}

LONG OpenInstanceKey(const std::string& instanceId, RegKey* key, REGSAM access)
{
    return key->Open(HKEY_LOCAL_MACHINE, std::string(kEnumPath) + "\\" + instanceId, access);
}

std::string EnumeratorOf(const std::string& instanceId)
{
    return instanceId.substr(0, instanceId.find('\\'));
}

} // namespace plat::devinst
