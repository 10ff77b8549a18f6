// Fills the variable part of a TAPI structure (LINEDEVCAPS, VARSTRING ...):
// items go behind the fixed part in order, each one only if it still fits;
// dwNeededSize counts them all, so the caller can retry with a buffer of
// that size. An item that did not fit gets size and offset 0.
#pragma once

#include <win/types.h>

#include <cstring>

namespace plat::tapi {

class VariablePart {
public:
    VariablePart(void* structure, DWORD totalSize, DWORD fixedSize)
        : m_base(static_cast<BYTE*>(structure)), m_total(totalSize), m_used(fixedSize), m_needed(fixedSize)
    {
    }

    struct Placed {
        DWORD size = 0;
        DWORD offset = 0;
    };

    Placed Add(const void* data, DWORD size)
    {
        m_needed += size;
        if (size == 0 || m_total - m_used < size || m_total < m_used)
            return {};
        std::memcpy(m_base + m_used, data, size);
        Placed placed{size, m_used};
        m_used += size;
        return placed;
    }

    DWORD Used() const { return m_used; }
    DWORD Needed() const { return m_needed; }

private:
    BYTE* m_base;
    DWORD m_total;
    DWORD m_used;
    DWORD m_needed;
};

} // namespace plat::tapi
