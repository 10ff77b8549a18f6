#include "Capture.h"

#include "Devices.h"
#include "DriverInf.h"
#include "MachineJson.h"
#include "RegExport.h"
#include "SystemInfo.h"
#include "Text.h"

#include <windows.h>

namespace capture {

const char kNotesFile[] = "capture-notes.txt";

namespace {

const char kHklm[] = "HKEY_LOCAL_MACHINE";
const char kEnumPath[] = "SYSTEM\\CurrentControlSet\\Enum\\";
const char kClassPath[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
const char kTelephonyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Telephony";
const char kAppPathsPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Ravlin.exe";
const char kDeviceSpecificPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Unimodem\\DeviceSpecific\\";

// A REG_SZ value of an open key, "" when it is missing or of another type.
std::string stringValue(HKEY root, const std::string& path, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    char data[1024] = {};
    DWORD size = sizeof(data) - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, (LPBYTE)data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return "";
    data[size < sizeof(data) ? size : sizeof(data) - 1] = 0;
    return data;
}

bool readWholeFile(const std::string& path, std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buffer[8192];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof(buffer), &got, nullptr) != FALSE) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return ok;
}

HKEY rootKey(const std::string& name)
{
    if (name == "HKEY_CURRENT_USER")
        return HKEY_CURRENT_USER;
    if (name == "HKEY_CLASSES_ROOT")
        return HKEY_CLASSES_ROOT;
    if (name == "HKEY_USERS")
        return HKEY_USERS;
    return HKEY_LOCAL_MACHINE;
}

// The device Ravlin would examine first: a served one that is present and has
// a driver key, else any served one, else the first modem with a driver.
const CapturedDevice* servedDevice(const std::vector<CapturedDevice>& devices)
{
    for (const CapturedDevice& device : devices)
        if (device.served && device.present && !device.driver.empty())
            return &device;
    for (const CapturedDevice& device : devices)
        if (device.served && !device.driver.empty())
            return &device;
    for (const CapturedDevice& device : devices)
        if (device.modemClass && !device.driver.empty())
            return &device;
    return nullptr;
}

class Capturer {
public:
    explicit Capturer(const std::vector<std::string>& fragments) : m_fragments(fragments) {}

    CapturedProfile Run()
    {
        if (m_fragments.empty())
            m_out.notes.push_back("no list of served modems: the first modem with a driver key was taken");
        m_facts.system = ReadSystemInfo(m_out.notes);
        m_facts.devices = FindDevices(m_fragments, m_out.notes);
        exportDevices();
        const CapturedDevice* served = servedDevice(m_facts.devices);
        if (served) {
            m_out.servedModem = served->instanceId;
            captureDriver(*served);
        } else {
            m_out.notes.push_back("no served modem and no modem with a driver key: no driver INF was captured");
        }
        exportTelephony();
        exportSoftware();
        finish();
        return std::move(m_out);
    }

private:
    void add(RegExport& file, HKEY root, const std::string& rootName, const std::string& path, Depth depth)
    {
        if (!file.Add(root, rootName, path, depth))
            m_out.notes.push_back(rootName + "\\" + path + " does not open: not captured");
    }

    // The devices' instance keys, then the modem class with all its driver
    // keys, then the driver keys of served devices of other classes.
    void exportDevices()
    {
        std::vector<CapturedDevice> kept;
        for (const CapturedDevice& device : m_facts.devices) {
            if (m_enum.Add(HKEY_LOCAL_MACHINE, kHklm, kEnumPath + device.instanceId, Depth::WithSubkeys))
                kept.push_back(device);
            else
                m_out.notes.push_back("the instance key of " + device.instanceId + " does not open: not captured");
        }
        m_facts.devices = kept;
        add(m_class, HKEY_LOCAL_MACHINE, kHklm, std::string(kClassPath) + kModemClassGuid, Depth::WithSubkeys);
        for (const CapturedDevice& device : m_facts.devices)
            if (!device.modemClass && !device.driver.empty())
                add(m_class, HKEY_LOCAL_MACHINE, kHklm, kClassPath + device.driver, Depth::WithSubkeys);
        for (const CapturedDevice& device : m_facts.devices) {
            if (device.driver.empty())
                continue;
            std::string responses = stringValue(HKEY_LOCAL_MACHINE, kClassPath + device.driver, "ResponsesKeyName");
            if (!responses.empty())
                m_responseKeys.push_back(kDeviceSpecificPath + responses);
        }
    }

    void captureDriver(const CapturedDevice& device)
    {
        std::string driverKey = kClassPath + device.driver;
        m_facts.modemPort = stringValue(HKEY_LOCAL_MACHINE, driverKey, "AttachedTo");
        if (!m_facts.modemPort.empty())
            AddComPort(m_facts.system, m_facts.modemPort);
        std::string infName = stringValue(HKEY_LOCAL_MACHINE, driverKey, "InfPath");
        if (infName.empty()) {
            m_out.notes.push_back("the driver key of " + device.instanceId + " has no InfPath: no INF captured");
            return;
        }
        const std::string& windows = m_facts.system.windowsDirectory;
        std::string infPath = windows + "\\INF\\" + infName;
        std::string bytes;
        if (!readWholeFile(infPath, bytes)) {
            m_out.notes.push_back(infPath + " cannot be read: no INF captured");
            return;
        }
        m_out.files.emplace_back(ProfilePathOf(infPath), bytes);

        DriverInfContents contents =
            ReadDriverInf(infPath, stringValue(HKEY_LOCAL_MACHINE, driverKey, "InfSection"),
                          stringValue(HKEY_LOCAL_MACHINE, driverKey, "InfSectionExt"), windows, m_out.notes);
        for (const std::string& file : contents.files) {
            std::string where = ProfilePathOf(file);
            if (where.empty())
                continue;
            if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
                m_out.notes.push_back(file + " is not on this PC: no placeholder, as on the PC");
                continue;
            }
            bool known = false;
            for (const auto& [path, data] : m_out.files)
                known = known || EqualNoCase(path, where);
            if (!known) {
                m_out.files.emplace_back(where, "");
                ++m_out.placeholders;
            }
        }
        m_infKeys = contents.registryKeys;
    }

    void exportTelephony()
    {
        add(m_telephony, HKEY_LOCAL_MACHINE, kHklm, kTelephonyPath, Depth::KeyOnly);
        add(m_telephony, HKEY_LOCAL_MACHINE, kHklm, std::string(kTelephonyPath) + "\\Locations", Depth::WithSubkeys);
        add(m_telephony, HKEY_LOCAL_MACHINE, kHklm, std::string(kTelephonyPath) + "\\Country List",
            Depth::WithSubkeys);
    }

    // The App Paths entry, the modems' Unimodem response keys and the keys
    // outside the driver key that the driver INF writes.
    void exportSoftware()
    {
        add(m_software, HKEY_LOCAL_MACHINE, kHklm, kAppPathsPath, Depth::KeyOnly);
        m_facts.programFolder = stringValue(HKEY_LOCAL_MACHINE, kAppPathsPath, "Path");
        for (const std::string& path : m_responseKeys)
            add(m_software, HKEY_LOCAL_MACHINE, kHklm, path, Depth::WithSubkeys);
        for (const RegKeyName& key : m_infKeys)
            add(m_software, rootKey(key.root), key.root, key.path, Depth::KeyOnly);
    }

    void finish()
    {
        const std::pair<const char*, RegExport*> files[] = {{"registry/10-enum.reg", &m_enum},
                                                            {"registry/20-class.reg", &m_class},
                                                            {"registry/30-telephony.reg", &m_telephony},
                                                            {"registry/40-software.reg", &m_software}};
        for (const auto& [name, file] : files) {
            m_out.files.emplace_back(name, file->FileBytes());
            m_out.registryKeys += file->KeyCount();
        }
        m_out.files.emplace_back("machine.json", MachineJsonText(m_facts));
        std::string notes;
        for (const std::string& note : m_out.notes)
            notes += note + "\r\n";
        m_out.files.emplace_back(kNotesFile, notes);
    }

    std::vector<std::string> m_fragments;
    CapturedProfile m_out;
    MachineFacts m_facts;
    RegExport m_enum, m_class, m_telephony, m_software;
    std::vector<std::string> m_responseKeys;
    std::vector<RegKeyName> m_infKeys;
};

} // namespace

CapturedProfile CaptureMachine(const std::vector<std::string>& servedFragments)
{
    return Capturer(servedFragments).Run();
}

} // namespace capture
