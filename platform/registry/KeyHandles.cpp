#include "registry/KeyHandles.h"

#include <win/registry.h>

#include <array>
#include <mutex>
#include <unordered_map>

namespace plat::registry::keys {
namespace {

// Registry handles are numbered apart from the kernel's handles.
constexpr uintptr_t kFirstHandle = 0x20000000;

struct Table {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<const OpenKey>> keys;
    uintptr_t next = kFirstHandle;

    // The predefined keys of the registry current when they were last asked
    // for, so that their merged lists are built once per registry.
    std::shared_ptr<const Registry> predefinedOwner;
    std::array<std::shared_ptr<const OpenKey>, 6> predefined;
};

Table& table()
{
    static Table* t = new Table; // lives until exit: keys may be closed by exit handlers
    return *t;
}

// Index of a predefined key that this registry serves, or -1.
int predefinedIndex(HKEY handle)
{
    static const HKEY supported[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                                     HKEY_CURRENT_CONFIG};
    for (int i = 0; i < 5; ++i) {
        if (handle == supported[i])
            return i;
    }
    return -1;
}

RegRoot rootOf(int index)
{
    static constexpr RegRoot roots[] = {RegRoot::ClassesRoot, RegRoot::CurrentUser, RegRoot::LocalMachine,
                                        RegRoot::Users, RegRoot::CurrentConfig};
    return roots[index];
}

} // namespace

HKEY Insert(std::shared_ptr<const OpenKey> key)
{
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    uintptr_t value = t.next;
    t.next += 4;
    t.keys.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
}

bool IsPredefined(HKEY handle)
{
    return handle == HKEY_PERFORMANCE_DATA || handle == HKEY_DYN_DATA || predefinedIndex(handle) >= 0;
}

std::shared_ptr<const OpenKey> Get(HKEY handle)
{
    Table& t = table();
    int index = predefinedIndex(handle);
    if (index >= 0) {
        std::shared_ptr<const Registry> registry = Current();
        std::lock_guard<std::mutex> lock(t.mutex);
        if (t.predefinedOwner != registry) {
            t.predefinedOwner = registry;
            t.predefined = {};
        }
        auto& slot = t.predefined[static_cast<size_t>(index)];
        if (!slot)
            slot = std::make_shared<const OpenKey>(registry, registry->RootLayers(rootOf(index)), KEY_READ);
        return slot;
    }
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.keys.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.keys.end() ? nullptr : it->second;
}

bool Remove(HKEY handle)
{
    std::shared_ptr<const OpenKey> released; // freed outside the lock
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.keys.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.keys.end())
        return false;
    released = std::move(it->second);
    t.keys.erase(it);
    return true;
}

} // namespace plat::registry::keys
