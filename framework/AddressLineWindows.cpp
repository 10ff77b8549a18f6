#include "framework/AddressLine.h"
#include "framework/bridge/TextCodec.h"

#include <windowsx.h>

namespace afx {

using bridge::ToWide;
using bridge::WideText;

namespace {

const char kLineClass[] = "RavlinAddressLine";
constexpr int kMargin = 8;

HFONT lineFont(HWND window)
{
    HWND parent = GetParent(window);
    auto font = reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool registerClass(HINSTANCE module, WNDPROC procedure)
{
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExA(module, kLineClass, &existing))
        return true;
    WNDCLASSEXA lineClass = {};
    lineClass.cbSize = sizeof(lineClass);
    lineClass.style = CS_HREDRAW | CS_VREDRAW;
    lineClass.lpfnWndProc = procedure;
    lineClass.hInstance = module;
    lineClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    lineClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    lineClass.lpszClassName = kLineClass;
    return RegisterClassExA(&lineClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

AddressLine::~AddressLine()
{
    if (m_window) {
        SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

bool AddressLine::Show(HWND parent, const std::string& note, const std::string& address, std::function<void()> open)
{
    m_note = note;
    m_address = address;
    m_open = std::move(open);
    if (m_window) {
        InvalidateRect(m_window, NULL, TRUE);
        return true;
    }
    auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    if (!registerClass(module, &AddressLine::WindowProc))
        return false;
    m_window = CreateWindowExA(0, kLineClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, parent, NULL,
                               module, NULL);
    if (!m_window)
        return false;
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

void AddressLine::Move(const RECT& area)
{
    if (m_window)
        MoveWindow(m_window, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

int AddressLine::Height() const
{
    if (!m_window)
        return 0;
    HDC dc = GetDC(m_window);
    HGDIOBJ previous = SelectObject(dc, lineFont(m_window));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(m_window, dc);
    return metrics.tmHeight + 2 * kMargin;
}

void AddressLine::Paint(HDC dc)
{
    RECT client;
    GetClientRect(m_window, &client);
    HFONT font = lineFont(m_window);
    LOGFONTA underlined = {};
    GetObjectA(font, sizeof(underlined), &underlined);
    underlined.lfUnderline = TRUE;
    HFONT linkFont = CreateFontIndirectA(&underlined);

    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previous = SelectObject(dc, font);
    WideText note = ToWide(CP_UTF8, m_note + " ");
    WideText link = ToWide(CP_UTF8, m_address);
    SIZE noteSize = {};
    GetTextExtentPoint32W(dc, note.c_str(), static_cast<int>(note.size()), &noteSize);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    TextOutW(dc, kMargin, kMargin, note.c_str(), static_cast<int>(note.size()));

    SelectObject(dc, linkFont);
    SIZE linkSize = {};
    GetTextExtentPoint32W(dc, link.c_str(), static_cast<int>(link.size()), &linkSize);
    SetTextColor(dc, GetSysColor(COLOR_HOTLIGHT));
    int x = kMargin + noteSize.cx;
    TextOutW(dc, x, kMargin, link.c_str(), static_cast<int>(link.size()));
    m_link = {x, kMargin, x + linkSize.cx, kMargin + linkSize.cy};
    if (GetFocus() == m_window) {
        RECT focus = {m_link.left - 2, m_link.top - 1, m_link.right + 2, m_link.bottom + 1};
        DrawFocusRect(dc, &focus);
    }
    SelectObject(dc, previous);
    DeleteObject(linkFont);
}

bool AddressLine::OverLink(LPARAM point) const
{
    POINT at = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    return PtInRect(&m_link, at) != FALSE;
}

LRESULT CALLBACK AddressLine::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* line = reinterpret_cast<AddressLine*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!line)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        line->Paint(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window, NULL, TRUE);
        return 0;
    case WM_SETCURSOR: {
        POINT at;
        GetCursorPos(&at);
        ScreenToClient(window, &at);
        if (PtInRect(&line->m_link, at)) {
            SetCursor(LoadCursor(NULL, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONDOWN:
        SetFocus(window);
        return 0;
    case WM_LBUTTONUP:
        if (line->OverLink(lParam) && line->m_open)
            line->m_open();
        return 0;
    case WM_KEYDOWN:
        if ((wParam == VK_RETURN || wParam == VK_SPACE) && line->m_open) {
            line->m_open();
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace afx
