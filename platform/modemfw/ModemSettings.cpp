#include "modemfw/ModemSettings.h"

#include "core/AsciiText.h"

#include <cctype>

namespace plat::modemfw {

std::string NormaliseCommand(const std::string& line)
{
    std::string out;
    for (char c : line) {
        if (c == ' ' || c == '\r' || c == '\n' || c == '\t')
            continue;
        out += plat::text::ToUpperAscii(c);
    }
    return out;
}

std::string NormaliseNumber(const std::string& dialString)
{
    std::string out;
    for (char c : dialString) {
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#')
            out += c;
    }
    return out;
}

} // namespace plat::modemfw
