// The key tree of the registry: keys with named, typed values. Names are
// matched without regard to case and keep the case they were first written
// with. The tree is built once by the loader and only read afterwards.
#pragma once

#include <win/types.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plat::registry {

struct RegValue {
    std::string name;   // UTF-8, "" for the default value
    std::string folded; // FoldCase(name)
    DWORD type = 0;     // REG_*
    std::vector<BYTE> data; // as stored: strings as UTF-16LE bytes
};

class KeyNode {
public:
    explicit KeyNode(std::string name);

    const std::string& Name() const { return m_name; }

    // Subkeys, ordered by folded name (the order Windows enumerates them in).
    using Children = std::map<std::string, std::unique_ptr<KeyNode>>;
    const Children& Subkeys() const { return m_children; }
    const KeyNode* FindSubkey(std::string_view name) const;
    KeyNode* FindSubkey(std::string_view name);
    KeyNode& SubkeyOrCreate(std::string_view name);
    void RemoveSubkey(std::string_view name);

    // Values, in the order they were first set.
    const std::vector<RegValue>& Values() const { return m_values; }
    const RegValue* FindValue(std::string_view name) const;
    void SetValue(std::string_view name, DWORD type, std::vector<BYTE> data);
    void RemoveValue(std::string_view name);

private:
    std::string m_name;
    Children m_children;
    std::vector<RegValue> m_values;
    std::unordered_map<std::string, size_t> m_valueIndex; // folded name -> index
};

} // namespace plat::registry
