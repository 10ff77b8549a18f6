#include "inf/InfLoader.h"

#include "core/CaseFolding.h"
#include "core/CodePages.h"
#include "core/Machine.h"
#include "core/Paths.h"

#include <win/errors.h>
#include <win/setupapi_inf.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace plat::inf {
namespace {

struct Candidate {
    std::string windowsPath;
    std::string hostPath;
};

bool isDrivePath(const std::string& path)
{
    return path.size() >= 2 && path[1] == ':';
}

// Reads a whole host file; on failure the Win32 error CreateFile would give.
DWORD readFile(const std::string& hostPath, std::string* bytes)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::file_status status = fs::status(hostPath, ec);
    if (!fs::exists(status)) {
        fs::path parent = fs::path(hostPath).parent_path();
        return parent.empty() || fs::is_directory(parent, ec) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    if (fs::is_directory(status))
        return ERROR_ACCESS_DENIED;
    std::ifstream in(hostPath, std::ios::binary);
    if (!in)
        return ERROR_ACCESS_DENIED;
    std::ostringstream content;
    content << in.rdbuf();
    *bytes = std::move(content).str();
    return ERROR_SUCCESS;
}

std::vector<std::string> searchPaths(const std::string& name, const std::string& windowsDirectory)
{
    if (name.find_first_of("\\/") != std::string::npos)
        return {name};
    std::string windows = windowsDirectory;
    if (!windows.empty() && windows.back() != '\\')
        windows += '\\';
    return {windows + "INF\\" + name, windows + "system32\\" + name};
}

} // namespace

LoadOutcome LoadInfFile(const char* windowsPath, DWORD style, const char* infClass)
{
    LoadOutcome outcome;
    if (!windowsPath || !*windowsPath || (style & (INF_STYLE_OLDNT | INF_STYLE_WIN4)) == 0) {
        outcome.error.code = ERROR_INVALID_PARAMETER;
        return outcome;
    }
    const Machine* machine = CurrentMachine();
    ParseSettings settings;
    if (machine) {
        settings.windowsDirectory = codepages::FromMachineAnsi(machine->WindowsDirectory());
        settings.uiLanguage = machine->Langs().userUI;
        settings.osBits = machine->Os().bits;
    }
    settings.codePage = codepages::SystemAnsiCodePage();

    std::vector<std::string> candidates = searchPaths(windowsPath, settings.windowsDirectory);
    std::string bytes;
    DWORD readError = ERROR_FILE_NOT_FOUND;
    for (const std::string& candidate : candidates) {
        auto host = paths::ToHost(candidate.c_str());
        if (!host) {
            readError = ERROR_PATH_NOT_FOUND;
            continue;
        }
        readError = readFile(*host, &bytes);
        if (readError == ERROR_SUCCESS) {
            settings.path = codepages::FromMachineAnsi(isDrivePath(candidate) ? candidate : paths::ToWindows(*host));
            break;
        }
    }
    if (readError != ERROR_SUCCESS) {
        // A bare name that is in none of the searched folders is not found.
        outcome.error.code = candidates.size() > 1 ? ERROR_FILE_NOT_FOUND : readError;
        return outcome;
    }

    std::shared_ptr<const InfFile> file = InfFile::Parse(bytes, settings, &outcome.error);
    if (!file)
        return outcome;
    if (file->Style() == InfStyle::OldNt && !(style & INF_STYLE_OLDNT)) {
        outcome.error = ParseError{ERROR_WRONG_INF_STYLE, 0};
        return outcome;
    }
    if (infClass) {
        const std::string* fileClass = file->Value("Version", "Class");
        if (!fileClass || !text::EqualNoCase(*fileClass, codepages::FromMachineAnsi(infClass))) {
            outcome.error = ParseError{ERROR_CLASS_MISMATCH, 0};
            return outcome;
        }
    }
    outcome.file = std::move(file);
    return outcome;
}

} // namespace plat::inf
