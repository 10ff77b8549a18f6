#include "DiagnosisSummary.h"

#include "ModemDevice.h"
#include "Trace.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace capture_testing {

namespace {

std::string traceBodies(const std::string& servedId)
{
    std::ifstream in("Ravlin_Trace.trc", std::ios::binary);
    std::ostringstream out;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t body = line.find(": ");
        std::string text = body == std::string::npos ? line : line.substr(body + 2);
        if (text.rfind("Device ID = ", 0) == 0 && text != "Device ID = " + servedId)
            continue;
        out << "  " << text << "\n";
    }
    return out.str();
}

} // namespace

std::string DiagnosisSummary()
{
    std::remove("Ravlin_Trace.trc");
    TraceSetName("Ravlin_Trace");
    TraceSetLevel(20);
    CModemDevice modem;
    std::ostringstream out;
    int found = modem.SearchModem();
    out << "found " << found << ", hardware found " << modem.m_bHardwareFound << "\n";
    out << "name \"" << modem.GetFriendlyName() << "\", port \"" << modem.GetAttachedTo() << "\", version \""
        << modem.GetDriverVersion() << "\", country \"" << modem.GetCountryName() << "\", device \""
        << modem.GetDeviceId() << "\"\n";
    // The start stage's order: each check only after the one before passed.
    int status = modem.CheckDeviceStatus();
    out << "device status " << status << "\n";
    if (status) {
        int files = modem.VerifyModemFiles();
        out << "driver files " << files << ", region file " << (modem.m_szRegionFile[0] ? "yes" : "no") << "\n";
        if (files)
            out << "registry " << modem.VerifyModemRegistry() << "\n";
    }
    out << "trace:\n" << traceBodies(modem.m_szDeviceId);
    return out.str();
}

} // namespace capture_testing
