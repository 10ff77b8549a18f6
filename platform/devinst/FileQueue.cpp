#include "devinst/FileQueue.h"

#include "core/AsciiText.h"
#include "core/LastError.h"
#include "devinst/Text.h"

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace plat::devinst::queues {
namespace {

struct Queue {
    std::vector<std::string> copies;
    std::set<std::string> seen; // upper-cased targets
};

struct Table {
    std::mutex mutex;
    std::map<uintptr_t, std::unique_ptr<Queue>> queues;
    uintptr_t next = 0x5F10000;
};

Table& table()
{
    static Table t;
    return t;
}

Queue* findLocked(HSPFILEQ handle)
{
    auto it = table().queues.find(reinterpret_cast<uintptr_t>(handle));
    return it == table().queues.end() ? nullptr : it->second.get();
}

} // namespace

DWORD AddCopies(HSPFILEQ handle, const std::vector<std::string>& targets)
{
    std::lock_guard<std::mutex> lock(table().mutex);
    Queue* queue = findLocked(handle);
    if (!queue)
        return ERROR_INVALID_HANDLE;
    for (const std::string& target : targets) {
        if (queue->seen.insert(plat::text::UpperAscii(target)).second)
            queue->copies.push_back(target);
    }
    return ERROR_SUCCESS;
}

bool IsQueue(HSPFILEQ handle)
{
    std::lock_guard<std::mutex> lock(table().mutex);
    return findLocked(handle) != nullptr;
}

} // namespace plat::devinst::queues

using namespace plat::devinst::queues;

extern "C" HSPFILEQ WINAPI SetupOpenFileQueue(void)
{
    std::lock_guard<std::mutex> lock(table().mutex);
    uintptr_t value = table().next;
    table().next += 0x10;
    table().queues.emplace(value, std::make_unique<Queue>());
    SetLastError(ERROR_SUCCESS);
    return reinterpret_cast<HSPFILEQ>(value);
}

extern "C" BOOL WINAPI SetupCloseFileQueue(HSPFILEQ QueueHandle)
{
    std::unique_ptr<Queue> closed;
    std::lock_guard<std::mutex> lock(table().mutex);
    auto it = table().queues.find(reinterpret_cast<uintptr_t>(QueueHandle));
    if (it == table().queues.end())
        return plat::Fail(ERROR_INVALID_HANDLE);
    closed = std::move(it->second);
    table().queues.erase(it);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

extern "C" BOOL WINAPI SetupGetFileQueueCount(HSPFILEQ FileQueue, UINT SubQueueFileOp, PUINT NumOperations)
{
    std::lock_guard<std::mutex> lock(table().mutex);
    Queue* queue = findLocked(FileQueue);
    if (!queue)
        return plat::Fail(ERROR_INVALID_HANDLE);
    if (!NumOperations || SubQueueFileOp > FILEOP_DELETE)
        return plat::Fail(ERROR_INVALID_PARAMETER);
    *NumOperations = SubQueueFileOp == FILEOP_COPY ? static_cast<UINT>(queue->copies.size()) : 0;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

extern "C" BOOL WINAPI SetupScanFileQueueA(HSPFILEQ FileQueue, DWORD Flags, HWND, PSP_FILE_CALLBACK_A CallbackRoutine,
                                           PVOID CallbackContext, PDWORD Result)
{
    std::vector<std::string> copies;
    {
        std::lock_guard<std::mutex> lock(table().mutex);
        Queue* queue = findLocked(FileQueue);
        if (!queue)
            return plat::Fail(ERROR_INVALID_HANDLE);
        copies = queue->copies;
    }
    // Exactly one way of scanning.
    DWORD mode = Flags & (SPQ_SCAN_FILE_PRESENCE | SPQ_SCAN_FILE_VALIDITY | SPQ_SCAN_USE_CALLBACK |
                          SPQ_SCAN_USE_CALLBACKEX);
    if (mode == 0 || (mode & (mode - 1)) != 0)
        return plat::Fail(ERROR_INVALID_PARAMETER);
    if (mode == SPQ_SCAN_USE_CALLBACKEX)
        return plat::Fail(ERROR_NOT_SUPPORTED);
    if (Result)
        *Result = 0;
    if (mode == SPQ_SCAN_USE_CALLBACK) {
        if (!CallbackRoutine)
            return plat::Fail(ERROR_INVALID_PARAMETER);
        // The callback runs without any lock held: it may call anything.
        for (const std::string& target : copies) {
            UINT answer = CallbackRoutine(CallbackContext, SPFILENOTIFY_QUEUESCAN,
                                          reinterpret_cast<UINT_PTR>(target.c_str()), 0);
            if (answer != NO_ERROR)
                return plat::Fail(answer);
        }
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    // Presence (validity is the same here: the emulated PC signs nothing).
    bool allPresent = true;
    for (const std::string& target : copies)
        allPresent = allPresent && GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (Result)
        *Result = allPresent ? 1 : 0;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
