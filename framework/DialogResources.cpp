#include "framework/DialogResources.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace afx {
namespace {

struct ResourceBytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

ResourceBytes findResource(HINSTANCE module, LPCSTR name, LPCSTR type)
{
    HRSRC info = FindResourceA(module, name, type);
    if (!info)
        return {};
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return {};
    return {static_cast<const BYTE*>(data), SizeofResource(module, info)};
}

uint16_t word16(const BYTE* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void putWord16(std::string& out, uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void putWord32(std::string& out, uint32_t value)
{
    putWord16(out, value & 0xFFFF);
    putWord16(out, value >> 16);
}

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD.
std::string utf8Of(const std::u16string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Reads a template's name field (none, an ordinal or a NUL-ended UTF-16
// string) at `at`; false when the template ends first.
bool readNameField(const ResourceBytes& bytes, DWORD& at, std::u16string* text)
{
    if (at + 2 > bytes.size)
        return false;
    uint16_t first = word16(bytes.data + at);
    if (first == 0x0000) {
        at += 2;
        return true;
    }
    if (first == 0xFFFF) {
        at += 4;
        return at <= bytes.size;
    }
    for (;;) {
        if (at + 2 > bytes.size)
            return false;
        uint16_t unit = word16(bytes.data + at);
        at += 2;
        if (unit == 0)
            return true;
        if (text)
            *text += static_cast<char16_t>(unit);
    }
}

} // namespace

std::string DialogCaption(HINSTANCE module, LPCSTR templateName)
{
    ResourceBytes bytes = findResource(module, templateName, RT_DIALOG);
    if (!bytes.data)
        return "";
    // DLGTEMPLATEEX (version 1, signature FFFF) has 26 bytes before its
    // menu field, DLGTEMPLATE 18; then come the menu, the class and the
    // caption.
    bool extended = bytes.size >= 4 && word16(bytes.data) == 1 && word16(bytes.data + 2) == 0xFFFF;
    DWORD at = extended ? 26 : 18;
    std::u16string caption;
    if (!readNameField(bytes, at, nullptr) || !readNameField(bytes, at, nullptr) ||
        !readNameField(bytes, at, &caption))
        return "";
    return utf8Of(caption);
}

std::string IconFile(HINSTANCE module, LPCSTR iconName)
{
    // An icon group (GRPICONDIR) is the header of an .ico file whose
    // entries name RT_ICON resources instead of file offsets.
    constexpr DWORD kHeader = 6, kGroupEntry = 14, kFileEntry = 16;
    ResourceBytes group = findResource(module, iconName, RT_GROUP_ICON);
    if (!group.data || group.size < kHeader)
        return "";
    DWORD count = word16(group.data + 4);
    if (count == 0 || group.size < kHeader + count * kGroupEntry)
        return "";
    std::vector<ResourceBytes> images;
    for (DWORD i = 0; i < count; ++i) {
        const BYTE* entry = group.data + kHeader + i * kGroupEntry;
        ResourceBytes image = findResource(module, MAKEINTRESOURCEA(word16(entry + 12)), RT_ICON);
        if (!image.data)
            return "";
        images.push_back(image);
    }
    std::string file;
    putWord16(file, 0);
    putWord16(file, 1); // icon
    putWord16(file, count);
    DWORD offset = kHeader + count * kFileEntry;
    for (DWORD i = 0; i < count; ++i) {
        const BYTE* entry = group.data + kHeader + i * kGroupEntry;
        file.append(reinterpret_cast<const char*>(entry), 8); // size, colours, planes, bits
        putWord32(file, images[i].size);
        putWord32(file, offset);
        offset += images[i].size;
    }
    for (const ResourceBytes& image : images)
        file.append(reinterpret_cast<const char*>(image.data), image.size);
    return file;
}

} // namespace afx
