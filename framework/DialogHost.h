// What shows a CDHtmlDialog's pages inside its window. On Windows
// (DialogHostWindows.cpp) the window hosts the system's web browser control,
// which opens the page server's address; where there is no control, or an
// external browser shows the pages, the window shows one line with that
// address as a link. On the emulated PC (DialogHostLinux.cpp) the window has
// no screen: the pages are always in the user's browser.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace afx {

class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Puts the browser control into the dialog's client area and sends it
    // to `address`. False when the control cannot be created or activated
    // (the reason in `failure`) or the machine has none (`failure` empty):
    // the pages then go to an external browser.
    virtual bool ShowPages(const std::string& address, DWORD hostFlags, std::string& failure) = 0;
    // The control's host flags for the documents it loads from now on.
    virtual void SetHostFlags(DWORD hostFlags) = 0;
    // Shows one line in the window: `note`, then the address as a link
    // that calls `openAgain` (which opens the browser again).
    virtual void ShowAddressLine(const std::string& note, const std::string& address,
                                 std::function<void()> openAgain) = 0;
    // The dialog's client area has changed its size.
    virtual void Resize() = 0;
    // The dialog has been activated: the keyboard goes to the control.
    virtual void Focus() = 0;
    // Lets the control handle its keys (Tab between the page's elements,
    // Enter on a button) before the message is dispatched; true when it did.
    virtual bool TranslateKey(MSG* message) = 0;

    static std::unique_ptr<DialogHost> Create(HWND dialog);
};

} // namespace afx
