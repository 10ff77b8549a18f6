#include "framework/DialogResources.h"

#include "resources/DialogTemplate.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace plat::ui {
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

} // namespace

std::string DialogCaption(HINSTANCE module, LPCSTR templateName)
{
    ResourceBytes bytes = findResource(module, templateName, RT_DIALOG);
    if (!bytes.data)
        return "";
    auto dialog = plat::resources::ParseDialogTemplate(bytes.data, bytes.size);
    return dialog ? dialog->caption : "";
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

} // namespace plat::ui
