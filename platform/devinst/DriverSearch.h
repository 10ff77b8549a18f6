// Class drivers of an INF: one driver node per model line of the models
// sections that the [Manufacturer] section names, with the decoration that
// the machine's OS picks.
#pragma once

#include "devinst/Decorations.h"
#include "devinst/DriverNode.h"

#include <string>
#include <vector>

namespace plat::devinst {

struct DriverSearch {
    GUID deviceClass{};         // only INFs of this class; null for any
    TargetOs os;
    bool allowExcluded = false; // DI_FLAGSEX_ALLOWEXCLUDEDDRVS
};

// The full Windows path of an INF named in DriverPath: a bare file name
// lies in the INF folder of the Windows directory.
std::string ResolveInfPath(const std::string& driverPath);

// Appends the class drivers of one INF. An INF that does not open, is not
// a Windows NT INF or is of another class adds nothing.
void AddClassDriversOfInf(const std::string& infPath, const DriverSearch& search, std::vector<DriverNode>* out);

// "mm/dd/yyyy" and "a.b.c.d" of a DriverVer line.
bool ParseDriverDate(const std::string& text, FILETIME* out);
bool ParseDriverVersion(const std::string& text, ULONGLONG* out);

} // namespace plat::devinst
