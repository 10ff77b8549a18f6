#include "kernel/ShareModes.h"

#include <win/kernel.h>

#include <map>
#include <utility>
#include <vector>

namespace plat::files {
namespace {

struct OpenEntry {
    FileAccess access;
    DWORD share;
    const ShareClaim* owner;
};

using FileKey = std::pair<dev_t, ino_t>;

// Never destroyed: files still open at process exit (in other objects with
// static storage) leave the table after it would have gone.
std::mutex& tableMutex()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

std::map<FileKey, std::vector<OpenEntry>>& table()
{
    static auto* opens = new std::map<FileKey, std::vector<OpenEntry>>;
    return *opens;
}

} // namespace

FileAccess FileAccess::Of(DWORD desiredAccess)
{
    FileAccess access;
    access.read = (desiredAccess & (GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | FILE_READ_DATA | FILE_EXECUTE)) != 0;
    access.write = (desiredAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
    access.del = (desiredAccess & (GENERIC_ALL | DELETE)) != 0;
    return access;
}

std::unique_lock<std::mutex> LockShareTable()
{
    return std::unique_lock<std::mutex>(tableMutex());
}

bool MayOpen(dev_t device, ino_t inode, FileAccess access, DWORD share)
{
    auto it = table().find({device, inode});
    if (it == table().end() || !access.Any())
        return true;
    for (const OpenEntry& open : it->second) {
        if (!open.access.Any())
            continue; // an open without data access (attributes only) shares everything
        // What the new open asks for must be shared by every existing one...
        if ((access.read && !(open.share & FILE_SHARE_READ)) || (access.write && !(open.share & FILE_SHARE_WRITE)) ||
            (access.del && !(open.share & FILE_SHARE_DELETE)))
            return false;
        // ...and what every existing one holds must be shared by the new one.
        if ((open.access.read && !(share & FILE_SHARE_READ)) || (open.access.write && !(share & FILE_SHARE_WRITE)) ||
            (open.access.del && !(share & FILE_SHARE_DELETE)))
            return false;
    }
    return true;
}

ShareClaim::ShareClaim(dev_t device, ino_t inode, FileAccess access, DWORD share)
    : m_device(device), m_inode(inode)
{
    table()[{device, inode}].push_back(OpenEntry{access, share, this});
}

ShareClaim::~ShareClaim()
{
    std::lock_guard<std::mutex> lock(tableMutex());
    auto it = table().find({m_device, m_inode});
    if (it == table().end())
        return;
    std::vector<OpenEntry>& opens = it->second;
    for (auto open = opens.begin(); open != opens.end(); ++open) {
        if (open->owner == this) {
            opens.erase(open);
            break;
        }
    }
    if (opens.empty())
        table().erase(it);
}

std::unique_ptr<ShareClaim> Claim(dev_t device, ino_t inode, FileAccess access, DWORD share)
{
    return std::make_unique<ShareClaim>(device, inode, access, share);
}

} // namespace plat::files
