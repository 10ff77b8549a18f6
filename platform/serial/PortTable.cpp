#include "serial/PortTable.h"

#include "core/AsciiText.h"
#include "core/Handles.h"
#include "core/LastError.h"
#include "serial/SerialPort.h"

#include <win/errors.h>
#include <win/kernel.h>


namespace plat::serial {
namespace {

} // namespace

PortTable& PortTable::Instance()
{
    static PortTable table;
    return table;
}

PortTable::~PortTable()
{
    Clear();
}

void PortTable::Clear()
{
    std::map<std::string, Entry> old;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        old.swap(m_ports);
    }
    // Emulators stop (and their threads end) as the entries go.
}

bool PortTable::Replace(std::vector<PortConfig> configs, const Machine& machine, ProfileError* error)
{
    Clear();
    std::map<std::string, Entry> ports;
    for (PortConfig& config : configs) {
        Entry entry;
        entry.config = std::move(config);
        const std::string key = "ports." + entry.config.name;
        if (entry.config.kind == PortConfig::Kind::Modem) {
            std::string why;
            std::unique_ptr<modemfw::PtyModem> modem = modemfw::PtyModem::Start(entry.config.settings, &why);
            if (!modem) {
                *error = machine.KeyError(key, "the modem emulator cannot start: " + why);
                return false;
            }
            entry.modem = std::move(modem);
        }
        if (!entry.config.heldBy.empty()) {
            DWORD why = 0;
            entry.holder = ExclusiveTty::Open(DeviceOf(entry), 0, &why);
            if (!entry.holder.Valid()) {
                *error = machine.KeyError(key + ".heldBy", "the port cannot be held open (Win32 error " +
                                                               std::to_string(why) + ")");
                return false;
            }
            entry.holderName = entry.config.heldBy;
        }
        std::string name = entry.config.name;
        ports.emplace(name, std::move(entry));
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ports.swap(ports);
    return true;
}

PortTable::Entry* PortTable::Find(const std::string& name)
{
    auto it = m_ports.find(text::UpperAscii(name));
    if (it == m_ports.end() || it->second.config.kind == PortConfig::Kind::Absent)
        return nullptr;
    return &it->second;
}

std::string PortTable::DeviceOf(const Entry& entry)
{
    if (entry.modem)
        return entry.modem->Gone() ? std::string() : entry.modem->SlavePath();
    return entry.config.device;
}

HANDLE PortTable::Open(const std::string& name, DWORD flags)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Entry* entry = Find(name);
    std::string device = entry ? DeviceOf(*entry) : std::string();
    if (device.empty())
        return FailWith(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    DWORD error = 0;
    ExclusiveTty tty = ExclusiveTty::Open(device, entry->config.baud, &error);
    if (!tty.Valid())
        return FailWith(error, INVALID_HANDLE_VALUE);
    std::weak_ptr<modemfw::PtyModem> modem = entry->modem;
    auto port = std::make_shared<SerialPort>(
        std::move(tty), (flags & FILE_FLAG_OVERLAPPED) ? SerialPort::Io::Overlapped : SerialPort::Io::Synchronous,
        [modem] {
            if (auto m = modem.lock())
                m->DropDtr();
        });
    entry->open = port;
    SetLastError(ERROR_SUCCESS);
    return handles::Insert(std::move(port));
}

bool PortTable::Exists(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Entry* entry = Find(name);
    return entry && !DeviceOf(*entry).empty();
}

std::vector<std::string> PortTable::Names()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> names;
    for (auto& [name, entry] : m_ports) {
        if (entry.config.kind != PortConfig::Kind::Absent)
            names.push_back(name);
    }
    return names;
}

std::string PortTable::Device(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Entry* entry = Find(name);
    return entry ? DeviceOf(*entry) : std::string();
}

std::string PortTable::Holder(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Entry* entry = Find(name);
    return entry && entry->holder.Valid() ? entry->holderName : std::string();
}

bool PortTable::Hold(const std::string& name, const std::string& program)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Entry* entry = Find(name);
    if (!entry || entry->holder.Valid() || DeviceOf(*entry).empty())
        return false;
    DWORD error = 0;
    entry->holder = ExclusiveTty::Open(DeviceOf(*entry), 0, &error);
    entry->holderName = program;
    return entry->holder.Valid();
}

bool PortTable::Release(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Entry* entry = Find(name);
    if (!entry || !entry->holder.Valid())
        return false;
    entry->holder.Close();
    entry->holderName.clear();
    return true;
}

bool PortTable::TakeAway(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Entry* entry = Find(name);
    if (!entry || !entry->modem)
        return false;
    entry->modem->GoAway();
    return true;
}

bool PortTable::WithOpenPort(const std::string& name, const std::function<void(SerialPort&)>& action)
{
    std::shared_ptr<SerialPort> port;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Entry* entry = Find(name);
        if (entry)
            port = entry->open.lock();
    }
    if (!port || port->Queued() < 0)
        return false;
    action(*port);
    return true;
}

} // namespace plat::serial
