// libFuzzer target: any bytes given to the .reg file loader either load or
// are refused with a line number; nothing else may happen.
#include "registry/RegistryLoader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

size_t countValues(const plat::registry::KeyNode& node)
{
    size_t count = node.Values().size();
    for (const auto& [folded, child] : node.Subkeys())
        count += countValues(*child);
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    plat::registry::Registry registry("S-1-5-21-1000-1000-1000-1001");
    plat::registry::RegFileError error;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (plat::registry::ApplyRegFile(bytes, registry, &error)) {
        volatile size_t values = countValues(registry.LocalMachine()) + countValues(registry.Users());
        (void)values;
    } else if (error.line < 1 || error.message.empty()) {
        std::abort(); // every refusal names its line and says why
    }
    return 0;
}
