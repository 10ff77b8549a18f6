#include "devinst/RegKey.h"

namespace plat::devinst {

const char kEnumPath[] = "SYSTEM\\CurrentControlSet\\Enum";
const char kClassPath[] = "SYSTEM\\CurrentControlSet\\Control\\Class";

LONG RegKey::Open(HKEY parent, const std::string& subKey, REGSAM access)
{
    Close();
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(parent, subKey.c_str(), 0, access, &key);
    if (result == ERROR_SUCCESS)
        m_key = key;
    return result;
}

void RegKey::Close()
{
    if (m_key)
        RegCloseKey(m_key);
    m_key = nullptr;
}

std::optional<RegKey::Value> RegKey::Query(const char* name) const
{
    Value value;
    DWORD size = 0;
    if (RegQueryValueExA(m_key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    for (;;) {
        DWORD got = static_cast<DWORD>(value.data.size());
        LONG result = RegQueryValueExA(m_key, name, nullptr, &value.type, value.data.data(), &got);
        if (result == ERROR_MORE_DATA) {
            value.data.resize(got);
            continue;
        }
        if (result != ERROR_SUCCESS)
            return std::nullopt;
        value.data.resize(got);
        return value;
    }
}

std::optional<std::string> RegKey::QueryString(const char* name) const
{
    std::optional<Value> value = Query(name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ))
        return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    size_t end = text.find('\0');
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

std::vector<std::string> RegKey::SubKeys() const
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof(name);
        LONG result = RegEnumKeyExA(m_key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS)
            names.emplace_back(name, length);
        else if (result != ERROR_MORE_DATA)
            break; // ERROR_NO_MORE_ITEMS, or a key that went away

    }
    return names;
}

} // namespace plat::devinst
