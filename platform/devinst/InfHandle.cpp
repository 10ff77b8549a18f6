#include "devinst/InfHandle.h"

#include <vector>

namespace plat::devinst {

std::optional<std::string> InfField(INFCONTEXT* context, DWORD index)
{
    char buffer[LINE_LEN];
    DWORD needed = 0;
    if (SetupGetStringFieldA(context, index, buffer, sizeof(buffer), &needed))
        return std::string(buffer);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return std::nullopt;
    std::vector<char> large(needed);
    if (!SetupGetStringFieldA(context, index, large.data(), needed, nullptr))
        return std::nullopt;
    return std::string(large.data());
}

std::optional<std::string> InfValue(HINF inf, const char* section, const char* key, DWORD index)
{
    INFCONTEXT context;
    if (!SetupFindFirstLineA(inf, section, key, &context))
        return std::nullopt;
    return InfField(&context, index);
}

} // namespace plat::devinst
