#include "framework/bridge/Token.h"

#include <cerrno>
#include <sys/random.h>

namespace afx::bridge {

bool FillRandom(unsigned char* bytes, size_t size)
{
    size_t filled = 0;
    while (filled < size) {
        ssize_t got = getrandom(bytes + filled, size - filled, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        filled += static_cast<size_t>(got);
    }
    return true;
}

} // namespace afx::bridge
