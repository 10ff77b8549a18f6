#include "tapi/LineCatalog.h"

#include "core/AsciiText.h"
#include "core/Machine.h"
#include "tapi/TapiProfile.h"

#include <tapi.h>
#include <windows.h>

#include <algorithm>
#include <set>

namespace plat::tapi {
namespace {

const char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum";
const char kClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class";
const char kModemClassGuid[] = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";

// An open registry key, closed when it goes out of scope.
class Key {
public:
    Key(HKEY parent, const std::string& path)
    {
        if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~Key()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    explicit operator bool() const { return m_key != nullptr; }
    HKEY Get() const { return m_key; }

    std::vector<std::string> SubKeys() const
    {
        std::vector<std::string> names;
        for (DWORD i = 0;; ++i) {
            char name[MAX_PATH];
            DWORD size = sizeof(name);
            LSTATUS status = RegEnumKeyExA(m_key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status == ERROR_SUCCESS)
                names.emplace_back(name, size);
        }
        return names;
    }

    // A string value (REG_SZ or REG_EXPAND_SZ); "" when absent or of another type.
    std::string String(const char* value) const
    {
        char data[1024];
        DWORD type = 0;
        DWORD size = sizeof(data) - 1;
        if (RegQueryValueExA(m_key, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return "";
        data[size] = '\0';
        return std::string(data);
    }

private:
    HKEY m_key = nullptr;
};

struct ModemInstance {
    std::string instanceId;
    std::string driver; // "{class guid}\nnnn"
};

bool isModem(const Key& instance)
{
    return text::UpperAscii(instance.String("ClassGUID")) == kModemClassGuid || text::UpperAscii(instance.String("Class")) == "MODEM";
}

// The Enum tree is enumerator\device\instance.
std::vector<ModemInstance> findModemInstances()
{
    std::vector<ModemInstance> found;
    Key enumKey(HKEY_LOCAL_MACHINE, kEnumKey);
    if (!enumKey)
        return found;
    for (const std::string& enumerator : enumKey.SubKeys()) {
        Key enumeratorKey(enumKey.Get(), enumerator);
        for (const std::string& device : enumeratorKey.SubKeys()) {
            Key deviceKey(enumeratorKey.Get(), device);
            for (const std::string& instance : deviceKey.SubKeys()) {
                Key instanceKey(deviceKey.Get(), instance);
                if (!instanceKey || !isModem(instanceKey))
                    continue;
                std::string driver = instanceKey.String("Driver");
                if (!driver.empty())
                    found.push_back({enumerator + "\\" + device + "\\" + instance, driver});
            }
        }
    }
    return found;
}

// Fills `present` with the instance IDs (upper case) of the present
// devices; false when the machine does not say which devices are present.
bool presentDevices(std::set<std::string>* present)
{
    const Machine* machine = CurrentMachine();
    if (!machine)
        return false;
    auto section = machine->Json().find("devnodes");
    if (section == machine->Json().end() || !section->is_object())
        return false;
    for (auto& [id, ignored] : section->items())
        present->insert(text::UpperAscii(id));
    return true;
}

std::vector<LineDevice> modemLines()
{
    std::set<std::string> present;
    bool filter = presentDevices(&present);
    std::vector<ModemInstance> instances = findModemInstances();
    // The provider lists its modems in the order of their driver keys
    // (0000, 0001, ...), which is the order they were installed in.
    std::stable_sort(instances.begin(), instances.end(),
                     [](const ModemInstance& a, const ModemInstance& b) { return text::UpperAscii(a.driver) < text::UpperAscii(b.driver); });
    std::vector<LineDevice> lines;
    Key classKey(HKEY_LOCAL_MACHINE, kClassKey);
    if (!classKey)
        return lines;
    for (const ModemInstance& instance : instances) {
        if (filter && !present.count(text::UpperAscii(instance.instanceId)))
            continue;
        Key driverKey(classKey.Get(), instance.driver);
        if (!driverKey)
            continue;
        LineDevice line;
        line.name = driverKey.String("FriendlyName");
        if (line.name.empty())
            continue;
        line.port = driverKey.String("AttachedTo");
        line.mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM;
        line.bearerModes = LINEBEARERMODE_VOICE | LINEBEARERMODE_PASSTHROUGH;
        line.instanceId = instance.instanceId;
        lines.push_back(std::move(line));
    }
    return lines;
}

LineDevice fromExtra(const ExtraLine& extra)
{
    LineDevice line;
    line.name = extra.name;
    line.port = extra.port;
    line.mediaModes = extra.mediaModes;
    line.bearerModes = extra.port.empty() ? LINEBEARERMODE_VOICE : LINEBEARERMODE_VOICE | LINEBEARERMODE_PASSTHROUGH;
    return line;
}

} // namespace

std::vector<LineDevice> BuildCatalog()
{
    std::vector<ExtraLine> extras = ExtraLines();
    std::vector<LineDevice> lines;
    for (const ExtraLine& extra : extras) {
        if (extra.before)
            lines.push_back(fromExtra(extra));
    }
    for (LineDevice& modem : modemLines())
        lines.push_back(std::move(modem));
    for (const ExtraLine& extra : extras) {
        if (!extra.before)
            lines.push_back(fromExtra(extra));
    }
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i].permanentId = static_cast<DWORD>(0x10000 + i);
    return lines;
}

} // namespace plat::tapi
