#include "devinst/DriverSearch.h"

#include "core/AsciiText.h"
#include "devinst/InfHandle.h"
#include "devinst/Text.h"

#include <windows.h>

#include <cstdlib>

namespace plat::devinst {
namespace {

struct InfFacts {
    std::string provider;
    FILETIME driverDate{};
    ULONGLONG driverVersion = 0;
    FILETIME infDate{};
    std::vector<std::string> excluded; // upper-cased IDs, or "*"
};

// Days from 1601-01-01 to the given civil date (proleptic Gregorian).
int64_t daysSince1601(int year, unsigned month, unsigned day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    unsigned yoe = static_cast<unsigned>(year - era * 400);
    unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    int64_t daysSince1970 = era * 146097 + static_cast<int64_t>(doe) - 719468;
    return daysSince1970 + 134774; // 1601-01-01 .. 1970-01-01
}

bool isExcluded(const InfFacts& facts, const std::vector<std::string>& ids)
{
    for (const std::string& excluded : facts.excluded) {
        if (excluded == "*")
            return true;
        for (const std::string& id : ids) {
            if (plat::text::UpperAscii(id) == excluded)
                return true;
        }
    }
    return false;
}

void readExcludeList(HINF inf, const TargetOs& os, InfFacts* facts)
{
    for (const std::string& key : {std::string("ExcludeFromSelect"), "ExcludeFromSelect." + PlatformExtension(os)}) {
        INFCONTEXT line;
        bool found = SetupFindFirstLineA(inf, "ControlFlags", key.c_str(), &line);
        while (found) {
            DWORD count = SetupGetFieldCount(&line);
            for (DWORD i = 1; i <= count; ++i) {
                if (std::optional<std::string> id = InfField(&line, i))
                    facts->excluded.push_back(plat::text::UpperAscii(Trim(*id)));
            }
            found = SetupFindNextMatchLineA(&line, key.c_str(), &line);
        }
    }
}

FILETIME fileDate(const std::string& path)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return FILETIME{};
    FindClose(find);
    return data.ftLastWriteTime;
}

void addModels(HINF inf, const std::string& mfgName, const std::string& modelsSection, const InfFacts& facts,
               const std::string& infPath, const DriverSearch& search, std::vector<DriverNode>* out)
{
    INFCONTEXT line;
    bool found = SetupFindFirstLineA(inf, modelsSection.c_str(), nullptr, &line);
    for (; found; found = SetupFindNextLine(&line, &line)) {
        std::optional<std::string> description = InfField(&line, 0);
        std::optional<std::string> section = InfField(&line, 1);
        if (!description || !section || section->empty())
            continue;
        DriverNode node;
        DWORD count = SetupGetFieldCount(&line);
        for (DWORD i = 2; i <= count; ++i) {
            std::optional<std::string> id = InfField(&line, i);
            if (id && !Trim(*id).empty())
                node.hardwareIds.push_back(Trim(*id));
        }
        if (!search.allowExcluded && isExcluded(facts, node.hardwareIds))
            continue;
        node.description = *description;
        node.mfgName = mfgName;
        node.providerName = facts.provider;
        node.sectionName = *section;
        node.infFileName = infPath;
        node.driverDate = facts.driverDate;
        node.driverVersion = facts.driverVersion;
        node.infDate = facts.infDate;
        out->push_back(std::move(node));
    }
}

} // namespace

std::string ResolveInfPath(const std::string& driverPath)
{
    if (driverPath.find_first_of("\\/:") != std::string::npos)
        return driverPath;
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, sizeof(windows));
    std::string folder = length > 0 && length < sizeof(windows) ? std::string(windows) : std::string("C:\\Windows");
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder + "INF\\" + driverPath;
}

bool ParseDriverDate(const std::string& text, FILETIME* out)
{
    std::vector<std::string> parts = SplitList(Trim(text), '/');
    if (parts.size() != 3)
        return false;
    int numbers[3];
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        numbers[i] = static_cast<int>(std::strtol(parts[i].c_str(), &end, 10));
        if (parts[i].empty() || *end != '\0')
            return false;
    }
    int month = numbers[0], day = numbers[1], year = numbers[2];
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1601)
        return false;
    uint64_t ticks = static_cast<uint64_t>(daysSince1601(year, static_cast<unsigned>(month),
                                                         static_cast<unsigned>(day))) *
                     864000000000ull;
    out->dwLowDateTime = static_cast<DWORD>(ticks);
    out->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return true;
}

bool ParseDriverVersion(const std::string& text, ULONGLONG* out)
{
    std::vector<std::string> parts = SplitList(Trim(text), '.');
    if (parts.empty() || parts.size() > 4)
        return false;
    ULONGLONG version = 0;
    for (size_t i = 0; i < 4; ++i) {
        unsigned long part = 0;
        if (i < parts.size()) {
            char* end = nullptr;
            part = std::strtoul(parts[i].c_str(), &end, 10);
            if (parts[i].empty() || *end != '\0' || part > 0xFFFF)
                return false;
        }
        version = (version << 16) | part;
    }
    *out = version;
    return true;
}

void AddClassDriversOfInf(const std::string& infPath, const DriverSearch& search, std::vector<DriverNode>* out)
{
    InfHandle inf;
    if (!inf.Open(infPath, INF_STYLE_WIN4))
        return;
    if (!SameGuid(search.deviceClass, kNullGuid)) {
        std::optional<std::string> classGuid = InfValue(inf.Get(), "Version", "ClassGUID");
        std::optional<GUID> parsed = classGuid ? ParseGuid(Trim(*classGuid)) : std::nullopt;
        if (!parsed || !SameGuid(*parsed, search.deviceClass))
            return;
    }
    InfFacts facts;
    facts.provider = InfValue(inf.Get(), "Version", "Provider").value_or("");
    if (std::optional<std::string> date = InfValue(inf.Get(), "Version", "DriverVer", 1))
        ParseDriverDate(*date, &facts.driverDate);
    if (std::optional<std::string> version = InfValue(inf.Get(), "Version", "DriverVer", 2))
        ParseDriverVersion(*version, &facts.driverVersion);
    facts.infDate = fileDate(infPath);
    readExcludeList(inf.Get(), search.os, &facts);

    INFCONTEXT line;
    bool found = SetupFindFirstLineA(inf.Get(), "Manufacturer", nullptr, &line);
    for (; found; found = SetupFindNextLine(&line, &line)) {
        std::optional<std::string> mfgName = InfField(&line, 0);
        std::optional<std::string> models = InfField(&line, 1);
        if (!mfgName || !models || Trim(*models).empty())
            continue;
        std::vector<std::string> decorations;
        DWORD count = SetupGetFieldCount(&line);
        for (DWORD i = 2; i <= count; ++i) {
            if (std::optional<std::string> decoration = InfField(&line, i))
                decorations.push_back(*decoration);
        }
        std::optional<std::string> decoration = PickModelsDecoration(decorations, search.os);
        if (!decoration)
            continue;
        std::string section = Trim(*models);
        if (!decoration->empty())
            section += "." + *decoration;
        addModels(inf.Get(), *mfgName, section, facts, infPath, search, out);
    }
}

} // namespace plat::devinst
