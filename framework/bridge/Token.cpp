#include "framework/bridge/Token.h"

namespace afx::bridge {

std::string MakeToken()
{
    unsigned char bytes[32];
    if (!FillRandom(bytes, sizeof(bytes)))
        return "";
    static const char kHex[] = "0123456789abcdef";
    std::string token;
    for (unsigned char b : bytes) {
        token += kHex[b >> 4];
        token += kHex[b & 15];
    }
    return token;
}

bool TokenEquals(const std::string& a, const std::string& b)
{
    if (a.size() != b.size() || a.empty())
        return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace afx::bridge
