#include "DiagnosisSummary.h"

#include "ModemDevice.h"
#include "Trace.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace capture_testing {

namespace {

// Whether a "Device ID = " line names a device Ravlin went on to examine:
// one whose ID holds a fragment of the "PnP = " lines before it.
bool examined(const std::string& id, const std::vector<std::string>& fragments)
{
    for (const std::string& fragment : fragments)
        if (id.find(fragment) != std::string::npos)
            return true;
    return false;
}

std::string traceBodies()
{
    std::vector<std::string> fragments;
    std::ifstream in("Ravlin_Trace.trc", std::ios::binary);
    std::ostringstream out;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t body = line.find(": ");
        std::string text = body == std::string::npos ? line : line.substr(body + 2);
        if (text.rfind("PnP = ", 0) == 0)
            fragments.push_back(text.substr(6));
        if (text.rfind("Device ID = ", 0) == 0 && !examined(text.substr(12), fragments))
            continue;
        // Handle values differ from run to run; only a failed open matters.
        for (const char* handleLine : {"SetupDiOpenDevRegKey = ", "Software Key = "})
            if (text.rfind(handleLine, 0) == 0 && text != std::string(handleLine) + "-1")
                text = std::string(handleLine) + "(handle)";
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
    out << "trace:\n" << traceBodies();
    return out.str();
}

} // namespace capture_testing
