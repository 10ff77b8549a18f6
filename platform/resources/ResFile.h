// The compiled resource file (.res) that a resource compiler makes from a
// .rc script: a sequence of records, each a header (size, type, name,
// language) and the resource's bytes, every record aligned to 4 bytes.
#pragma once

#include <win/types.h>

#include <string>
#include <vector>

namespace plat::resources {

// A resource type or name: a 16-bit number, or a string.
struct ResName {
    WORD id = 0;
    std::u16string name; // empty for a number

    bool IsId() const { return name.empty(); }
    // Names compare without regard to ASCII case, as Windows compares them.
    bool Matches(const ResName& other) const;
};

struct ResEntry {
    ResName type;
    ResName name;
    LANGID language = 0;
    const BYTE* data = nullptr; // into the .res bytes, which the caller keeps
    DWORD size = 0;
};

struct ResFileError {
    size_t offset = 0; // of the record that is broken
    std::string message;
    std::string ToString() const;
};

// Reads every resource of the .res bytes (the empty leading record that
// marks a 32-bit .res is skipped). False with `error` for a broken file.
bool ParseResFile(const BYTE* data, size_t size, std::vector<ResEntry>* entries, ResFileError* error);

} // namespace plat::resources
