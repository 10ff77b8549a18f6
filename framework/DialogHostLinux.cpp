// The emulated PC has no screen: the pages are always in the user's
// browser, and what the window would say goes to standard error.
#include "framework/DialogHost.h"

#include <cstdio>

namespace afx {
namespace {

class HeadlessHost final : public DialogHost {
public:
    // Not a failure: the user's browser is this machine's way.
    bool ShowPages(const std::string&, DWORD, std::string& failure) override
    {
        failure.clear();
        return false;
    }
    void SetHostFlags(DWORD) override {}
    void ShowAddressLine(const std::string& note, const std::string& address, std::function<void()>) override
    {
        if (!note.empty())
            std::fprintf(stderr, "Ravlin: %s %s\n", note.c_str(), address.c_str());
    }
    void Resize() override {}
    void Focus() override {}
    bool TranslateKey(MSG*) override { return false; }
};

} // namespace

std::unique_ptr<DialogHost> DialogHost::Create(HWND)
{
    return std::make_unique<HeadlessHost>();
}

} // namespace afx
