// The family's state: one entry per configured port, with its emulator and,
// when another program holds it, the descriptor that holds it.
#pragma once

#include "core/Machine.h"
#include "modemfw/PtyModem.h"
#include "serial/PortConfig.h"
#include "serial/SerialPort.h"
#include "serial/TtyDevice.h"

#include <win/types.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace plat::serial {

class PortTable {
public:
    static PortTable& Instance();
    ~PortTable();

    // Stops the previous machine's ports, then builds these.
    bool Replace(std::vector<PortConfig> configs, const Machine& machine, ProfileError* error);
    void Clear();

    // CreateFileA on a port name.
    HANDLE Open(const std::string& name, DWORD flags);

    bool Exists(const std::string& name);
    std::vector<std::string> Names();
    std::string Device(const std::string& name);
    std::string Holder(const std::string& name);
    bool Hold(const std::string& name, const std::string& program);
    bool Release(const std::string& name);
    bool TakeAway(const std::string& name);
    // Runs `action` on the port object that the last CreateFileA of the
    // port opened, while it is open; false when none is.
    bool WithOpenPort(const std::string& name, const std::function<void(SerialPort&)>& action);

private:
    struct Entry {
        PortConfig config;
        std::shared_ptr<modemfw::PtyModem> modem;
        ExclusiveTty holder;
        std::string holderName;
        std::weak_ptr<SerialPort> open;
    };

    Entry* Find(const std::string& name); // under m_mutex
    static std::string DeviceOf(const Entry& entry);

    std::mutex m_mutex;
    std::map<std::string, Entry> m_ports;
};

} // namespace plat::serial
