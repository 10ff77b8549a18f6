// Install parameters and the class installer. Of the installer functions,
// the emulated PC carries out DIF_INSTALLDEVICEFILES under DI_NOVCP, which
// only fills the caller's file queue; nothing is ever installed.
#include "core/LastError.h"
#include "core/Machine.h"
#include "devinst/DeviceInfoSet.h"
#include "devinst/FileQueue.h"
#include "devinst/InstallFiles.h"

#include <setupapi.h>

#include <cstring>

using namespace plat::devinst;

namespace {

bool validQueueHandle(HSPFILEQ queue)
{
    return queue != nullptr && queue != INVALID_HANDLE_VALUE;
}

DWORD checkParams(const SP_DEVINSTALL_PARAMS_A* params)
{
    if (!params)
        return ERROR_INVALID_PARAMETER;
    if (params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_A))
        return ERROR_INVALID_USER_BUFFER;
    return ERROR_SUCCESS;
}

} // namespace

extern "C" BOOL WINAPI SetupDiGetDeviceInstallParamsA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                      PSP_DEVINSTALL_PARAMS_A DeviceInstallParams)
{
    return plat::Finish(sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDeviceOrSet(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        if (DWORD e = checkParams(DeviceInstallParams); e != ERROR_SUCCESS)
            return e;
        *DeviceInstallParams = device->installParams;
        return ERROR_SUCCESS;
    }));
}

extern "C" BOOL WINAPI SetupDiSetDeviceInstallParamsA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                      PSP_DEVINSTALL_PARAMS_A DeviceInstallParams)
{
    return plat::Finish(sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDeviceOrSet(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        if (DWORD e = checkParams(DeviceInstallParams); e != ERROR_SUCCESS)
            return e;
        // A caller-supplied queue must come with the flag that says so.
        if ((DeviceInstallParams->Flags & DI_NOVCP) && !validQueueHandle(DeviceInstallParams->FileQueue))
            return ERROR_INVALID_FLAGS;
        if (strnlen(DeviceInstallParams->DriverPath, MAX_PATH) == MAX_PATH)
            return ERROR_INVALID_PARAMETER;
        device->installParams = *DeviceInstallParams;
        return ERROR_SUCCESS;
    }));
}

extern "C" BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                                 PSP_DEVINFO_DATA DeviceInfoData)
{
    const plat::Machine* machine = plat::CurrentMachine();
    TargetOs os = machine ? TargetOs::Of(machine->Os()) : TargetOs{};
    std::vector<std::string> targets;
    HSPFILEQ queue = nullptr;
    DWORD error = sets::With(DeviceInfoSet, [&](plat::devinst::DeviceInfoSet& set) -> DWORD {
        DWORD failure = ERROR_SUCCESS;
        DeviceInfo* device = FindDeviceOrSet(set, DeviceInfoData, &failure);
        if (!device)
            return failure;
        switch (InstallFunction) {
        case DIF_DESTROYPRIVATEDATA:
        case DIF_ALLOW_INSTALL:
            return ERROR_SUCCESS;
        case DIF_INSTALLDEVICEFILES:
            break;
        default:
            // Installing, removing or changing devices would change the
            // machine, which the emulated PC never does.
            return ERROR_DI_DO_DEFAULT;
        }
        const DriverNode* driver = device->Selected();
        if (!driver)
            return ERROR_NO_DRIVER_SELECTED;
        const SP_DEVINSTALL_PARAMS_A& params = device->installParams;
        if (!(params.Flags & DI_NOVCP))
            return ERROR_ACCESS_DENIED; // would copy files onto the machine
        if (params.Flags & DI_NOFILECOPY)
            return ERROR_SUCCESS;
        queue = params.FileQueue;
        return ListDriverFiles(*driver, os, &targets);
    });
    if (error == ERROR_SUCCESS && queue)
        error = queues::AddCopies(queue, targets);
    return plat::Finish(error);
}
