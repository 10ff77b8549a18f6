#include "Devices.h"

#include <cfgmgr32.h>
#include <setupapi.h>

#include "Text.h"

#include <cstring>

namespace capture {

const char kModemClassGuid[] = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";

namespace {

// Sentinels that no real device node reports: left unchanged, they show that
// the configuration manager answered without filling its outputs.
constexpr ULONG kUnfilled = 0xFFFFFFFFu;

std::string stringProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property)
{
    char buffer[1024] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(set, &device, property, &type, (PBYTE)buffer, sizeof(buffer) - 1,
                                           nullptr))
        return "";
    return buffer;
}

bool holdsFragment(const std::string& id, const std::vector<std::string>& fragments)
{
    for (const std::string& fragment : fragments)
        if (!fragment.empty() && id.find(fragment) != std::string::npos)
            return true;
    return false;
}

} // namespace

std::vector<std::string> ReadServedFragments(const std::string& infPath)
{
    std::vector<std::string> fragments;
    HINF inf = SetupOpenInfFileA(infPath.c_str(), nullptr, INF_STYLE_OLDNT, nullptr);
    if (inf == INVALID_HANDLE_VALUE)
        return fragments;
    INFCONTEXT line;
    BOOL more = SetupFindFirstLineA(inf, "Modems", "Modem", &line);
    while (more) {
        char field[200];
        if (SetupGetStringFieldA(&line, 1, field, sizeof(field), nullptr))
            fragments.push_back(field);
        more = SetupFindNextMatchLineA(&line, "Modem", &line);
    }
    SetupCloseInfFile(inf);
    return fragments;
}

std::vector<CapturedDevice> FindDevices(const std::vector<std::string>& servedFragments,
                                        std::vector<std::string>& notes)
{
    std::vector<CapturedDevice> devices;
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) {
        notes.push_back("SetupDiGetClassDevsA failed: no device was captured");
        return devices;
    }
    SP_DEVINFO_DATA device;
    for (DWORD index = 0;; ++index) {
        std::memset(&device, 0, sizeof(device));
        device.cbSize = sizeof(device);
        if (!SetupDiEnumDeviceInfo(set, index, &device))
            break;
        char id[MAX_DEVICE_ID_LEN] = {};
        if (!SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof(id), nullptr))
            continue;
        CapturedDevice found;
        found.instanceId = id;
        std::string classGuid = stringProperty(set, device, SPDRP_CLASSGUID);
        found.modemClass = EqualNoCase(classGuid, kModemClassGuid);
        found.served = holdsFragment(found.instanceId, servedFragments);
        if (!found.modemClass && !found.served)
            continue;
        found.driver = stringProperty(set, device, SPDRP_DRIVER);
        ULONG status = kUnfilled;
        ULONG problem = kUnfilled;
        found.present = CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) == CR_SUCCESS;
        found.statusFilled = found.present && status != kUnfilled;
        if (found.statusFilled) {
            found.status = status;
            found.problem = problem == kUnfilled ? 0 : problem;
        } else if (found.present) {
            notes.push_back("CM_Get_DevNode_Status answered for " + found.instanceId +
                            " without a status: written as started with its driver loaded, no problem");
            found.status = DN_DRIVER_LOADED | DN_STARTED;
        }
        devices.push_back(found);
    }
    SetupDiDestroyDeviceInfoList(set);
    return devices;
}

} // namespace capture
