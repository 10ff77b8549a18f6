// The dialog's texts are ANSI byte strings; the page speaks UTF-8 JSON.
// Text that is already valid UTF-8 passes unchanged; other bytes are taken
// as Windows-1252, the code page of the pages' languages with Latin script.
#pragma once

#include <string>

namespace plat::ui {

bool IsValidUtf8(const std::string& text);
std::string AnsiToUtf8(const std::string& text);

} // namespace plat::ui
