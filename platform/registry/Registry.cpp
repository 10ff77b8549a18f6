#include "registry/Registry.h"

#include "core/Clock.h"
#include "core/Machine.h"

#include <mutex>

namespace plat::registry {
namespace {

constexpr const char* kClassesPath[] = {"SOFTWARE", "Classes"};
constexpr const char* kUserClassesPath[] = {"Software", "Classes"};

std::mutex& currentMutex()
{
    static std::mutex m;
    return m;
}

std::shared_ptr<const Registry>& currentRegistry()
{
    static std::shared_ptr<const Registry> registry;
    return registry;
}

FILETIME toFileTime(plat::clock::TimePoint point)
{
    using namespace std::chrono;
    // FILETIME counts 100 ns steps since 1601-01-01.
    constexpr int64_t kEpochDifference = 11644473600LL * 10000000LL;
    int64_t ticks = duration_cast<nanoseconds>(point.time_since_epoch()).count() / 100 + kEpochDifference;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

template <size_t N>
const KeyNode* walk(const KeyNode* node, const char* const (&path)[N])
{
    for (const char* element : path) {
        if (!node)
            return nullptr;
        node = node->FindSubkey(element);
    }
    return node;
}

// HKEY_CURRENT_CONFIG, below HKEY_LOCAL_MACHINE.
constexpr const char* kCurrentConfigPath[] = {"SYSTEM", "CurrentControlSet", "Hardware Profiles", "Current",
                                              nullptr};

} // namespace

Registry::Registry(std::string userSid)
    : m_userSid(std::move(userSid))
    , m_localMachine("HKEY_LOCAL_MACHINE")
    , m_users("HKEY_USERS")
    , m_loadTime(toFileTime(plat::clock::Now()))
{
    m_users.SubkeyOrCreate(m_userSid);
}

std::vector<const KeyNode*> Registry::RootLayers(RegRoot root) const
{
    std::vector<const KeyNode*> layers;
    auto add = [&layers](const KeyNode* node) {
        if (node)
            layers.push_back(node);
    };
    switch (root) {
    case RegRoot::LocalMachine:
        add(&m_localMachine);
        break;
    case RegRoot::Users:
        add(&m_users);
        break;
    case RegRoot::CurrentUser:
        add(m_users.FindSubkey(m_userSid));
        break;
    case RegRoot::ClassesRoot:
        add(walk(m_users.FindSubkey(m_userSid), kUserClassesPath));
        add(walk(&m_localMachine, kClassesPath));
        break;
    case RegRoot::CurrentConfig: {
        const KeyNode* node = &m_localMachine;
        for (int i = 0; node && kCurrentConfigPath[i]; ++i)
            node = node->FindSubkey(kCurrentConfigPath[i]);
        add(node);
        break;
    }
    }
    return layers;
}

KeyNode* Registry::baseFor(RegRoot root, std::vector<std::string>* prefix)
{
    switch (root) {
    case RegRoot::LocalMachine:
        return &m_localMachine;
    case RegRoot::Users:
        return &m_users;
    case RegRoot::CurrentUser:
        prefix->push_back(m_userSid);
        return &m_users;
    case RegRoot::ClassesRoot:
        prefix->assign(std::begin(kClassesPath), std::end(kClassesPath));
        return &m_localMachine;
    case RegRoot::CurrentConfig:
        for (int i = 0; kCurrentConfigPath[i]; ++i)
            prefix->push_back(kCurrentConfigPath[i]);
        return &m_localMachine;
    }
    return nullptr;
}

KeyNode* Registry::KeyForFile(const RegKeyPath& path, bool create)
{
    std::vector<std::string> elements;
    KeyNode* node = baseFor(path.root, &elements);
    elements.insert(elements.end(), path.elements.begin(), path.elements.end());
    for (const std::string& element : elements) {
        if (!node)
            return nullptr;
        node = create ? &node->SubkeyOrCreate(element) : node->FindSubkey(element);
    }
    return node;
}

void Registry::RemoveKeyForFile(const RegKeyPath& path)
{
    if (path.elements.empty())
        return;
    RegKeyPath parentPath{path.root, {path.elements.begin(), path.elements.end() - 1}};
    if (KeyNode* parent = KeyForFile(parentPath, false))
        parent->RemoveSubkey(path.elements.back());
}

std::shared_ptr<const Registry> Current()
{
    std::lock_guard<std::mutex> lock(currentMutex());
    if (!currentRegistry())
        currentRegistry() = std::make_shared<Registry>(plat::Machine().UserSid());
    return currentRegistry();
}

void Publish(std::shared_ptr<const Registry> registry)
{
    std::lock_guard<std::mutex> lock(currentMutex());
    currentRegistry() = std::move(registry);
}

} // namespace plat::registry
