// One loaded registry: the machine's two real roots (HKEY_LOCAL_MACHINE and
// HKEY_USERS) and the profile user's SID, which places HKEY_CURRENT_USER
// under HKEY_USERS. It is built by the loader, then published and only read:
// open key handles keep the registry they were opened in alive.
#pragma once

#include "registry/KeyTree.h"
#include "registry/RegFileParser.h"

#include <win/types.h>

#include <memory>
#include <string>
#include <vector>

namespace plat::registry {

class Registry {
public:
    explicit Registry(std::string userSid);

    const std::string& UserSid() const { return m_userSid; }
    const KeyNode& LocalMachine() const { return m_localMachine; }
    const KeyNode& Users() const { return m_users; }
    FILETIME LoadTime() const { return m_loadTime; }

    // The keys that make up a root as a program sees it, the winning one
    // first: HKEY_CLASSES_ROOT is the user's Software\Classes over the
    // machine's, HKEY_CURRENT_USER is the user's key under HKEY_USERS.
    std::vector<const KeyNode*> RootLayers(RegRoot root) const;

    // The key a .reg file line names, created with its parents when asked
    // (HKEY_CLASSES_ROOT writes to HKEY_LOCAL_MACHINE\SOFTWARE\Classes).
    KeyNode* KeyForFile(const RegKeyPath& path, bool create);
    void RemoveKeyForFile(const RegKeyPath& path);

private:
    KeyNode* baseFor(RegRoot root, std::vector<std::string>* prefix);

    std::string m_userSid;
    KeyNode m_localMachine;
    KeyNode m_users;
    FILETIME m_loadTime{};
};

// The registry programs see; an empty one (with its roots) before any load.
std::shared_ptr<const Registry> Current();
void Publish(std::shared_ptr<const Registry> registry);

} // namespace plat::registry
