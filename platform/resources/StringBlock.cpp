#include "resources/StringBlock.h"

#include <cstring>

namespace plat::resources {

std::optional<std::u16string> StringInBlock(const BYTE* data, DWORD size, unsigned index)
{
    size_t at = 0;
    for (unsigned i = 0; i <= index && i < 16; ++i) {
        WORD length = 0;
        if (at + 2 > size)
            return std::nullopt;
        std::memcpy(&length, data + at, 2);
        at += 2;
        if (at + size_t{length} * 2 > size)
            return std::nullopt;
        if (i == index) {
            std::u16string text(length, u'\0');
            std::memcpy(text.data(), data + at, size_t{length} * 2);
            return text;
        }
        at += size_t{length} * 2;
    }
    return std::nullopt;
}

} // namespace plat::resources
