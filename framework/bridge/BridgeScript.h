// The page side of the bridge: a small script that every served page gets.
// It reports the document's load and clicks on bound elements, applies the
// texts the dialog sets, follows the dialog's navigation and keeps a long
// poll open, so that the dialog notices when the tab is closed.
#pragma once

#include <string>

namespace afx::bridge {

// The script, served as /bridge/bridge.js.
const char* BridgeScript();

// The page with the script and the page icon added to its head.
std::string InjectBridge(const std::string& html);

// A page for an address that names no file, with the bridge, so that the
// window stays connected to the dialog.
std::string MissingPage(const std::string& address);

} // namespace afx::bridge
