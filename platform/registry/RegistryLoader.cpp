#include "registry/RegistryLoader.h"

#include "core/AsciiText.h"
#include "registry/RegFileParser.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace plat::registry {
namespace {

// Applies what a .reg file says to the key tree.
class TreeBuilder : public RegFileSink {
public:
    explicit TreeBuilder(Registry& registry)
        : m_registry(registry)
    {
    }

    void OnKey(const RegKeyPath& key) override { m_key = m_registry.KeyForFile(key, true); }
    void OnDeleteKey(const RegKeyPath& key) override
    {
        m_registry.RemoveKeyForFile(key);
        m_key = nullptr;
    }
    void OnValue(const std::string& name, DWORD type, std::vector<BYTE> data) override
    {
        if (m_key)
            m_key->SetValue(name, type, std::move(data));
    }
    void OnDeleteValue(const std::string& name) override
    {
        if (m_key)
            m_key->RemoveValue(name);
    }

private:
    Registry& m_registry;
    KeyNode* m_key = nullptr;
};

bool isRegFile(const std::filesystem::directory_entry& entry)
{
    std::string extension = text::LowerAscii(entry.path().extension().string());
    std::error_code ignored;
    return extension == ".reg" && entry.is_regular_file(ignored);
}

bool applyRegistryFolder(const std::string& folder, Registry& registry, ProfileError* error);

} // namespace

bool ApplyRegFile(std::string_view bytes, Registry& registry, RegFileError* error)
{
    TreeBuilder builder(registry);
    return ParseRegFile(bytes, builder, error);
}

bool LoadProfileRegistry(const std::vector<std::string>& layers, const std::string& userSid,
                         std::shared_ptr<Registry>* out, ProfileError* error)
{
    auto registry = std::make_shared<Registry>(userSid);
    for (const std::string& folder : layers) {
        if (!applyRegistryFolder(folder, *registry, error))
            return false;
    }
    *out = std::move(registry);
    return true;
}

bool LoadProfileRegistry(const std::string& folder, const std::string& userSid, std::shared_ptr<Registry>* out,
                         ProfileError* error)
{
    return LoadProfileRegistry(std::vector<std::string>{folder}, userSid, out, error);
}

namespace {

bool applyRegistryFolder(const std::string& folder, Registry& registry, ProfileError* error)
{
    std::filesystem::path registryFolder = std::filesystem::path(folder) / "registry";
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    if (std::filesystem::is_directory(registryFolder, ec)) {
        for (const auto& entry : std::filesystem::directory_iterator(registryFolder, ec)) {
            if (isRegFile(entry))
                files.push_back(entry.path());
        }
        if (ec) {
            *error = ProfileError{registryFolder.string(), 0, "", "cannot be listed: " + ec.message()};
            return false;
        }
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.filename().string() < b.filename().string(); });

    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in.is_open()) {
            *error = ProfileError{file.string(), 0, "", "cannot be read"};
            return false;
        }
        std::stringstream content;
        content << in.rdbuf();
        RegFileError fault;
        if (!ApplyRegFile(content.str(), registry, &fault)) {
            *error = ProfileError{file.string(), fault.line, "", fault.message};
            return false;
        }
    }
    return true;
}

} // namespace

void RegisterLoader()
{
    RegisterProfileLoader("registry", [](const Machine& machine, ProfileError* error) {
        std::shared_ptr<Registry> registry;
        if (!LoadProfileRegistry(machine.Layers(), machine.UserSid(), &registry, error))
            return false;
        Publish(std::move(registry));
        return true;
    });
}

} // namespace plat::registry
