#include "RegExport.h"

#include "RegText.h"

#include <vector>

namespace capture {

namespace {

// Registry names are at most 16383 characters; values of the keys exported
// here are small, and larger ones are read again with the size returned.
constexpr DWORD kNameChars = 16384;

struct KeyCloser {
    HKEY key;
    ~KeyCloser() { RegCloseKey(key); }
};

// The value's bytes in the form they are written: string types other than a
// plain REG_SZ go to the file as UTF-16LE bytes.
std::string fileData(DWORD type, const std::string& data)
{
    switch (type) {
    case REG_SZ:
        return FitsQuotedString(data) ? data : AnsiToUtf16Bytes(data);
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
        return AnsiToUtf16Bytes(data);
    default:
        return data;
    }
}

} // namespace

bool RegExport::Add(HKEY root, const std::string& rootName, const std::string& path, Depth depth)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    KeyCloser closer{key};
    exportKey(key, path.empty() ? rootName : rootName + "\\" + path, depth);
    return true;
}

std::string RegExport::FileBytes() const
{
    return RegFileBytes(kRegFileHeader + m_text);
}

void RegExport::exportKey(HKEY key, const std::string& fullPath, Depth depth)
{
    m_text += RegKeyLine(fullPath);
    exportValues(key);
    m_text += "\r\n";
    ++m_keys;
    if (depth != Depth::WithSubkeys)
        return;
    std::vector<char> name(kNameChars);
    for (DWORD index = 0;; ++index) {
        DWORD length = kNameChars;
        LONG status = RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue;
        std::string subName(name.data(), length);
        HKEY sub = nullptr;
        if (RegOpenKeyExA(key, subName.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS)
            continue;
        KeyCloser closer{sub};
        exportKey(sub, fullPath + "\\" + subName, depth);
    }
}

void RegExport::exportValues(HKEY key)
{
    std::vector<char> name(kNameChars);
    std::vector<BYTE> data(4096);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = kNameChars;
        DWORD type = 0;
        DWORD size = (DWORD)data.size();
        LONG status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size);
            nameLength = kNameChars;
            status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        }
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue;
        std::string bytes((const char*)data.data(), size);
        m_text += RegValueLines(std::string(name.data(), nameLength), type, fileData(type, bytes));
    }
}

} // namespace capture
