// Feeds arbitrary bytes to the resource readers: the .res file parser and,
// for every resource it finds (and for the raw bytes themselves), the
// version, dialog, icon group, icon image, string block and manifest
// readers, and the code-page decoders.
#include "core/CodePages.h"
#include "resources/DialogTemplate.h"
#include "resources/Icons.h"
#include "resources/Manifest.h"
#include "resources/ResFile.h"
#include "resources/StringBlock.h"
#include "resources/VersionInfo.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

void readAll(const BYTE* data, DWORD size)
{
    plat::resources::ParseVersionInfo(data, size);
    plat::resources::ParseDialogTemplate(data, size);
    plat::resources::ParseGroupIcon(data, size);
    plat::resources::DescribeIconImage(data, size);
    for (unsigned index = 0; index < 16; ++index)
        plat::resources::StringInBlock(data, size, index);
    if (auto manifest = plat::resources::ParseManifest(std::string_view(reinterpret_cast<const char*>(data), size)))
        plat::resources::ReadManifestSettings(*manifest);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<plat::resources::ResEntry> entries;
    plat::resources::ResFileError error;
    if (plat::resources::ParseResFile(data, size, &entries, &error)) {
        for (const auto& entry : entries)
            readAll(entry.data, entry.size);
    }
    readAll(data, static_cast<DWORD>(size));

    // The code pages see a short prefix: their cost grows with the input, not their coverage.
    std::string_view bytes(reinterpret_cast<const char*>(data), size < 512 ? size : 512);
    for (UINT codePage : {932u, 936u, 1252u, 65001u}) {
        plat::codepages::Decoded decoded = plat::codepages::Decode(codePage, bytes);
        plat::codepages::Encode(codePage, decoded.text, "?");
        plat::codepages::CharBoundary(codePage, bytes, bytes.size() / 2);
    }
    return 0;
}
