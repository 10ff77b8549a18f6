// An INF opened with SetupOpenInfFileA that closes itself, and the field
// readers the device installer needs.
#pragma once

#include <setupapi.h>

#include <optional>
#include <string>

namespace plat::devinst {

class InfHandle {
public:
    InfHandle() = default;
    ~InfHandle()
    {
        if (m_inf != INVALID_HANDLE_VALUE)
            SetupCloseInfFile(m_inf);
    }
    InfHandle(const InfHandle&) = delete;
    InfHandle& operator=(const InfHandle&) = delete;

    // SetupOpenInfFileA with no class; false when it does not open.
    bool Open(const std::string& path, DWORD style)
    {
        UINT errorLine = 0;
        m_inf = SetupOpenInfFileA(path.c_str(), nullptr, style, &errorLine);
        return m_inf != INVALID_HANDLE_VALUE;
    }
    HINF Get() const { return m_inf; }

private:
    HINF m_inf = INVALID_HANDLE_VALUE;
};

// Field `index` of a line (0 = its key), strings substituted; nullopt when
// the line has no such field.
std::optional<std::string> InfField(INFCONTEXT* context, DWORD index);

// The first field of the line `key` of a section.
std::optional<std::string> InfValue(HINF inf, const char* section, const char* key, DWORD index = 1);

} // namespace plat::devinst
