// One line in a dialog's client area (Windows only, AddressLineWindows.cpp):
// a note and then an address drawn as a link. A click on the link, or
// Enter or Space while the line has the keyboard, calls the link's action.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace afx {

class AddressLine {
public:
    AddressLine() = default;
    ~AddressLine();
    AddressLine(const AddressLine&) = delete;
    AddressLine& operator=(const AddressLine&) = delete;

    // Creates the line's window in `parent`, or changes its texts.
    bool Show(HWND parent, const std::string& note, const std::string& address, std::function<void()> open);
    void Move(const RECT& area);
    // The height the line needs in its parent's font.
    int Height() const;
    HWND Window() const { return m_window; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc);
    bool OverLink(LPARAM point) const;

    HWND m_window = NULL;
    std::string m_note;
    std::string m_address;
    std::function<void()> m_open;
    RECT m_link = {};
};

} // namespace afx
