#include "core/Overlay.h"

#include "core/JsonText.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace plat::overlay {
namespace {

std::string trimSlashes(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

bool readLayer(const std::string& folder, Layer* layer, ProfileError* error)
{
    layer->folder = trimSlashes(folder);
    layer->jsonPath = layer->folder + "/machine.json";
    std::ifstream in(layer->jsonPath, std::ios::binary);
    if (!in) {
        *error = ProfileError{layer->jsonPath, 0, "", "cannot be read (is this a machine profile folder?)"};
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    if (!ParseJsonText(text, layer->jsonPath, &layer->json, error))
        return false;
    if (!layer->json.is_object()) {
        *error = ProfileError{layer->jsonPath, 1, "", "the top level must be an object"};
        return false;
    }
    return true;
}

std::string realFolder(const std::string& folder)
{
    char resolved[PATH_MAX];
    return ::realpath(folder.c_str(), resolved) ? std::string(resolved) : folder;
}

} // namespace

std::string BaseFolder(const std::string& folder, const std::string& base)
{
    if (base.find('/') == std::string::npos) {
        size_t slash = folder.rfind('/');
        std::string beside = (slash == std::string::npos ? std::string(".") : folder.substr(0, slash)) + "/" + base;
        if (access((beside + "/machine.json").c_str(), F_OK) == 0)
            return beside;
        return ExecutableFolder() + "/machines/" + base;
    }
    if (base[0] == '/')
        return base;
    return folder + "/" + base;
}

bool ReadChain(const std::string& folder, std::vector<Layer>* chain, ProfileError* error)
{
    std::vector<Layer> topDown;
    std::set<std::string> seen;
    std::string next = folder;
    for (;;) {
        Layer layer;
        if (!readLayer(next, &layer, error)) {
            if (!topDown.empty()) {
                // Name the overlay that points at it, not only the missing file.
                const Layer& from = topDown.back();
                *error = ProfileError{from.jsonPath, 0, "base",
                                      "the base \"" + from.json["base"].get<std::string>() + "\" (" + layer.folder +
                                          ") is no machine profile: " + error->ToString()};
            }
            return false;
        }
        if (!seen.insert(realFolder(layer.folder)).second) {
            const Layer& from = topDown.back();
            *error = ProfileError{from.jsonPath, 0, "base",
                                  "the bases loop: " + layer.folder + " is its own base through this chain"};
            return false;
        }
        auto base = layer.json.find("base");
        if (base != layer.json.end() && !base->is_string()) {
            *error = ProfileError{layer.jsonPath, 0, "base", "expected a string (a built-in name or a folder)"};
            return false;
        }
        if (base != layer.json.end() && base->get_ref<const std::string&>().empty()) {
            *error = ProfileError{layer.jsonPath, 0, "base", "must not be empty"};
            return false;
        }
        std::string baseName = base == layer.json.end() ? std::string() : base->get<std::string>();
        std::string baseFolder = baseName.empty() ? std::string() : BaseFolder(layer.folder, baseName);
        topDown.push_back(std::move(layer));
        if (baseName.empty())
            break;
        next = std::filesystem::path(baseFolder).lexically_normal().string();
    }
    chain->assign(topDown.rbegin(), topDown.rend());
    return true;
}

nlohmann::json MergedJson(const std::vector<Layer>& chain)
{
    nlohmann::json merged = nlohmann::json::object();
    for (const Layer& layer : chain) {
        nlohmann::json patch = layer.json;
        patch.erase("base");
        patch.erase("removeFiles");
        merged.merge_patch(patch);
    }
    return merged;
}

} // namespace plat::overlay
