// Parser of regedit's export files ("Windows Registry Editor Version 5.00"
// and "REGEDIT4"). It reads one file and reports what the file says to a
// sink, key line by key line and value by value; it knows nothing of the
// key tree the sink builds. Every fault stops the parse with its line.
#pragma once

#include "registry/RegFileText.h"

#include <win/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace plat::registry {

enum class RegRoot { LocalMachine, CurrentUser, ClassesRoot, Users, CurrentConfig };

enum class RegFileFormat { Regedit4, Version5 };

struct RegKeyPath {
    RegRoot root = RegRoot::LocalMachine;
    std::vector<std::string> elements; // below the root; empty for the root itself
};

class RegFileSink {
public:
    virtual ~RegFileSink() = default;
    virtual void OnKey(const RegKeyPath& key) = 0;
    virtual void OnDeleteKey(const RegKeyPath& key) = 0;
    // `name` is "" for the default value; `data` as stored (strings UTF-16LE).
    virtual void OnValue(const std::string& name, DWORD type, std::vector<BYTE> data) = 0;
    virtual void OnDeleteValue(const std::string& name) = 0;
};

// Parses the bytes of one .reg file into `sink`.
bool ParseRegFile(std::string_view bytes, RegFileSink& sink, RegFileError* error);

// The full name of a root ("HKEY_LOCAL_MACHINE").
const char* RootName(RegRoot root);

} // namespace plat::registry
