// CModemDevice as the script says: discovery and the installation checks
// answer what the test set.
#include "ModemDevice.h"

#include "FakeMachine.h"

#include <string.h>

namespace {

void Copy(char* target, size_t size, const std::string& text)
{
    strncpy(target, text.c_str(), size - 1);
    target[size - 1] = '\0';
}

int Check(const char* name, int result)
{
    if (fake::Modem().onCheck)
        fake::Modem().onCheck(name);
    return result;
}

} // namespace

CModemDevice::CModemDevice()
{
    m_bFound = 0;
    m_bHardwareFound = 0;
    m_bCountryFound = 0;
    m_szAttachedTo[0] = m_szFriendlyName[0] = m_szDriverVersion[0] = m_szCountryName[0] = m_szDeviceId[0] = '\0';
}

CModemDevice::~CModemDevice() = default;

int CModemDevice::SearchModem()
{
    fake::ModemScript& script = fake::Modem();
    ++script.searches;
    m_bFound = script.found;
    m_bHardwareFound = script.hardwareFound || script.found;
    m_bCountryFound = script.found && script.countryFound;
    Copy(m_szFriendlyName, sizeof(m_szFriendlyName), script.friendlyName);
    Copy(m_szDriverVersion, sizeof(m_szDriverVersion), script.driverVersion);
    Copy(m_szDeviceId, sizeof(m_szDeviceId), script.deviceId);
    Copy(m_szCountryName, sizeof(m_szCountryName), "Fakeland");
    Copy(m_szAttachedTo, sizeof(m_szAttachedTo), "COM3");
    return m_bFound;
}

const char* CModemDevice::GetAttachedTo() const { return m_bFound ? m_szAttachedTo : ""; }
const char* CModemDevice::GetFriendlyName() const { return m_bFound ? m_szFriendlyName : ""; }
const char* CModemDevice::GetDriverVersion() const { return m_bFound ? m_szDriverVersion : ""; }
const char* CModemDevice::GetCountryName() const { return m_bCountryFound ? m_szCountryName : ""; }
const char* CModemDevice::GetDeviceId() const { return m_bCountryFound ? m_szDeviceId : ""; }

int CModemDevice::CheckDeviceStatus() { return Check("CheckDeviceStatus", fake::Modem().deviceStatus); }
int CModemDevice::VerifyModemFiles() { return Check("VerifyModemFiles", fake::Modem().files); }
int CModemDevice::VerifyModemRegistry() { return Check("VerifyModemRegistry", fake::Modem().registry); }
