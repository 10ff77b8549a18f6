#include "resources/ResFile.h"

#include <cstring>

namespace plat::resources {
namespace {

size_t align4(size_t n)
{
    return (n + 3) & ~size_t{3};
}

class Reader {
public:
    Reader(const BYTE* data, size_t end) : m_data(data), m_end(end) {}

    bool Word(size_t* at, WORD* out) const
    {
        if (*at + 2 > m_end)
            return false;
        std::memcpy(out, m_data + *at, 2);
        *at += 2;
        return true;
    }
    bool Dword(size_t* at, DWORD* out) const
    {
        if (*at + 4 > m_end)
            return false;
        std::memcpy(out, m_data + *at, 4);
        *at += 4;
        return true;
    }
    // A number (0xFFFF then the number) or a NUL-terminated UTF-16 string.
    bool Name(size_t* at, ResName* out) const
    {
        WORD first = 0;
        if (!Word(at, &first))
            return false;
        if (first == 0xFFFF)
            return Word(at, &out->id);
        out->name.clear();
        for (WORD c = first; c != 0;) {
            out->name += static_cast<char16_t>(c);
            if (!Word(at, &c))
                return false;
        }
        return true;
    }

private:
    const BYTE* m_data;
    size_t m_end;
};

} // namespace

bool ResName::Matches(const ResName& other) const
{
    if (IsId() || other.IsId())
        return IsId() && other.IsId() && id == other.id;
    if (name.size() != other.name.size())
        return false;
    auto fold = [](char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; };
    for (size_t i = 0; i < name.size(); ++i) {
        if (fold(name[i]) != fold(other.name[i]))
            return false;
    }
    return true;
}

std::string ResFileError::ToString() const
{
    return "offset " + std::to_string(offset) + ": " + message;
}

bool ParseResFile(const BYTE* data, size_t size, std::vector<ResEntry>* entries, ResFileError* error)
{
    entries->clear();
    size_t offset = 0;
    while (offset < size) {
        if (size - offset < 8) {
            // A compiler may pad the file's end; anything else is a cut record.
            for (size_t i = offset; i < size; ++i) {
                if (data[i] != 0) {
                    *error = ResFileError{offset, "truncated record header"};
                    return false;
                }
            }
            break;
        }
        Reader whole(data, size);
        size_t at = offset;
        DWORD dataSize = 0, headerSize = 0;
        whole.Dword(&at, &dataSize);
        whole.Dword(&at, &headerSize);
        if (headerSize < 24 || headerSize > size - offset) {
            *error = ResFileError{offset, "record header size " + std::to_string(headerSize) + " is impossible"};
            return false;
        }
        if (dataSize > size - offset - headerSize) {
            *error = ResFileError{offset, "resource data runs past the end of the file"};
            return false;
        }
        Reader header(data, offset + headerSize);
        ResEntry entry;
        DWORD dataVersion = 0, version = 0, characteristics = 0;
        WORD memoryFlags = 0, language = 0;
        bool ok = header.Name(&at, &entry.type) && header.Name(&at, &entry.name);
        at = offset + align4(at - offset);
        ok = ok && header.Dword(&at, &dataVersion) && header.Word(&at, &memoryFlags) &&
             header.Word(&at, &language) && header.Dword(&at, &version) && header.Dword(&at, &characteristics);
        if (!ok) {
            *error = ResFileError{offset, "record header is cut short (type, name or language missing)"};
            return false;
        }
        entry.language = language;
        entry.data = data + offset + headerSize;
        entry.size = dataSize;
        bool leadingEmpty = dataSize == 0 && entry.type.IsId() && entry.type.id == 0 && entry.name.IsId() &&
                            entry.name.id == 0;
        if (!leadingEmpty)
            entries->push_back(std::move(entry));
        offset = align4(offset + headerSize + dataSize);
    }
    return true;
}

} // namespace plat::resources
