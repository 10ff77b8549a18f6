#include "user/WindowTable.h"

#include "user/MessageQueue.h"

#include <win/kernel.h>

#include <map>
#include <mutex>

namespace plat::ui::windows {
namespace {

std::mutex g_mutex;
std::map<HWND, Window>& table()
{
    static std::map<HWND, Window> all;
    return all;
}
ULONG_PTR g_next = 0x10010; // window handles look like small even numbers, as on Windows

} // namespace

HWND Create(WNDPROC proc, void* user)
{
    CurrentQueue(); // a thread that creates a window has a message queue
    Window window;
    window.threadId = GetCurrentThreadId();
    window.proc = proc;
    window.user = user;
    std::lock_guard<std::mutex> lock(g_mutex);
    HWND hwnd = reinterpret_cast<HWND>(g_next);
    g_next += 4;
    table()[hwnd] = window;
    return hwnd;
}

bool Destroy(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return table().erase(hwnd) > 0;
}

std::optional<Window> Find(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = table().find(hwnd);
    if (it == table().end())
        return std::nullopt;
    return it->second;
}

std::optional<BOOL> SetVisible(HWND hwnd, BOOL visible)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = table().find(hwnd);
    if (it == table().end())
        return std::nullopt;
    BOOL previous = it->second.visible;
    it->second.visible = visible;
    return previous;
}

} // namespace plat::ui::windows
