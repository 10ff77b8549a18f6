#include "registry/regdump/DumpWriter.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

namespace regdump {
namespace {

std::string hexBytes(std::string_view data)
{
    std::string out = "hex[" + std::to_string(data.size()) + "]:";
    char buffer[4];
    for (unsigned char c : data) {
        std::snprintf(buffer, sizeof(buffer), " %02x", c);
        out += buffer;
    }
    return out;
}

uint64_t littleEndian(std::string_view data)
{
    uint64_t value = 0;
    for (size_t i = data.size(); i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(data[i]);
    return value;
}

// REG_SZ and REG_EXPAND_SZ: the text without its one terminator; text
// stored without a terminator is marked so.
std::string formatString(std::string_view data)
{
    if (!data.empty() && data.back() == '\0')
        return Quote(data.substr(0, data.size() - 1));
    return Quote(data) + " (no terminator)";
}

// REG_MULTI_SZ: a list of strings when the data is well formed (strings
// each ending in NUL, then one more NUL), else its bytes.
std::string formatMultiString(std::string_view data)
{
    if (data == std::string_view("\0", 1))
        return "[]";
    if (data.size() < 2 || data.substr(data.size() - 2) != std::string_view("\0\0", 2))
        return hexBytes(data);
    std::string_view rest = data.substr(0, data.size() - 1);
    std::string out = "[";
    while (!rest.empty()) {
        size_t end = rest.find('\0');
        if (end == 0)
            return hexBytes(data); // an empty string would end the list early
        if (out.size() > 1)
            out += ", ";
        out += Quote(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    return out + "]";
}

std::string formatNumber(std::string_view data, size_t size, bool bigEndian)
{
    if (data.size() != size)
        return hexBytes(data);
    std::string ordered(data);
    if (bigEndian)
        ordered.assign(data.rbegin(), data.rend());
    uint64_t value = littleEndian(ordered);
    char buffer[64];
    if (size == 4)
        std::snprintf(buffer, sizeof(buffer), "0x%08" PRIx64 " (%" PRIu64 ")", value, value);
    else
        std::snprintf(buffer, sizeof(buffer), "0x%016" PRIx64 " (%" PRIu64 ")", value, value);
    return buffer;
}

// \xNN with two upper-case hex digits, for bytes outside printable ASCII.
std::string hexEscape(unsigned char c)
{
    char buffer[8];
    std::snprintf(buffer, sizeof(buffer), "\\x%02X", c);
    return buffer;
}

// Key names hold no '\'; bytes outside printable ASCII are escaped as in
// quoted text.
std::string escapeKeyName(std::string_view ansi)
{
    std::string out;
    for (unsigned char c : ansi)
        out += (c < 0x20 || c >= 0x7F) ? hexEscape(c) : std::string(1, static_cast<char>(c));
    return out;
}

} // namespace

std::string TypeName(DWORD type)
{
    static const char* const names[] = {"REG_NONE",
                                        "REG_SZ",
                                        "REG_EXPAND_SZ",
                                        "REG_BINARY",
                                        "REG_DWORD",
                                        "REG_DWORD_BIG_ENDIAN",
                                        "REG_LINK",
                                        "REG_MULTI_SZ",
                                        "REG_RESOURCE_LIST",
                                        "REG_FULL_RESOURCE_DESCRIPTOR",
                                        "REG_RESOURCE_REQUIREMENTS_LIST",
                                        "REG_QWORD"};
    if (type < sizeof(names) / sizeof(names[0]))
        return names[type];
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "REG_TYPE(0x%x)", type);
    return buffer;
}

std::string Quote(std::string_view ansi)
{
    std::string out = "\"";
    for (unsigned char c : ansi) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20 || c >= 0x7F) {
            out += hexEscape(c);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out + "\"";
}

std::string FormatValue(std::string_view ansiName, DWORD type, std::string_view data)
{
    std::string line = ansiName.empty() ? "@" : Quote(ansiName);
    line += " = " + TypeName(type) + " ";
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return line + formatString(data);
    case REG_MULTI_SZ:
        return line + formatMultiString(data);
    case REG_DWORD:
        return line + formatNumber(data, 4, false);
    case REG_DWORD_BIG_ENDIAN:
        return line + formatNumber(data, 4, true);
    case REG_QWORD:
        return line + formatNumber(data, 8, false);
    default:
        return line + hexBytes(data);
    }
}

LSTATUS DumpTree(HKEY key, const std::string& path, std::ostream& out)
{
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxValueName = 0, maxData = 0;
    LSTATUS status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                                      &maxValueName, &maxData, nullptr, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    out << "[" << escapeKeyName(path) << "]\n";

    std::vector<char> name(std::max(maxValueName, maxSubkey) + 1);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        status = RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
        if (status != ERROR_SUCCESS)
            return status;
        out << "  "
            << FormatValue(std::string_view(name.data(), nameSize), type,
                           std::string_view(reinterpret_cast<const char*>(data.data()), dataSize))
            << "\n";
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        status = RegEnumKeyExA(key, i, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return status;
        std::string subkeyName(name.data(), nameSize);
        HKEY subkey = nullptr;
        status = RegOpenKeyExA(key, subkeyName.c_str(), 0, KEY_READ, &subkey);
        if (status != ERROR_SUCCESS)
            return status;
        out << "\n";
        status = DumpTree(subkey, path + "\\" + subkeyName, out);
        RegCloseKey(subkey);
        if (status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

} // namespace regdump
