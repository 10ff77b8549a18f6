// Exports registry keys in regedit's format, read through the ANSI registry
// API. Keys are written in the order they were added, each subtree in the
// registry's own enumeration order, as regedit does.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace capture {

enum class Depth { KeyOnly, WithSubkeys };

class RegExport {
public:
    // `root` is written as `rootName` ("HKEY_LOCAL_MACHINE"); `path` is the
    // subkey below it. A key that does not open is left out and false is
    // returned, so the caller can note it.
    bool Add(HKEY root, const std::string& rootName, const std::string& path, Depth depth);

    size_t KeyCount() const { return m_keys; }
    // The file's text (ANSI) and its bytes as written (UTF-16LE with BOM).
    const std::string& Text() const { return m_text; }
    std::string FileBytes() const;

private:
    void exportKey(HKEY key, const std::string& fullPath, Depth depth);
    void exportValues(HKEY key);

    std::string m_text;
    size_t m_keys = 0;
};

} // namespace capture
