#include "core/DriveView.h"

#include "core/AsciiText.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;

namespace plat::overlay {
namespace {

// One entry of the merged drive, keyed by its lower-cased relative path.
struct Entry {
    std::string relative; // as spelt by the lowest layer that has it
    std::string source;   // absolute host path of the file; empty for a folder
};

using Tree = std::map<std::string, Entry>;

// The spelling a path gets in the merged drive: folders keep the spelling
// of the layer that brought them first, so two spellings of one folder
// (Windows' names are case-insensitive) make one folder.
std::string spell(const Tree& tree, const std::string& relative)
{
    std::string result;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t slash = relative.find('/', start);
        std::string prefix = relative.substr(0, slash);
        auto it = tree.find(text::LowerAscii(prefix));
        std::string part = relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (it != tree.end()) {
            std::string known = it->second.relative;
            part = known.substr(known.rfind('/') == std::string::npos ? 0 : known.rfind('/') + 1);
        }
        result += (result.empty() ? "" : "/") + part;
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return result;
}

bool addLayer(const Layer& layer, Tree* tree, ProfileError* error)
{
    fs::path root = fs::path(layer.folder) / "drive_c";
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        return true;
    std::string absoluteRoot = fs::absolute(root, ec).lexically_normal().string();
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::string relative = fs::relative(it->path(), root, ec).generic_string();
        std::string key = text::LowerAscii(relative);
        std::string spelt = spell(*tree, relative);
        bool folder = it->is_directory(ec);
        if (folder) {
            tree->emplace(key, Entry{spelt, ""});
        } else {
            auto existing = tree->find(key);
            if (existing != tree->end() && existing->second.source.empty()) {
                *error = ProfileError{it->path().string(), 0, "", "a file where a base has a folder"};
                return false;
            }
            (*tree)[key] = Entry{spelt, absoluteRoot + "/" + relative};
        }
    }
    if (ec) {
        *error = ProfileError{root.string(), 0, "", "cannot be listed: " + ec.message()};
        return false;
    }
    return true;
}

// Applies the layer's "removeFiles": drive paths such as
// "C:\Windows\System32\drivers\x.sys"; a folder takes what is under it.
bool removeFiles(const Layer& layer, Tree* tree, ProfileError* error)
{
    auto list = layer.json.find("removeFiles");
    if (list == layer.json.end())
        return true;
    if (!list->is_array()) {
        *error = ProfileError{layer.jsonPath, 0, "removeFiles", "expected a list of paths on drive C:"};
        return false;
    }
    for (size_t i = 0; i < list->size(); ++i) {
        const auto& item = (*list)[i];
        std::string key = "removeFiles[" + std::to_string(i) + "]";
        if (!item.is_string()) {
            *error = ProfileError{layer.jsonPath, 0, key, "expected a path such as C:\\Windows\\INF\\oem1.inf"};
            return false;
        }
        std::string path = item.get<std::string>();
        std::replace(path.begin(), path.end(), '\\', '/');
        if (path.size() < 4 || text::LowerAscii(path.substr(0, 3)) != "c:/") {
            *error = ProfileError{layer.jsonPath, 0, key, "\"" + item.get<std::string>() + "\" is not a path on drive C:"};
            return false;
        }
        std::string target = text::LowerAscii(path.substr(3));
        while (!target.empty() && target.back() == '/')
            target.pop_back();
        auto first = tree->find(target);
        if (first == tree->end()) {
            *error = ProfileError{layer.jsonPath, 0, key, "\"" + item.get<std::string>() + "\" is not in the base"};
            return false;
        }
        tree->erase(first);
        for (auto it = tree->lower_bound(target + "/"); it != tree->end() && it->first.rfind(target + "/", 0) == 0;)
            it = tree->erase(it);
    }
    return true;
}

uint64_t fingerprint(const Tree& tree)
{
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](const std::string& text) {
        for (unsigned char c : text) {
            hash ^= c;
            hash *= 1099511628211ull;
        }
        hash ^= 0xff;
        hash *= 1099511628211ull;
    };
    for (const auto& [key, entry] : tree) {
        mix(entry.relative);
        mix(entry.source);
    }
    return hash;
}

bool writeTree(const Tree& tree, const std::string& folder, std::string* failure)
{
    std::error_code ec;
    // Map order puts a folder before what it holds.
    for (const auto& [key, entry] : tree) {
        fs::path path = fs::path(folder) / entry.relative;
        if (entry.source.empty())
            fs::create_directories(path, ec);
        else
            fs::create_symlink(entry.source, path, ec);
        if (ec) {
            *failure = path.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

} // namespace

bool BuildDrive(const std::vector<Layer>& chain, std::string* drive, ProfileError* error)
{
    Tree tree;
    for (const Layer& layer : chain) {
        if (!removeFiles(layer, &tree, error) || !addLayer(layer, &tree, error))
            return false;
    }

    std::error_code ec;
    fs::path store = fs::temp_directory_path(ec) / ("ravlin-drives-" + std::to_string(getuid()));
    fs::create_directories(store, ec);
    char name[32];
    std::snprintf(name, sizeof(name), "%016llx", static_cast<unsigned long long>(fingerprint(tree)));
    std::string final = (store / name).string();
    if (fs::is_directory(final, ec)) {
        *drive = final;
        return true;
    }
    // Built aside and renamed into place, so that programs loading the same
    // machine at once never see half a drive.
    std::string pattern = final + ".XXXXXX";
    if (!mkdtemp(pattern.data())) {
        *error = ProfileError{store.string(), 0, "", "cannot make the overlay's drive C: folder"};
        return false;
    }
    std::string failure;
    if (!writeTree(tree, pattern, &failure)) {
        fs::remove_all(pattern, ec);
        *error = ProfileError{chain.back().folder + "/drive_c", 0, "", "cannot build the merged drive: " + failure};
        return false;
    }
    if (::rename(pattern.c_str(), final.c_str()) != 0)
        fs::remove_all(pattern, ec); // another program built it first
    *drive = final;
    return true;
}

} // namespace plat::overlay
