// The system's web browser control (CLSID_WebBrowser, IWebBrowser2) in a
// dialog's client area, held through an OLE container of our own
// (BrowserControlWindows.cpp; Windows only). The container answers the
// control's questions: the window and its rectangle (IOleClientSite,
// IOleInPlaceSite, IOleInPlaceFrame) and the host flags of every document
// it loads (IDocHostUIHandler::GetHostInfo).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace afx {

class BrowserControl {
public:
    // Creates the control and activates it in place in `parent` over
    // `area`; nullptr (with the reason in `failure`) when either fails.
    static std::unique_ptr<BrowserControl> Create(HWND parent, const RECT& area, DWORD hostFlags,
                                                  std::string& failure);
    ~BrowserControl();
    BrowserControl(const BrowserControl&) = delete;
    BrowserControl& operator=(const BrowserControl&) = delete;

    // Sends the control to an address; false when it refuses.
    bool Navigate(const std::string& address);
    void SetHostFlags(DWORD hostFlags);
    void Move(const RECT& area);
    // The control takes the keyboard (UI activation).
    void Focus();
    // Keys for the control's own windows go to the control first: true when
    // it has handled the message.
    bool TranslateKey(MSG* message);
    // The control's outer window (a child of the dialog).
    HWND Window() const;

    struct Site;

private:
    BrowserControl() = default;
    Site* m_site = nullptr; // holds the control; released when this ends
};

} // namespace afx
