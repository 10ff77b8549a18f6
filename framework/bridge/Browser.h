// Showing the dialog to the user: its address opens in the user's browser.
//
// The address is always printed on one line to standard output,
//     Ravlin: open http://127.0.0.1:PORT/?token=...
// and then the browser is started with the address as its last argument:
// the command in RAVLIN_BROWSER (split at blanks, e.g. "chromium --app"),
// or the system's own way. RAVLIN_BROWSER=none starts nothing.
//   - Linux (BrowserLinux.cpp): only when a display is available (DISPLAY or
//     WAYLAND_DISPLAY is set); the system's way is xdg-open.
//   - Windows (BrowserWindows.cpp): the system's browser in an app window
//     (a window without tabs or address bar) when it offers one, otherwise
//     the program registered for http addresses.
#pragma once

#include <string>

namespace plat::ui {

void OpenBrowser(const std::string& address);

} // namespace plat::ui
