#include "resources/Icons.h"

#include "core/LastError.h"
#include "resources/ModuleResources.h"
#include "resources/ResourceApi.h"

#include <win/errors.h>
#include <win/resources.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace plat::resources {
namespace {

constexpr int kIconSize = 32;    // SM_CXICON, SM_CYICON
constexpr int kDisplayBits = 32; // colour depth of the emulated display

uint32_t readU32(const BYTE* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

uint16_t readU16(const BYTE* p)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

uint32_t readBigEndian32(const BYTE* p)
{
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

struct Icon {
    HMODULE module;
    IconInfo info;
};

// Shared icons by module and resource name; HICON is the Icon's address.
struct IconCache {
    std::mutex mutex;
    std::map<std::pair<HMODULE, std::u16string>, std::unique_ptr<Icon>> icons;
    std::map<HICON, const Icon*> handles;
};

IconCache& cache()
{
    static IconCache* instance = new IconCache; // used by images unloaded at exit
    return *instance;
}

std::u16string keyOf(const ResName& name)
{
    return name.IsId() ? u"#" + std::u16string(1, static_cast<char16_t>(name.id)) : name.name;
}

void forgetModule(HMODULE module)
{
    IconCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    for (auto it = c.icons.begin(); it != c.icons.end();) {
        if (it->first.first == module) {
            c.handles.erase(reinterpret_cast<HICON>(it->second.get()));
            it = c.icons.erase(it);
        } else {
            ++it;
        }
    }
}

HICON share(HMODULE module, const ResName& name, const IconInfo& info)
{
    IconCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    auto& slot = c.icons[{module, keyOf(name)}];
    if (!slot) {
        slot = std::make_unique<Icon>(Icon{module, info});
        c.handles[reinterpret_cast<HICON>(slot.get())] = slot.get();
    }
    return reinterpret_cast<HICON>(slot.get());
}

// The standard icons: 32 x 32 true-colour images of the system.
HICON systemIcon(LPCSTR name)
{
    if (!IS_INTRESOURCE(name))
        return FailWith<HICON>(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
    auto id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    if (id < 32512 || id > 32518)
        return FailWith<HICON>(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
    ResName key;
    key.id = id;
    return share(nullptr, key, IconInfo{kIconSize, kIconSize, 32, true});
}

} // namespace

std::optional<std::vector<GroupIconEntry>> ParseGroupIcon(const BYTE* data, DWORD size)
{
    if (size < 6 || readU16(data) != 0 || readU16(data + 2) != 1)
        return std::nullopt;
    WORD count = readU16(data + 4);
    if (size < 6 + DWORD{count} * 14)
        return std::nullopt;
    std::vector<GroupIconEntry> entries;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* e = data + 6 + i * 14;
        GroupIconEntry entry;
        entry.width = e[0] ? e[0] : 256;
        entry.height = e[1] ? e[1] : 256;
        entry.colorCount = e[2];
        entry.bitCount = readU16(e + 6);
        entry.bytes = readU32(e + 8);
        entry.id = readU16(e + 12);
        entries.push_back(entry);
    }
    return entries;
}

size_t BestIconEntry(const std::vector<GroupIconEntry>& entries, int width, int height, int displayBits)
{
    size_t best = 0;
    for (size_t i = 1; i < entries.size(); ++i) {
        const GroupIconEntry& a = entries[i];
        const GroupIconEntry& b = entries[best];
        int distanceA = std::abs(a.width - width) + std::abs(a.height - height);
        int distanceB = std::abs(b.width - width) + std::abs(b.height - height);
        if (distanceA != distanceB) {
            if (distanceA < distanceB)
                best = i;
            continue;
        }
        bool fitsA = a.bitCount <= displayBits, fitsB = b.bitCount <= displayBits;
        if (fitsA != fitsB ? fitsA : (fitsA ? a.bitCount > b.bitCount : a.bitCount < b.bitCount))
            best = i;
    }
    return best;
}

std::optional<IconInfo> DescribeIconImage(const BYTE* data, DWORD size)
{
    static const BYTE png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 29 && std::memcmp(data, png, 8) == 0 && std::memcmp(data + 12, "IHDR", 4) == 0) {
        int depth = data[24], colourType = data[25];
        int channels = colourType == 6 ? 4 : colourType == 2 ? 3 : colourType == 4 ? 2 : 1;
        return IconInfo{static_cast<int>(readBigEndian32(data + 16)), static_cast<int>(readBigEndian32(data + 20)),
                        depth * channels, false};
    }
    if (size < 40 || readU32(data) < 40)
        return std::nullopt;
    int32_t width, height;
    std::memcpy(&width, data + 4, 4);
    std::memcpy(&height, data + 8, 4);
    int bitCount = readU16(data + 14);
    if (width <= 0 || height <= 0 || height % 2 != 0 || bitCount == 0)
        return std::nullopt;
    return IconInfo{width, height / 2, bitCount, false}; // the height counts the colour and the mask bitmap
}

std::optional<IconInfo> DescribeIcon(HICON icon)
{
    IconCache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    auto it = c.handles.find(icon);
    if (it == c.handles.end())
        return std::nullopt;
    return it->second->info;
}

} // namespace plat::resources

using namespace plat;
using namespace plat::resources;

extern "C" HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName)
{
    if (!lpIconName)
        return FailWith<HICON>(ERROR_INVALID_PARAMETER, nullptr);
    if (!hInstance)
        return systemIcon(lpIconName);
    static const bool hooked = (OnUnregister(forgetModule), true);
    (void)hooked;

    HRSRC group = FindResourceA(hInstance, lpIconName, RT_GROUP_ICON);
    if (!group)
        return nullptr; // FindResourceA has set the error
    auto groupEntry = reinterpret_cast<const ResEntry*>(group);
    std::optional<std::vector<GroupIconEntry>> entries = ParseGroupIcon(groupEntry->data, groupEntry->size);
    if (!entries || entries->empty())
        return FailWith<HICON>(ERROR_INVALID_DATA, nullptr);
    const GroupIconEntry& chosen = (*entries)[BestIconEntry(*entries, kIconSize, kIconSize, kDisplayBits)];
    HRSRC image = FindResourceExA(hInstance, RT_ICON, MAKEINTRESOURCEA(chosen.id), groupEntry->language);
    if (!image)
        image = FindResourceA(hInstance, MAKEINTRESOURCEA(chosen.id), RT_ICON);
    if (!image)
        return nullptr;
    auto imageEntry = reinterpret_cast<const ResEntry*>(image);
    std::optional<IconInfo> info = DescribeIconImage(imageEntry->data, imageEntry->size);
    if (!info)
        return FailWith<HICON>(ERROR_INVALID_DATA, nullptr);
    return share(hInstance, NameOf(lpIconName), *info);
}
