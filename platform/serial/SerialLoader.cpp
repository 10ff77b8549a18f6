// The "serial" profile loader and the public port functions.
#include "core/Devices.h"
#include "core/Handles.h"
#include "core/Machine.h"
#include "serial/PortConfig.h"
#include "serial/PortTable.h"
#include "serial/Serial.h"
#include "serial/SerialPort.h"

namespace plat::serial {

void RegisterLoader()
{
    RegisterProfileLoader("serial", [](const Machine& machine, ProfileError* error) {
        std::vector<PortConfig> configs;
        if (!ReadPortConfigs(machine, &configs, error))
            return false;
        return PortTable::Instance().Replace(std::move(configs), machine, error);
    });
    devices::SetOpener([](const std::string& device, DWORD, DWORD, DWORD flags) {
        return PortTable::Instance().Open(device, flags);
    });
}

bool PortExists(const std::string& name)
{
    return PortTable::Instance().Exists(name);
}

std::vector<std::string> PortNames()
{
    return PortTable::Instance().Names();
}

std::string PortDevice(const std::string& name)
{
    return PortTable::Instance().Device(name);
}

std::string PortHolder(const std::string& name)
{
    return PortTable::Instance().Holder(name);
}

bool HoldPort(const std::string& name, const std::string& program)
{
    return PortTable::Instance().Hold(name, program);
}

bool ReleasePort(const std::string& name)
{
    return PortTable::Instance().Release(name);
}

bool TakePortAway(const std::string& name)
{
    return PortTable::Instance().TakeAway(name);
}

int QueuedRequests(void* handle)
{
    auto port = handles::GetAs<SerialPort>(handle);
    return port ? port->Queued() : -1;
}

bool PurgeOpenPort(const std::string& name, unsigned long flags)
{
    return PortTable::Instance().WithOpenPort(name, [&](SerialPort& port) { port.Purge(static_cast<DWORD>(flags)); });
}

bool SetAbortOnError(const std::string& name, bool abort)
{
    return PortTable::Instance().WithOpenPort(name, [&](SerialPort& port) {
        DCB dcb{};
        if (port.GetState(&dcb)) {
            dcb.fAbortOnError = abort ? 1 : 0;
            port.SetState(dcb);
        }
    });
}

bool RaiseLineError(const std::string& name, unsigned long errors)
{
    return PortTable::Instance().WithOpenPort(name,
                                              [&](SerialPort& port) { port.LineError(static_cast<DWORD>(errors)); });
}

} // namespace plat::serial
