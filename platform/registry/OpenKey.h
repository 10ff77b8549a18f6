// An open registry key: the key (or, for HKEY_CLASSES_ROOT and the keys
// below it, the user's and the machine's key, user first) and the access
// the handle was opened with. It keeps the registry it was opened in alive.
#pragma once

#include "registry/Registry.h"

#include <win/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace plat::registry {

class OpenKey {
public:
    OpenKey(std::shared_ptr<const Registry> registry, std::vector<const KeyNode*> layers, REGSAM access);

    REGSAM Access() const { return m_access; }
    const std::shared_ptr<const Registry>& Owner() const { return m_registry; }
    const std::vector<const KeyNode*>& Layers() const { return m_layers; }

    // The layers of the key at `path` below this one; empty when no layer
    // has it.
    std::vector<const KeyNode*> FindSubkey(const std::vector<std::string>& path) const;

    // The value seen through this key: the first layer that has it wins.
    const RegValue* FindValue(std::string_view name) const;

    // Merged lists, built on first use: values in layer order without the
    // ones a higher layer hides, subkeys sorted by name.
    const std::vector<const RegValue*>& Values() const;
    const std::vector<const KeyNode*>& Subkeys() const;

private:
    std::shared_ptr<const Registry> m_registry;
    std::vector<const KeyNode*> m_layers;
    REGSAM m_access;

    mutable std::once_flag m_valuesOnce;
    mutable std::vector<const RegValue*> m_values;
    mutable std::once_flag m_subkeysOnce;
    mutable std::vector<const KeyNode*> m_subkeys;
};

} // namespace plat::registry
