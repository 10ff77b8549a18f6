#include "inf/InfHandles.h"

#include <map>
#include <mutex>

namespace plat::inf {
namespace {

// HINF values step by 16 from far above any small integer, so that a
// number or a kernel HANDLE passed by mistake is not taken for one.
constexpr uintptr_t kFirstHandle = 0x1F000010;

struct Table {
    std::mutex lock;
    std::map<uintptr_t, std::shared_ptr<const InfFile>> files;
    uintptr_t next = kFirstHandle;
};

Table& table()
{
    static Table instance;
    return instance;
}

} // namespace

HINF InsertInf(std::shared_ptr<const InfFile> file)
{
    Table& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    uintptr_t value = t.next;
    t.next += 0x10;
    t.files.emplace(value, std::move(file));
    return reinterpret_cast<HINF>(value);
}

std::shared_ptr<const InfFile> LookupInf(HINF handle)
{
    Table& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    auto found = t.files.find(reinterpret_cast<uintptr_t>(handle));
    return found == t.files.end() ? nullptr : found->second;
}

bool RemoveInf(HINF handle)
{
    Table& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    return t.files.erase(reinterpret_cast<uintptr_t>(handle)) > 0;
}

} // namespace plat::inf
