#include "registry/OpenKey.h"

#include <map>
#include <unordered_set>

namespace plat::registry {

OpenKey::OpenKey(std::shared_ptr<const Registry> registry, std::vector<const KeyNode*> layers, REGSAM access)
    : m_registry(std::move(registry))
    , m_layers(std::move(layers))
    , m_access(access)
{
}

std::vector<const KeyNode*> OpenKey::FindSubkey(const std::vector<std::string>& path) const
{
    std::vector<const KeyNode*> found;
    for (const KeyNode* layer : m_layers) {
        const KeyNode* node = layer;
        for (const std::string& element : path) {
            node = node->FindSubkey(element);
            if (!node)
                break;
        }
        if (node)
            found.push_back(node);
    }
    return found;
}

const RegValue* OpenKey::FindValue(std::string_view name) const
{
    for (const KeyNode* layer : m_layers) {
        if (const RegValue* value = layer->FindValue(name))
            return value;
    }
    return nullptr;
}

const std::vector<const RegValue*>& OpenKey::Values() const
{
    std::call_once(m_valuesOnce, [this] {
        std::unordered_set<std::string_view> seen;
        for (const KeyNode* layer : m_layers) {
            for (const RegValue& value : layer->Values()) {
                if (m_layers.size() == 1 || seen.insert(value.folded).second)
                    m_values.push_back(&value);
            }
        }
    });
    return m_values;
}

const std::vector<const KeyNode*>& OpenKey::Subkeys() const
{
    std::call_once(m_subkeysOnce, [this] {
        if (m_layers.size() == 1) {
            for (const auto& [folded, node] : m_layers.front()->Subkeys())
                m_subkeys.push_back(node.get());
            return;
        }
        std::map<std::string_view, const KeyNode*> merged;
        for (const KeyNode* layer : m_layers) {
            for (const auto& [folded, node] : layer->Subkeys())
                merged.emplace(folded, node.get()); // the first layer's spelling wins
        }
        for (const auto& entry : merged)
            m_subkeys.push_back(entry.second);
    });
    return m_subkeys;
}

} // namespace plat::registry
