// Showing the dialog's pages in an external browser: the user's browser
// on Linux; on Windows only when RAVLIN_BROWSER names one or the window's
// browser control cannot be created (DHtmlDialog.cpp decides).
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

#include <cstdlib>
#include <string>

namespace afx::bridge {

// Prints the address line only.
void PrintAddress(const std::string& address);
// Prints the address line and starts the browser.
void OpenBrowser(const std::string& address);

// The browser command RAVLIN_BROWSER names ("none" included); "" when it is
// unset or blank, and the system's way applies.
inline std::string NamedBrowser()
{
    const char* setting = std::getenv("RAVLIN_BROWSER");
    std::string command = setting ? setting : "";
    command.erase(0, command.find_first_not_of(' '));
    command.erase(command.find_last_not_of(' ') + 1);
    return command;
}

} // namespace afx::bridge
