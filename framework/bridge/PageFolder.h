// Where the dialog's pages come from. The page server shows one folder: the
// "htm" folder that holds the navigated page (or, when no folder above the
// page is called htm, the page's own folder). A page's address on the server
// is its path below that folder; nothing outside it is ever served.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace afx::bridge::pages {

struct PageLocation {
    std::string rootWindows; // e.g. C:\Program Files\Tarn\Ravlin\htm
    std::string rootHost;    // the same folder on the host
    std::string url;         // the page's address on the server, e.g. /Lang0409/start.htm (encoded)
};

// Locates a page given by its Windows path (or a file: URL); nullopt when
// the path names no folder of the machine.
std::optional<PageLocation> Locate(const std::string& windowsPath);

// The host file for a decoded address below the root (both in the ANSI code
// page): nullopt unless it is a regular file inside the root once every link
// is followed. Names are matched without regard to case, as Windows does.
std::optional<std::filesystem::path> Resolve(const std::string& rootHost, const std::string& decodedPath);

// The Windows path of a decoded address below the root.
std::string WindowsPathOf(const std::string& rootWindows, const std::string& decodedPath);

// Whether two decoded addresses name the same page (case-insensitive).
bool SamePage(const std::string& a, const std::string& b);

std::string EncodePath(const std::string& decoded);
std::string DecodePath(const std::string& encoded);

} // namespace afx::bridge::pages
