#include "kernel/Files.h"

#include "core/Devices.h"
#include "core/Handles.h"
#include "core/LastError.h"
#include "core/Machine.h"
#include "core/Paths.h"
#include "kernel/ShareModes.h"
#include "kernel/UserRights.h"
#include "kernel/Waitable.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::files {
namespace {

class FileObject : public KernelObject {
public:
    FileObject(int fd, std::unique_ptr<ShareClaim> claim) : m_fd(fd), m_claim(std::move(claim)) {}
    ~FileObject() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Fd() const { return m_fd; }

    BOOL Read(void* buffer, DWORD size, DWORD* transferred, OVERLAPPED* overlapped) override
    {
        ssize_t n;
        do {
            n = overlapped ? ::pread(m_fd, buffer, size, offsetOf(overlapped)) : ::read(m_fd, buffer, size);
        } while (n < 0 && errno == EINTR);
        return complete(n, transferred, overlapped);
    }

    BOOL Write(const void* buffer, DWORD size, DWORD* transferred, OVERLAPPED* overlapped) override
    {
        const char* data = static_cast<const char*>(buffer);
        size_t done = 0;
        while (done < size) {
            ssize_t n = overlapped ? ::pwrite(m_fd, data + done, size - done, offsetOf(overlapped) + done)
                                   : ::write(m_fd, data + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return complete(-1, transferred, overlapped);
            done += static_cast<size_t>(n);
        }
        return complete(static_cast<ssize_t>(done), transferred, overlapped);
    }

    BOOL OverlappedResult(OVERLAPPED* overlapped, DWORD* transferred, BOOL) override
    {
        // File requests always complete before ReadFile/WriteFile return.
        if (transferred)
            *transferred = static_cast<DWORD>(overlapped->InternalHigh);
        if (overlapped->Internal != 0)
            return Fail(static_cast<DWORD>(overlapped->Internal));
        return TRUE;
    }

private:
    static off_t offsetOf(const OVERLAPPED* o)
    {
        return static_cast<off_t>((static_cast<uint64_t>(o->OffsetHigh) << 32) | o->Offset);
    }

    static BOOL complete(ssize_t n, DWORD* transferred, OVERLAPPED* overlapped)
    {
        DWORD error = n < 0 ? ErrnoToWin32(errno) : 0;
        DWORD count = n < 0 ? 0 : static_cast<DWORD>(n);
        if (transferred)
            *transferred = count;
        if (overlapped) {
            overlapped->Internal = error;
            overlapped->InternalHigh = count;
            if (overlapped->hEvent)
                SetEvent(overlapped->hEvent);
        }
        if (error)
            return Fail(error);
        return TRUE;
    }

    int m_fd;
    std::unique_ptr<ShareClaim> m_claim; // leaves the share table with the last handle
};

// An open FindFirstFileA search: the matching names, handed out in order.
class FindObject : public KernelObject {
public:
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
};

bool wildcardMatch(const char* pattern, const char* name)
{
    // Windows matching is case-insensitive; "*.*" also matches names without a dot.
    if (std::strcmp(pattern, "*.*") == 0)
        return true;
    while (*pattern) {
        if (*pattern == '*') {
            while (*pattern == '*')
                ++pattern;
            if (!*pattern)
                return true;
            for (const char* n = name; *n; ++n)
                if (wildcardMatch(pattern, n))
                    return true;
            return wildcardMatch(pattern, "");
        }
        if (!*name)
            return false;
        if (*pattern != '?' && std::tolower(static_cast<unsigned char>(*pattern)) !=
                                   std::tolower(static_cast<unsigned char>(*name)))
            return false;
        ++pattern;
        ++name;
    }
    return *name == '\0';
}

void toFileTime(const struct timespec& ts, FILETIME* ft)
{
    // 100-ns intervals since 1601-01-01.
    uint64_t value = (static_cast<uint64_t>(ts.tv_sec) + 11644473600ull) * 10000000ull +
                     static_cast<uint64_t>(ts.tv_nsec) / 100;
    ft->dwLowDateTime = static_cast<DWORD>(value);
    ft->dwHighDateTime = static_cast<DWORD>(value >> 32);
}

DWORD attributesOf(const struct stat& st)
{
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

bool fillFindData(const std::string& folder, const std::string& name, WIN32_FIND_DATAA* data)
{
    struct stat st;
    if (::stat((folder + "/" + name).c_str(), &st) != 0 || name.size() >= MAX_PATH)
        return false;
    std::memset(data, 0, sizeof(*data));
    data->dwFileAttributes = attributesOf(st);
    toFileTime(st.st_ctim, &data->ftCreationTime);
    toFileTime(st.st_atim, &data->ftLastAccessTime);
    toFileTime(st.st_mtim, &data->ftLastWriteTime);
    uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    std::string ansi = paths::HostNameToAnsi(name);
    if (ansi.size() >= MAX_PATH)
        return false;
    std::memcpy(data->cFileName, ansi.c_str(), ansi.size() + 1);
    return true;
}

} // namespace

DWORD ErrnoToWin32(int error)
{
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOSPC: return 112; // ERROR_DISK_FULL
    case EIO:
    default: return ERROR_GEN_FAILURE;
    }
}

bool IsInsideProfile(const std::string& hostPath)
{
    const Machine* machine = CurrentMachine();
    if (!machine)
        return false;
    // Resolve the deepest existing ancestor, so links cannot hide the profile.
    std::string probe = hostPath;
    char resolved[PATH_MAX];
    while (!probe.empty() && !::realpath(probe.c_str(), resolved)) {
        size_t slash = probe.rfind('/');
        if (slash == std::string::npos)
            return false;
        probe.resize(slash);
    }
    if (probe.empty())
        return false;
    std::string path = resolved;
    for (const std::string& folder : machine->ReadOnlyFolders()) {
        char resolvedProfile[PATH_MAX];
        if (!::realpath(folder.c_str(), resolvedProfile))
            continue;
        std::string profile = resolvedProfile;
        if (path == profile || path.compare(0, profile.size() + 1, profile + "/") == 0)
            return true;
    }
    return false;
}

} // namespace plat::files

using namespace plat;

extern "C" HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                     LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                                     HANDLE)
{
    std::string device = paths::DeviceName(lpFileName);
    if (!device.empty())
        return devices::Open(device, dwDesiredAccess, dwShareMode, dwFlagsAndAttributes);

    std::optional<std::string> host = paths::ToHost(lpFileName);
    if (!host)
        return INVALID_HANDLE_VALUE;

    bool writing = (dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL)) != 0;
    int flags = O_CLOEXEC;
    if (writing && (dwDesiredAccess & (GENERIC_READ | GENERIC_ALL)))
        flags |= O_RDWR;
    else if (writing)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    switch (dwCreationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING:
        if (!writing) {
            Fail(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        flags |= O_TRUNC;
        break;
    default: Fail(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    if ((writing || (flags & O_CREAT)) && files::IsInsideProfile(*host)) {
        Fail(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }

    // From the check of the share modes to the claim, no other open comes between.
    auto shareLock = files::LockShareTable();
    struct stat st;
    bool existed = ::stat(host->c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) {
        Fail(ERROR_ACCESS_DENIED); // a folder needs FILE_FLAG_BACKUP_SEMANTICS, which nothing here uses
        return INVALID_HANDLE_VALUE;
    }
    if ((writing || (!existed && (flags & O_CREAT))) && files::WriteDeniedToUser(*host)) {
        std::string parent = host->substr(0, host->rfind('/'));
        struct stat folder;
        Fail(existed || parent.empty() || ::stat(parent.c_str(), &folder) == 0 ? ERROR_ACCESS_DENIED
                                                                                : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    files::FileAccess access = files::FileAccess::Of(dwDesiredAccess);
    // An open that a current open does not share fails before it changes
    // anything: CREATE_ALWAYS does not empty the file.
    if (existed && !files::MayOpen(st.st_dev, st.st_ino, access, dwShareMode)) {
        Fail(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    int fd = ::open(host->c_str(), flags, 0644);
    if (fd < 0) {
        DWORD error = files::ErrnoToWin32(errno);
        if (errno == ENOENT) {
            // Windows tells a missing folder from a missing file.
            std::string parent = host->substr(0, host->rfind('/'));
            if (!parent.empty() && ::stat(parent.c_str(), &st) != 0)
                error = ERROR_PATH_NOT_FOUND;
        }
        Fail(error);
        return INVALID_HANDLE_VALUE;
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0) {
        Fail(files::ErrnoToWin32(errno));
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    auto claim = files::Claim(opened.st_dev, opened.st_ino, access, dwShareMode);
    shareLock.unlock();
    // CREATE_ALWAYS and OPEN_ALWAYS report an existing file through the last error.
    SetLastError(existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS)
                     ? ERROR_ALREADY_EXISTS
                     : ERROR_SUCCESS);
    (void)dwFlagsAndAttributes;
    return handles::Insert(std::make_shared<files::FileObject>(fd, std::move(claim)));
}

extern "C" BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                                LPOVERLAPPED lpOverlapped)
{
    auto object = handles::Get(hFile);
    if (!object)
        return Fail(ERROR_INVALID_HANDLE);
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    if (!lpBuffer && nNumberOfBytesToRead)
        return Fail(ERROR_NOACCESS);
    return object->Read(lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
}

extern "C" BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                 LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped)
{
    auto object = handles::Get(hFile);
    if (!object)
        return Fail(ERROR_INVALID_HANDLE);
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    if (!lpBuffer && nNumberOfBytesToWrite)
        return Fail(ERROR_NOACCESS);
    return object->Write(lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten, lpOverlapped);
}

extern "C" BOOL WINAPI GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                                           LPDWORD lpNumberOfBytesTransferred, BOOL bWait)
{
    auto object = handles::Get(hFile);
    if (!object)
        return Fail(ERROR_INVALID_HANDLE);
    if (!lpOverlapped)
        return Fail(ERROR_INVALID_PARAMETER);
    return object->OverlappedResult(lpOverlapped, lpNumberOfBytesTransferred, bWait);
}

// Only the calling thread's requests on the handle; succeeds when there are none.
extern "C" BOOL WINAPI CancelIo(HANDLE hFile)
{
    auto object = handles::Get(hFile);
    if (!object)
        return Fail(ERROR_INVALID_HANDLE);
    object->CancelRequests({GetCurrentThreadId(), nullptr});
    return TRUE;
}

// Every thread's requests on the handle, or the one of lpOverlapped;
// ERROR_NOT_FOUND when there is none to cancel.
extern "C" BOOL WINAPI CancelIoEx(HANDLE hFile, LPOVERLAPPED lpOverlapped)
{
    auto object = handles::Get(hFile);
    if (!object)
        return Fail(ERROR_INVALID_HANDLE);
    if (object->CancelRequests({0, lpOverlapped}) == 0)
        return Fail(ERROR_NOT_FOUND);
    return TRUE;
}

extern "C" DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    auto file = handles::GetAs<files::FileObject>(hFile);
    struct stat st;
    if (!file || ::fstat(file->Fd(), &st) != 0) {
        Fail(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (lpFileSizeHigh)
        *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

extern "C" DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                       DWORD dwMoveMethod)
{
    auto file = handles::GetAs<files::FileObject>(hFile);
    if (!file) {
        Fail(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    int64_t distance = lpDistanceToMoveHigh
                           ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh))
                                                   << 32) |
                                                  static_cast<uint32_t>(lDistanceToMove))
                           : lDistanceToMove;
    int whence = dwMoveMethod == FILE_BEGIN ? SEEK_SET : dwMoveMethod == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    off_t position = ::lseek(file->Fd(), distance, whence);
    if (position < 0) {
        Fail(ERROR_NEGATIVE_SEEK_OR_INVALID);
        return INVALID_FILE_SIZE;
    }
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

extern "C" BOOL WINAPI FlushFileBuffers(HANDLE hFile)
{
    auto file = handles::GetAs<files::FileObject>(hFile);
    if (!file)
        return Fail(ERROR_INVALID_HANDLE);
    return ::fsync(file->Fd()) == 0 ? TRUE : Fail(files::ErrnoToWin32(errno));
}

extern "C" DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName)
{
    std::optional<std::string> host = paths::ToHost(lpFileName);
    if (!host)
        return INVALID_FILE_ATTRIBUTES;
    struct stat st;
    if (::stat(host->c_str(), &st) != 0) {
        DWORD error = files::ErrnoToWin32(errno);
        Fail(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    return files::attributesOf(st);
}

extern "C" HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData)
{
    if (!lpFindFileData) {
        Fail(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::optional<std::string> host = paths::ToHost(lpFileName);
    if (!host)
        return INVALID_HANDLE_VALUE;
    std::string written = paths::FileNamePart(lpFileName);
    size_t slash = host->rfind('/');
    std::string folder = slash == 0 ? "/" : host->substr(0, slash);
    std::string pattern = written.empty() ? "*" : written;

    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        Fail(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<files::FindObject>();
    if (pattern.find_first_of("*?") == std::string::npos) {
        // No wildcard: the one entry of that name, found case-insensitively.
        std::string name = host->substr(slash + 1);
        WIN32_FIND_DATAA data;
        if (files::fillFindData(folder, name, &data))
            search->entries.push_back(data);
    } else if (std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir); dir) {
        while (dirent* entry = ::readdir(dir.get())) {
            WIN32_FIND_DATAA data;
            if (files::wildcardMatch(pattern.c_str(), paths::HostNameToAnsi(entry->d_name).c_str()) &&
                files::fillFindData(folder, entry->d_name, &data))
                search->entries.push_back(data);
        }
    }
    if (search->entries.empty()) {
        Fail(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *lpFindFileData = search->entries[search->next++];
    SetLastError(ERROR_SUCCESS);
    return handles::Insert(search);
}

extern "C" BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData)
{
    auto search = handles::GetAs<files::FindObject>(hFindFile);
    if (!search || !lpFindFileData)
        return Fail(ERROR_INVALID_HANDLE);
    if (search->next >= search->entries.size())
        return Fail(ERROR_NO_MORE_FILES);
    *lpFindFileData = search->entries[search->next++];
    return TRUE;
}

extern "C" BOOL WINAPI FindClose(HANDLE hFindFile)
{
    if (!handles::GetAs<files::FindObject>(hFindFile))
        return Fail(ERROR_INVALID_HANDLE);
    return CloseHandle(hFindFile);
}

extern "C" BOOL WINAPI DeleteFileA(LPCSTR lpFileName)
{
    std::optional<std::string> host = paths::ToHost(lpFileName);
    if (!host)
        return FALSE;
    if (files::IsInsideProfile(*host) || files::WriteDeniedToUser(*host))
        return Fail(ERROR_ACCESS_DENIED);
    // Deleting opens the file for DELETE, sharing everything.
    auto shareLock = files::LockShareTable();
    struct stat st;
    if (::stat(host->c_str(), &st) == 0 &&
        !files::MayOpen(st.st_dev, st.st_ino, files::FileAccess::Of(DELETE),
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return Fail(ERROR_SHARING_VIOLATION);
    return ::unlink(host->c_str()) == 0 ? TRUE : Fail(files::ErrnoToWin32(errno));
}

extern "C" BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    std::optional<std::string> host = paths::ToHost(lpPathName);
    if (!host)
        return FALSE;
    struct stat st;
    if (::stat(host->c_str(), &st) == 0)
        return Fail(ERROR_ALREADY_EXISTS);
    std::string parent = host->substr(0, host->rfind('/'));
    if (!parent.empty() && ::stat(parent.c_str(), &st) != 0)
        return Fail(ERROR_PATH_NOT_FOUND);
    if (files::IsInsideProfile(*host) || files::WriteDeniedToUser(*host))
        return Fail(ERROR_ACCESS_DENIED);
    return ::mkdir(host->c_str(), 0755) == 0 ? TRUE : Fail(files::ErrnoToWin32(errno));
}

namespace {
// Copies a text with the Win32 "buffer too small returns the needed size
// including the terminator" rule; returns the length without it on success.
DWORD copyOut(const std::string& text, LPSTR buffer, DWORD size)
{
    if (!buffer || size <= text.size())
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}
} // namespace

extern "C" DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof(cwd))) {
        Fail(files::ErrnoToWin32(errno));
        return 0;
    }
    return copyOut(paths::ToWindows(cwd), lpBuffer, nBufferLength);
}

extern "C" UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize)
{
    const Machine* machine = CurrentMachine();
    return copyOut(machine ? machine->WindowsDirectory() : std::string("C:\\Windows"), lpBuffer, uSize);
}

extern "C" UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize)
{
    const Machine* machine = CurrentMachine();
    return copyOut((machine ? machine->WindowsDirectory() : std::string("C:\\Windows")) + "\\system32", lpBuffer,
                   uSize);
}
