#include "inf/FieldValues.h"

namespace plat::inf {
namespace {

int digitValue(char c, int base)
{
    int value = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
    return value < base ? value : -1;
}

// The unsigned value of `digits` in `base`, or nullopt when it has no
// digit, a foreign character or more than 32 bits.
std::optional<uint32_t> parseDigits(std::string_view digits, int base)
{
    if (digits.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

} // namespace

std::optional<INT> ParseIntField(std::string_view text)
{
    if (text.empty())
        return 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    std::optional<uint32_t> magnitude;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        magnitude = parseDigits(text.substr(2), 16);
    else
        magnitude = parseDigits(text, 10);
    if (!magnitude)
        return std::nullopt;
    uint32_t value = negative ? 0u - *magnitude : *magnitude;
    return static_cast<INT>(value);
}

std::optional<BYTE> ParseHexByteField(std::string_view text)
{
    if (text.empty())
        return 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    auto value = parseDigits(text, 16);
    if (!value || *value > 0xFF)
        return std::nullopt;
    return static_cast<BYTE>(*value);
}

} // namespace plat::inf
