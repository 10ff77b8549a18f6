// Access to a CDHtmlDialog's page server for tests and tools that drive a
// dialog without a browser.
#pragma once

#include <afxdhtml.h>

#include <chrono>
#include <string>

namespace afx {

struct DHtmlDialogAccess {
    // The dialog's address (http://127.0.0.1:PORT/?token=...), once its
    // server runs; "" if it does not within `timeout`.
    static std::string WaitForAddress(CDHtmlDialog& dialog, std::chrono::milliseconds timeout);
    // How long the dialog waits after the last page request before it takes
    // the window as closed (default 5 s).
    static void SetCloseGrace(CDHtmlDialog& dialog, std::chrono::milliseconds grace);
    // How long the dialog waits for its first page before its window says
    // that none has loaded (default 60 s).
    static void SetFirstPageWait(CDHtmlDialog& dialog, std::chrono::milliseconds wait);
};

} // namespace afx
