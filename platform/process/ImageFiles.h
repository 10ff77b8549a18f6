// Finding program and library files on the emulated PC. Windows names
// images with an extension (".exe", ".dll"); the Linux builds of the same
// images have none (programs) or ".so" (libraries). A Windows name therefore
// finds, in this order:
//   program "X.exe"           -> X.exe, then X
//   library "X.dll" / "X.cpl" -> the file itself, then X.so
//   library "X"               -> X.dll, then X.so (Windows appends ".dll")
// A name without a path is searched in the executable's folder, the current
// directory, the system folder and the Windows folder, as Windows does.
#pragma once

#include <win/types.h>

#include <optional>
#include <string>
#include <vector>

namespace plat::process {

enum class ImageKind { Program, Library };

// The Windows spellings that are looked for, in order.
std::vector<std::string> ImageFileNames(const std::string& windowsName, ImageKind kind);

// The host path of the first spelling that is an existing regular file.
// On failure `error` is ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when
// the folder does not exist either.
std::optional<std::string> FindImage(const std::string& windowsName, ImageKind kind, DWORD* error);

// Whether the name is a file name alone (no folder, no drive).
bool IsBareName(const std::string& name);

} // namespace plat::process
