// Icons: an RT_GROUP_ICON resource lists the images of one icon (size,
// colour depth, RT_ICON identifier); LoadIconA picks the image that fits
// the standard icon size (32 x 32) best and hands out a shared HICON, which
// stays valid while the module is loaded.
#pragma once

#include <win/types.h>

#include <optional>
#include <vector>

namespace plat::resources {

struct GroupIconEntry {
    int width = 0;  // 256 when the directory says 0
    int height = 0;
    int colorCount = 0;
    int bitCount = 0;
    DWORD bytes = 0;
    WORD id = 0; // the RT_ICON resource
};

// The entries of an RT_GROUP_ICON resource; nullopt when it is malformed.
std::optional<std::vector<GroupIconEntry>> ParseGroupIcon(const BYTE* data, DWORD size);

// The entry that LoadIconA takes for the wanted size: the closest size,
// then the deepest colour not above `displayBits`.
size_t BestIconEntry(const std::vector<GroupIconEntry>& entries, int width, int height, int displayBits);

struct IconInfo {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    bool system = false; // one of the standard icons (IDI_*)
};

// Width, height and colour depth of an image (BITMAPINFOHEADER or PNG).
std::optional<IconInfo> DescribeIconImage(const BYTE* data, DWORD size);

// What a HICON from LoadIconA shows; nullopt for an unknown handle.
std::optional<IconInfo> DescribeIcon(HICON icon);

} // namespace plat::resources
