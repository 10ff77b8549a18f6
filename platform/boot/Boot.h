// Starting the emulated PC: every API family registers the loader of its
// part of the machine profile, then the profile chosen by the environment
// (or the default one beside the executable) is loaded.
#pragma once

#include <string>

namespace plat {

// Registers every family's loader (idempotent).
void RegisterAllProfileLoaders();

// Loads the current profile; false with a message naming the file and line
// or key when the profile is broken.
bool StartMachine(std::string* error);

// The same for a given profile folder (tests, tools).
bool StartMachineFrom(const std::string& folder, std::string* error);

} // namespace plat
