// Which decorated models section SetupAPI picks on which system.
#include "devinst/Decorations.h"

#include <gtest/gtest.h>

using plat::devinst::PickModelsDecoration;
using plat::devinst::TargetOs;

TEST(Decorations, ModelsSectionChoiceFollowsArchitectureAndVersion)
{
    const TargetOs win10x64{10, 0, 19045, 64};
    const TargetOs win10x86{10, 0, 19045, 32};
    const TargetOs xp{5, 1, 2600, 32};
    struct Case {
        std::vector<std::string> decorations;
        TargetOs os;
        const char* expected; // nullptr: no section
    } cases[] = {
        {{"NTamd64", "NTx86"}, win10x64, "NTamd64"},
        {{"NTamd64", "NTx86"}, win10x86, "NTx86"},
        {{"ntAMD64"}, win10x64, "ntAMD64"}, // kept as written; section names ignore case
        {{"NT"}, win10x86, "NT"},
        {{"NT"}, win10x64, nullptr},       // 64-bit Windows wants the architecture named
        {{}, win10x64, nullptr},
        {{}, win10x86, ""},                // the undecorated section
        {{"NTx86"}, win10x64, nullptr},
        {{"NTamd64.6.0", "NTamd64.10.0", "NTamd64.6.1"}, win10x64, "NTamd64.10.0"},
        {{"NTamd64.10.0...22000", "NTamd64.10.0"}, win10x64, "NTamd64.10.0"}, // build too new
        {{"NTamd64.10.0...17763", "NTamd64.10.0"}, win10x64, "NTamd64.10.0...17763"},
        {{"NTamd64.10.0.3", "NTamd64.6.3"}, win10x64, "NTamd64.6.3"}, // product type 3 is a server
        {{"NTx86.6.0", "NT.5.1"}, xp, "NT.5.1"},
        {{"NT.5.1", "NTx86.5.1"}, xp, "NTx86.5.1"}, // same version: the named architecture wins
        {{"NTx86.6.0"}, xp, ""},
        {{"NTamd64.x"}, win10x64, nullptr}, // not a decoration
    };
    for (const Case& c : cases) {
        std::optional<std::string> picked = PickModelsDecoration(c.decorations, c.os);
        std::string label = ::testing::PrintToString(c.decorations) + " bits " + std::to_string(c.os.bits);
        if (!c.expected)
            EXPECT_FALSE(picked) << label << " -> " << picked.value_or("");
        else
            EXPECT_EQ(picked.value_or("<none>"), c.expected) << label;
    }
}
