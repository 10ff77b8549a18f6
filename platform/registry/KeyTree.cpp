#include "registry/KeyTree.h"

#include "registry/AnsiText.h"

namespace plat::registry {

KeyNode::KeyNode(std::string name)
    : m_name(std::move(name))
{
}

const KeyNode* KeyNode::FindSubkey(std::string_view name) const
{
    auto it = m_children.find(FoldCase(name));
    return it == m_children.end() ? nullptr : it->second.get();
}

KeyNode* KeyNode::FindSubkey(std::string_view name)
{
    auto it = m_children.find(FoldCase(name));
    return it == m_children.end() ? nullptr : it->second.get();
}

KeyNode& KeyNode::SubkeyOrCreate(std::string_view name)
{
    std::string folded = FoldCase(name);
    auto it = m_children.find(folded);
    if (it == m_children.end())
        it = m_children.emplace(std::move(folded), std::make_unique<KeyNode>(std::string(name))).first;
    return *it->second;
}

void KeyNode::RemoveSubkey(std::string_view name)
{
    m_children.erase(FoldCase(name));
}

const RegValue* KeyNode::FindValue(std::string_view name) const
{
    auto it = m_valueIndex.find(FoldCase(name));
    return it == m_valueIndex.end() ? nullptr : &m_values[it->second];
}

void KeyNode::SetValue(std::string_view name, DWORD type, std::vector<BYTE> data)
{
    std::string folded = FoldCase(name);
    auto it = m_valueIndex.find(folded);
    if (it != m_valueIndex.end()) {
        // A value set again keeps its place and its first spelling.
        RegValue& value = m_values[it->second];
        value.type = type;
        value.data = std::move(data);
        return;
    }
    m_valueIndex.emplace(folded, m_values.size());
    m_values.push_back(RegValue{std::string(name), std::move(folded), type, std::move(data)});
}

void KeyNode::RemoveValue(std::string_view name)
{
    auto it = m_valueIndex.find(FoldCase(name));
    if (it == m_valueIndex.end())
        return;
    size_t index = it->second;
    m_valueIndex.erase(it);
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(index));
    for (auto& entry : m_valueIndex) {
        if (entry.second > index)
            --entry.second;
    }
}

} // namespace plat::registry
