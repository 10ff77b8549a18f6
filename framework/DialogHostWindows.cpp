// The dialog's client area on Windows: the browser control fills it; the
// address line, when it is shown, takes a strip at its top (or all of it
// when there is no control).
#include "framework/DialogHost.h"

#include "framework/AddressLine.h"
#include "framework/BrowserControl.h"

#include <ole2.h>

namespace afx {
namespace {

class WindowHost final : public DialogHost {
public:
    explicit WindowHost(HWND dialog) : m_dialog(dialog) {}

    ~WindowHost() override
    {
        m_control.reset(); // before OLE goes
        if (m_oleReady)
            OleUninitialize();
    }

    bool ShowPages(const std::string& address, DWORD hostFlags, std::string& failure) override
    {
        HRESULT result = OleInitialize(NULL);
        m_oleReady = SUCCEEDED(result);
        if (!m_oleReady) {
            failure = "OleInitialize failed";
            return false;
        }
        m_control = BrowserControl::Create(m_dialog, ControlArea(), hostFlags, failure);
        if (!m_control)
            return false;
        if (!m_control->Navigate(address)) {
            failure = "The browser control refused the address";
            m_control.reset();
            return false;
        }
        Resize();
        if (GetForegroundWindow() == m_dialog)
            m_control->Focus();
        return true;
    }

    void SetHostFlags(DWORD hostFlags) override
    {
        if (m_control)
            m_control->SetHostFlags(hostFlags);
    }

    void ShowAddressLine(const std::string& note, const std::string& address,
                         std::function<void()> openAgain) override
    {
        m_line.Show(m_dialog, note, address, std::move(openAgain));
        Resize();
        if (!m_control)
            SetFocus(m_line.Window());
    }

    void Resize() override
    {
        RECT client;
        GetClientRect(m_dialog, &client);
        if (m_line.Window()) {
            RECT strip = client;
            if (m_control)
                strip.bottom = strip.top + m_line.Height();
            m_line.Move(strip);
        }
        if (m_control)
            m_control->Move(ControlArea());
    }

    void Focus() override
    {
        if (m_control)
            m_control->Focus();
        else if (m_line.Window())
            SetFocus(m_line.Window());
    }

    bool TranslateKey(MSG* message) override { return m_control && m_control->TranslateKey(message); }

private:
    RECT ControlArea() const
    {
        RECT client;
        GetClientRect(m_dialog, &client);
        if (m_line.Window())
            client.top += m_line.Height();
        return client;
    }

    HWND m_dialog;
    bool m_oleReady = false;
    std::unique_ptr<BrowserControl> m_control;
    AddressLine m_line;
};

} // namespace

std::unique_ptr<DialogHost> DialogHost::Create(HWND dialog)
{
    return std::make_unique<WindowHost>(dialog);
}

} // namespace afx
