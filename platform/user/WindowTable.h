// The process's windows: each handle names a window procedure, the thread
// that created the window (whose queue receives its posted messages) and a
// pointer for the procedure's own use. Handles are never reused, so a
// message posted to a destroyed window fails instead of reaching a newer one.
#pragma once

#include <win/user.h>

#include <optional>

namespace plat::ui::windows {

struct Window {
    DWORD threadId = 0;
    WNDPROC proc = nullptr;
    void* user = nullptr;
    BOOL visible = FALSE;
};

// A new window owned by the calling thread.
HWND Create(WNDPROC proc, void* user);
bool Destroy(HWND hwnd);
std::optional<Window> Find(HWND hwnd);
// Sets the visibility; returns the previous one, or nullopt for an unknown window.
std::optional<BOOL> SetVisible(HWND hwnd, BOOL visible);

} // namespace plat::ui::windows
