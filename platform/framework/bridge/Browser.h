// Showing the dialog to the user: its address opens in the user's browser.
//
// The address is always printed on one line to standard output,
//     Ravlin: open http://127.0.0.1:PORT/?token=...
// and, when a display is available (DISPLAY or WAYLAND_DISPLAY is set), the
// browser is started with the address as its last argument: the command in
// RAVLIN_BROWSER (split at blanks, e.g. "chromium --app"), or xdg-open.
// RAVLIN_BROWSER=none starts nothing.
#pragma once

#include <string>

namespace plat::ui {

void OpenBrowser(const std::string& address);

} // namespace plat::ui
