#include "core/Machine.h"

#include "core/AsciiText.h"
#include "core/DriveView.h"
#include "core/Overlay.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <sstream>
#include <unistd.h>

namespace plat {
namespace {

struct NamedLoader {
    std::string name;
    ProfileLoader loader;
};

std::vector<NamedLoader>& loaders()
{
    static std::vector<NamedLoader> list;
    return list;
}

std::shared_ptr<const Machine>& current()
{
    static std::shared_ptr<const Machine> machine;
    return machine;
}

std::mutex& loadMutex()
{
    static std::mutex m;
    return m;
}

// The host folder behind the user's local application data: the
// environment's RAVLIN_LOCALAPPDATA, else a folder of the host user's state.
std::string LocalAppDataHostFolder()
{
    if (const char* chosen = std::getenv("RAVLIN_LOCALAPPDATA"); chosen && *chosen)
        return chosen;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return std::string(state) + "/ravlin/LocalAppData";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::string(home) + "/.local/state/ravlin/LocalAppData";
    return "/tmp/ravlin-" + std::to_string(getuid()) + "/LocalAppData";
}

std::string upperWindowsFolder(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    if (path.size() == 3 && path[2] == '\\')
        path.pop_back(); // "C:\" -> "C:"
    return text::UpperAscii(std::move(path));
}

bool parseUInt(const nlohmann::json& value, DWORD* out)
{
    if (value.is_number_unsigned() || (value.is_number_integer() && value.get<int64_t>() >= 0)) {
        uint64_t v = value.get<uint64_t>();
        if (v > 0xFFFFFFFFull)
            return false;
        *out = static_cast<DWORD>(v);
        return true;
    }
    if (value.is_string()) {
        const std::string& s = value.get_ref<const std::string&>();
        if (s.empty())
            return false;
        char* end = nullptr;
        unsigned long long v = std::strtoull(s.c_str(), &end, 0);
        if (*end != '\0' || v > 0xFFFFFFFFull)
            return false;
        *out = static_cast<DWORD>(v);
        return true;
    }
    return false;
}

} // namespace

std::string ProfileError::ToString() const
{
    std::ostringstream out;
    out << file;
    if (line > 0)
        out << ":" << line;
    if (!key.empty())
        out << ": " << key;
    out << ": " << message;
    return out.str();
}

ProfileError Machine::KeyError(const std::string& key, const std::string& message) const
{
    ProfileError e;
    e.file = m_jsonPath;
    e.key = key;
    e.message = message;
    return e;
}

bool Machine::ReadUInt(const nlohmann::json& parent, const char* key, const std::string& where, DWORD* out,
                       ProfileError* error) const
{
    auto it = parent.find(key);
    if (it == parent.end())
        return true;
    if (!parseUInt(*it, out)) {
        if (error)
            *error = KeyError(where + key, "expected a number (decimal, or a string such as \"0x0409\")");
        return false;
    }
    return true;
}

bool Machine::ReadString(const nlohmann::json& parent, const char* key, const std::string& where,
                         std::string* out, ProfileError* error) const
{
    auto it = parent.find(key);
    if (it == parent.end())
        return true;
    if (!it->is_string()) {
        if (error)
            *error = KeyError(where + key, "expected a string");
        return false;
    }
    *out = it->get<std::string>();
    return true;
}

bool Machine::LoadCore(const std::string& folder, ProfileError* error)
{
    m_folder = folder;
    while (m_folder.size() > 1 && m_folder.back() == '/')
        m_folder.pop_back();
    m_jsonPath = m_folder + "/machine.json";

    std::vector<overlay::Layer> chain;
    if (!overlay::ReadChain(m_folder, &chain, error))
        return false;
    m_layers.clear();
    for (const auto& layer : chain)
        m_layers.push_back(layer.folder);
    if (chain.size() == 1) {
        m_json = std::move(chain.front().json);
        m_drive = m_folder + "/drive_c";
    } else {
        m_json = overlay::MergedJson(chain);
        if (!overlay::BuildDrive(chain, &m_drive, error))
            return false;
    }

    if (auto os = m_json.find("os"); os != m_json.end()) {
        if (!os->is_object()) {
            *error = KeyError("os", "expected an object");
            return false;
        }
        DWORD bits = static_cast<DWORD>(m_os.bits);
        if (!ReadUInt(*os, "major", "os.", &m_os.major, error) || !ReadUInt(*os, "minor", "os.", &m_os.minor, error) ||
            !ReadUInt(*os, "build", "os.", &m_os.build, error) ||
            !ReadUInt(*os, "platformId", "os.", &m_os.platformId, error) ||
            !ReadString(*os, "csd", "os.", &m_os.csd, error) || !ReadUInt(*os, "bits", "os.", &bits, error))
            return false;
        if (bits != 32 && bits != 64) {
            *error = KeyError("os.bits", "must be 32 or 64");
            return false;
        }
        m_os.bits = static_cast<int>(bits);
        if (m_os.csd.size() >= 128) {
            *error = KeyError("os.csd", "longer than 127 characters");
            return false;
        }
    }
    if (auto langs = m_json.find("languages"); langs != m_json.end()) {
        if (!langs->is_object()) {
            *error = KeyError("languages", "expected an object");
            return false;
        }
        DWORD sys = m_langs.systemDefault, user = m_langs.userDefault, ui = m_langs.userUI;
        if (!ReadUInt(*langs, "systemDefault", "languages.", &sys, error) ||
            !ReadUInt(*langs, "userDefault", "languages.", &user, error) ||
            !ReadUInt(*langs, "userUI", "languages.", &ui, error))
            return false;
        if (sys > 0xFFFF || user > 0xFFFF || ui > 0xFFFF) {
            *error = KeyError("languages", "a language identifier has 16 bits");
            return false;
        }
        m_langs = Languages{static_cast<LANGID>(sys), static_cast<LANGID>(user), static_cast<LANGID>(ui)};
    }
    if (!ReadString(m_json, "windowsDirectory", "", &m_windowsDir, error) ||
        !ReadString(m_json, "user", "", &m_userSid, error))
        return false;
    if (m_windowsDir.size() < 3 || m_windowsDir[1] != ':') {
        *error = KeyError("windowsDirectory", "must be a drive path such as C:\\Windows");
        return false;
    }
    if (!ReadString(m_json, "userProfile", "", &m_userProfile, error))
        return false;
    if (m_userProfile.size() < 4 || m_userProfile[1] != ':' || m_userProfile[2] != '\\') {
        *error = KeyError("userProfile", "must be a drive path such as C:\\Users\\User");
        return false;
    }
    while (m_userProfile.back() == '\\')
        m_userProfile.pop_back();
    if (auto admin = m_json.find("administrator"); admin != m_json.end()) {
        if (!admin->is_boolean()) {
            *error = KeyError("administrator", "expected true or false");
            return false;
        }
        m_administrator = admin->get<bool>();
    }

    // Drive and folder mappings: the profile's own folders first, so that a
    // longer Windows prefix wins over the drive it lies on.
    m_folders.clear();
    if (auto folders = m_json.find("folders"); folders != m_json.end()) {
        if (!folders->is_object()) {
            *error = KeyError("folders", "expected an object of \"Windows folder\": \"host folder\"");
            return false;
        }
        for (auto& [win, host] : folders->items()) {
            if (!host.is_string() || win.size() < 2 || win[1] != ':') {
                *error = KeyError("folders." + win, "expected a drive path mapped to a host folder string");
                return false;
            }
            std::string hostPath = host.get<std::string>();
            if (hostPath == "@bin")
                hostPath = ExecutableFolder();
            else if (!hostPath.empty() && hostPath[0] != '/')
                hostPath = ProfilePath(hostPath);
            std::string written = win;
            std::replace(written.begin(), written.end(), '/', '\\');
            while (written.size() > 2 && written.back() == '\\')
                written.pop_back();
            m_folders.push_back(FolderMapping{upperWindowsFolder(win), written, hostPath});
        }
    }
    // The user's local application data is writable, as on Windows: it lies
    // outside the profile, which the emulated PC never writes.
    m_folders.push_back(FolderMapping{upperWindowsFolder(LocalAppData()), LocalAppData(), LocalAppDataHostFolder()});
    m_folders.push_back(FolderMapping{"C:", "C:", DriveC()});
    m_folders.push_back(FolderMapping{"Z:", "Z:", "/"});
    std::stable_sort(m_folders.begin(), m_folders.end(),
                     [](const auto& a, const auto& b) { return a.windowsUpper.size() > b.windowsUpper.size(); });
    return true;
}

std::string Machine::ProfilePath(const std::string& relative) const
{
    for (auto layer = m_layers.rbegin(); layer != m_layers.rend(); ++layer) {
        std::string path = *layer + "/" + relative;
        if (access(path.c_str(), F_OK) == 0)
            return path;
    }
    return m_folder + "/" + relative;
}

std::vector<std::string> Machine::ReadOnlyFolders() const
{
    std::vector<std::string> folders = m_layers;
    if (m_layers.size() > 1)
        folders.push_back(m_drive);
    return folders;
}

void RegisterProfileLoader(const std::string& name, ProfileLoader loader)
{
    std::lock_guard<std::mutex> lock(loadMutex());
    for (auto& entry : loaders()) {
        if (entry.name == name) {
            entry.loader = std::move(loader);
            return;
        }
    }
    loaders().push_back(NamedLoader{name, std::move(loader)});
}

bool LoadMachine(const std::string& folder, ProfileError* error)
{
    ProfileError local;
    if (!error)
        error = &local;
    std::lock_guard<std::mutex> lock(loadMutex());
    auto machine = std::make_shared<Machine>();
    std::shared_ptr<const Machine> previous = current();
    // A reader that takes a value of the wrong type for granted throws the
    // JSON library's type_error or out_of_range; that is refused as any
    // other fault of the profile, never let out of here.
    auto refuse = [&](const nlohmann::json::exception& e) {
        *error = ProfileError{folder + "/machine.json", 0, "", std::string("a value has the wrong type or range: ") + e.what()};
    };
    try {
        if (!machine->LoadCore(folder, error))
            return false;
    } catch (const nlohmann::json::exception& e) {
        refuse(e);
        return false;
    }
    // Family loaders see the new machine while they load; on failure the
    // previous one is put back.
    current() = machine;
    for (auto& entry : loaders()) {
        bool loaded = false;
        try {
            loaded = entry.loader(*machine, error);
        } catch (const nlohmann::json::exception& e) {
            refuse(e);
        }
        if (!loaded) {
            current() = previous;
            if (previous) {
                // Put every family back on the previous machine as well.
                ProfileError ignored;
                for (auto& again : loaders()) {
                    try {
                        again.loader(*previous, &ignored);
                    } catch (const nlohmann::json::exception&) {
                        // It loaded before; nothing better to do than go on.
                    }
                }
            }
            return false;
        }
    }
    return true;
}

const Machine* CurrentMachine()
{
    return current().get();
}

std::string ExecutableFolder()
{
    if (const char* dir = std::getenv("RAVLIN_BIN_DIR"); dir && *dir)
        return dir;
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0)
        return ".";
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

std::string DefaultProfileFolder()
{
    if (const char* env = std::getenv("RAVLIN_MACHINE"); env && *env) {
        std::string name = env;
        // A folder path names a profile anywhere; a bare name that is no
        // folder here picks one of the built-in profiles.
        if (name.find('/') == std::string::npos && access(name.c_str(), F_OK) != 0)
            return ExecutableFolder() + "/machines/" + name;
        return name;
    }
    return ExecutableFolder() + "/machines/default";
}

} // namespace plat
