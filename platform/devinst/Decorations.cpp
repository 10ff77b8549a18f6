#include "devinst/Decorations.h"

#include "core/AsciiText.h"
#include "devinst/Text.h"

#include <cstdlib>
#include <tuple>

namespace plat::devinst {
namespace {

struct Decoration {
    std::string arch; // upper-cased; empty when not given
    DWORD major = 0, minor = 0, productType = 0, build = 0;
};

bool parseNumber(const std::string& text, DWORD* out)
{
    if (text.empty())
        return true; // an empty part counts as not given
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0')
        return false;
    *out = static_cast<DWORD>(value);
    return true;
}

std::optional<Decoration> parseDecoration(const std::string& written)
{
    std::vector<std::string> parts = SplitList(plat::text::UpperAscii(Trim(written)), '.');
    if (parts.empty() || parts[0].compare(0, 2, "NT") != 0)
        return std::nullopt;
    Decoration d;
    d.arch = parts[0].substr(2);
    DWORD suiteMask = 0;
    DWORD* numbers[] = {&d.major, &d.minor, &d.productType, &suiteMask, &d.build};
    if (parts.size() > 1 + std::size(numbers))
        return std::nullopt;
    for (size_t i = 1; i < parts.size(); ++i) {
        if (!parseNumber(parts[i], numbers[i - 1]))
            return std::nullopt;
    }
    return d;
}

bool applies(const Decoration& d, const TargetOs& os)
{
    std::string machineArch = os.bits == 64 ? "AMD64" : "X86";
    if (d.arch.empty() ? os.bits == 64 : d.arch != machineArch)
        return false;
    if (std::tie(d.major, d.minor) > std::tie(os.major, os.minor))
        return false;
    if (d.productType != 0 && d.productType != 1)
        return false;
    if (d.build != 0 && d.build > os.build)
        return false;
    return true;
}

} // namespace

std::optional<std::string> PickModelsDecoration(const std::vector<std::string>& decorations, const TargetOs& os)
{
    std::optional<std::string> best;
    std::tuple<DWORD, DWORD, DWORD, bool> bestRank{};
    for (const std::string& written : decorations) {
        std::optional<Decoration> d = parseDecoration(written);
        if (!d || !applies(*d, os))
            continue;
        std::tuple<DWORD, DWORD, DWORD, bool> rank{d->major, d->minor, d->build, !d->arch.empty()};
        if (!best || rank > bestRank) {
            best = Trim(written);
            bestRank = rank;
        }
    }
    if (best)
        return best;
    if (os.bits == 64)
        return std::nullopt;
    return std::string();
}

std::string PlatformExtension(const TargetOs& os)
{
    return os.bits == 64 ? "NTamd64" : "NTx86";
}

std::string ActualInstallSection(HINF inf, const std::string& section, const TargetOs& os)
{
    for (const std::string& candidate : {section + "." + PlatformExtension(os), section + ".NT"}) {
        if (SetupGetLineCountA(inf, candidate.c_str()) >= 0)
            return candidate;
    }
    return section;
}

} // namespace plat::devinst
