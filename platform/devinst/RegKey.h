// An open registry key that closes itself, and typed reads through the
// registry API.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace plat::devinst {

class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : m_key(key) {}
    ~RegKey() { Close(); }
    RegKey(RegKey&& other) noexcept : m_key(other.Release()) {}
    RegKey& operator=(RegKey&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_key = other.Release();
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // RegOpenKeyExA; returns its result.
    LONG Open(HKEY parent, const std::string& subKey, REGSAM access = KEY_READ);
    HKEY Get() const { return m_key; }
    explicit operator bool() const { return m_key != nullptr; }
    HKEY Release()
    {
        HKEY key = m_key;
        m_key = nullptr;
        return key;
    }
    void Close();

    struct Value {
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    std::optional<Value> Query(const char* name) const;
    // A REG_SZ or REG_EXPAND_SZ value as text (without its terminator).
    std::optional<std::string> QueryString(const char* name) const;
    // Subkey names in the order the registry gives them.
    std::vector<std::string> SubKeys() const;

private:
    HKEY m_key = nullptr;
};

// Where devices and drivers live.
extern const char kEnumPath[];  // SYSTEM\CurrentControlSet\Enum
extern const char kClassPath[]; // SYSTEM\CurrentControlSet\Control\Class

} // namespace plat::devinst
