// The target-OS decorations of INF section names, and which of them SetupAPI
// uses on the emulated PC.
//
// Models sections: a [Manufacturer] line lists decorations of the form
//   NT[arch][.major[.minor[.productType[.suiteMask[.build]]]]]
// A decoration applies when its architecture is the machine's (amd64 on a
// 64-bit system, x86 on a 32-bit one; none given counts as x86 only on a
// 32-bit system, since 64-bit Windows wants the architecture named), its
// version is not higher than the system's and its product type, if given,
// is a workstation's (1). Of those that apply, the highest version wins, and
// between equal versions the one that names the architecture. When none
// applies, a 32-bit system uses the undecorated section; a 64-bit one uses
// none.
//
// Install sections: SetupAPI takes <section>.NTamd64 (or .NTx86), then
// <section>.NT, then <section>, the first that exists in the INF.
#pragma once

#include "core/Machine.h"

#include <setupapi.h>

#include <optional>
#include <string>
#include <vector>

namespace plat::devinst {

struct TargetOs {
    DWORD major = 10;
    DWORD minor = 0;
    DWORD build = 19045;
    int bits = 64;
    static TargetOs Of(const OsVersion& os) { return TargetOs{os.major, os.minor, os.build, os.bits}; }
};

// The decoration to use among those listed on a [Manufacturer] line: its
// text as written, "" for the undecorated section, nullopt for none.
std::optional<std::string> PickModelsDecoration(const std::vector<std::string>& decorations, const TargetOs& os);

// The platform extension of install sections: "NTamd64" or "NTx86".
std::string PlatformExtension(const TargetOs& os);

// The install section SetupAPI uses for `section` in an open INF.
std::string ActualInstallSection(HINF inf, const std::string& section, const TargetOs& os);

} // namespace plat::devinst
