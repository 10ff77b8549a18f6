// Share modes of open files, as Windows checks them when a file is opened:
// a new open is refused with ERROR_SHARING_VIOLATION when it asks for an
// access that an existing open does not share, or when it does not share an
// access that an existing open holds. Opens of the same file through other
// names (case, "..", links) meet, since files are told apart by device and
// inode. Opens without data access (attributes only) take no part.
#pragma once

#include <win/types.h>

#include <memory>
#include <mutex>
#include <sys/types.h>

namespace plat::files {

// The data access a desired-access mask asks for, generic rights mapped as
// Windows maps them for files.
struct FileAccess {
    bool read = false;
    bool write = false;
    bool del = false;
    static FileAccess Of(DWORD desiredAccess);
    bool Any() const { return read || write || del; }
};

// One open's place in the table; it leaves the table when destroyed.
class ShareClaim {
public:
    ShareClaim(dev_t device, ino_t inode, FileAccess access, DWORD share);
    ~ShareClaim();
    ShareClaim(const ShareClaim&) = delete;
    ShareClaim& operator=(const ShareClaim&) = delete;

private:
    dev_t m_device;
    ino_t m_inode;
};

// Held while a file is checked, opened and claimed, so that no other open
// comes between the check and the claim.
std::unique_lock<std::mutex> LockShareTable();

// True when an open with this access and share mode may join the file's
// current opens (the table must be locked).
bool MayOpen(dev_t device, ino_t inode, FileAccess access, DWORD share);

// Adds an open to the table (locked); the claim removes it again.
std::unique_ptr<ShareClaim> Claim(dev_t device, ino_t inode, FileAccess access, DWORD share);

} // namespace plat::files
