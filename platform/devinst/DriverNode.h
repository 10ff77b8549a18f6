// One entry of a driver list: a model line of an INF, with what SetupAPI
// reports about it.
#pragma once

#include <win/types.h>

#include <string>
#include <vector>

namespace plat::devinst {

struct DriverNode {
    std::string description;  // the model line's key, strings substituted
    std::string mfgName;      // the [Manufacturer] line's key, strings substituted
    std::string providerName; // [Version] Provider
    std::string sectionName;  // install section as written in the model line
    std::string infFileName;  // full Windows path of the INF
    std::vector<std::string> hardwareIds; // hardware ID, then the compatible IDs
    FILETIME driverDate{};
    ULONGLONG driverVersion = 0;
    FILETIME infDate{};
};

} // namespace plat::devinst
