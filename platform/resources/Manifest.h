// RT_MANIFEST resources: the side-by-side manifest of an image, an XML text,
// and the settings Windows takes from it when it starts a program.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::resources {

struct ManifestElement {
    std::string name;      // the local name, without a namespace prefix
    std::string nameSpace; // the namespace URI the element is in
    std::map<std::string, std::string> attributes; // without the xmlns declarations
    std::string text;      // the element's own text, blanks at both ends removed
    int parent = -1;       // index in Manifest::elements; -1 for the root
};

struct Manifest {
    std::vector<ManifestElement> elements; // in document order, the root first

    // The elements with this local name and namespace, in document order.
    std::vector<const ManifestElement*> FindAll(std::string_view name, std::string_view nameSpace) const;
};

// Reads a manifest: one root element, matched end tags, quoted attributes,
// the five predefined entities; comments and the XML declaration are skipped.
// nullopt when the text is not well-formed.
std::optional<Manifest> ParseManifest(std::string_view text);

// What the loader and the shell read from an application manifest. Each
// setting counts only in its own namespace, as on Windows.
struct ManifestSettings {
    std::string executionLevel; // requestedExecutionLevel level, "" when absent
    std::string uiAccess;       // requestedExecutionLevel uiAccess
    std::vector<std::string> supportedOS; // compatibility GUIDs, lowercase, with braces
    std::vector<std::string> dependencies; // "name version" of each dependent assembly
    std::string dpiAware;       // the dpiAware text, "" when absent
    std::string dpiAwareness;   // the dpiAwareness text, "" when absent
};

ManifestSettings ReadManifestSettings(const Manifest& manifest);

inline constexpr std::string_view kAssemblyV1 = "urn:schemas-microsoft-com:asm.v1";
inline constexpr std::string_view kAssemblyV2 = "urn:schemas-microsoft-com:asm.v2";
inline constexpr std::string_view kAssemblyV3 = "urn:schemas-microsoft-com:asm.v3";
inline constexpr std::string_view kCompatibility = "urn:schemas-microsoft-com:compatibility.v1";
inline constexpr std::string_view kWindowsSettings2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings";
inline constexpr std::string_view kWindowsSettings2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings";

} // namespace plat::resources
