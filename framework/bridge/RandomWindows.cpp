#include "framework/bridge/Token.h"

#include <windows.h>

#include <bcrypt.h>

namespace afx::bridge {

bool FillRandom(unsigned char* bytes, size_t size)
{
    return BCryptGenRandom(NULL, bytes, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

} // namespace afx::bridge
