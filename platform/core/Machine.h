// The emulated PC: a machine profile folder with machine.json, registry/*.reg
// and drive_c/, or an overlay of another profile (core/Overlay.h). Which PC is emulated is a setting of the platform: the
// environment variable RAVLIN_MACHINE names the profile folder, and without
// it the profile "machines/default" installed beside the executable is used.
//
// Loading is explicit (plat::StartMachine in platform/boot, or a test
// fixture). Each API family registers a loader that reads its own part of the
// profile; a profile that any loader refuses is refused as a whole, with a
// message naming the file and the line or key.
#pragma once

#include <win/types.h>

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace plat {

struct ProfileError {
    std::string file;    // path of the offending file
    int line = 0;        // 1-based line, 0 when not known
    std::string key;     // dotted JSON key, when the problem is a value
    std::string message; // what is wrong
    std::string ToString() const;
};

struct OsVersion {
    DWORD major = 10;
    DWORD minor = 0;
    DWORD build = 19045;
    DWORD platformId = 2;
    std::string csd;
    int bits = 64; // the emulated system's word size
};

struct Languages {
    LANGID systemDefault = 0x0409;
    LANGID userDefault = 0x0409;
    LANGID userUI = 0x0409;
};

class Machine {
public:
    const std::string& Folder() const { return m_folder; }
    const std::string& JsonPath() const { return m_jsonPath; }
    const nlohmann::json& Json() const { return m_json; }
    // The C: drive's host folder: the profile's drive_c/, or for an overlay
    // the merged drive of all its layers.
    const std::string& DriveC() const { return m_drive; }
    // The profile folders, from the bottom base to this profile; one entry
    // for a profile without a base.
    const std::vector<std::string>& Layers() const { return m_layers; }
    // A path relative to the profile, found in the topmost layer that has it
    // (the profile's own folder when none has it).
    std::string ProfilePath(const std::string& relative) const;
    // Host folders the emulated PC must never write: every layer, and the
    // merged drive.
    std::vector<std::string> ReadOnlyFolders() const;
    const OsVersion& Os() const { return m_os; }
    const Languages& Langs() const { return m_langs; }
    const std::string& WindowsDirectory() const { return m_windowsDir; }
    const std::string& UserSid() const { return m_userSid; }
    // The user's profile folder (C:\Users\User) and whether the user is an
    // administrator; a standard user cannot write below the Windows and
    // program folders.
    const std::string& UserProfile() const { return m_userProfile; }
    bool UserIsAdministrator() const { return m_administrator; }
    // The user's local application data folder as Windows names it
    // (<profile>\AppData\Local). Unless the profile maps it in `folders`,
    // it is a writable host folder: RAVLIN_LOCALAPPDATA, or one in the host
    // user's state folder.
    std::string LocalAppData() const { return m_userProfile + "\\AppData\\Local"; }
    // Mapped Windows folders, longest first.
    struct FolderMapping {
        std::string windowsUpper; // upper-cased, backslashes, no trailing '\'
        std::string windows;      // as the profile wrote it
        std::string host;         // host folder
    };
    const std::vector<FolderMapping>& Folders() const { return m_folders; }

    // Reads the "key" member of the JSON object `parent` (path `where` for
    // messages), reporting a wrong type through `error`.
    bool ReadUInt(const nlohmann::json& parent, const char* key, const std::string& where, DWORD* out,
                  ProfileError* error) const;
    bool ReadString(const nlohmann::json& parent, const char* key, const std::string& where, std::string* out,
                    ProfileError* error) const;
    ProfileError KeyError(const std::string& key, const std::string& message) const;

private:
    friend bool LoadMachine(const std::string&, ProfileError*);
    bool LoadCore(const std::string& folder, ProfileError* error);

    std::string m_folder;
    std::string m_jsonPath;
    nlohmann::json m_json;
    std::string m_drive;
    std::vector<std::string> m_layers;
    OsVersion m_os;
    Languages m_langs;
    std::string m_windowsDir = "C:\\Windows";
    std::string m_userSid = "S-1-5-21-1000-1000-1000-1001";
    std::string m_userProfile = "C:\\Users\\User";
    bool m_administrator = false;
    std::vector<FolderMapping> m_folders;
};

using ProfileLoader = std::function<bool(const Machine&, ProfileError*)>;

// Adds a family's loader; loaders run in the order they were added.
void RegisterProfileLoader(const std::string& name, ProfileLoader loader);

// Loads the profile folder: machine.json first, then every registered
// loader. On failure the previous machine (if any) stays current.
bool LoadMachine(const std::string& folder, ProfileError* error);

// The machine loaded last; null before any load.
const Machine* CurrentMachine();

// The profile folder chosen by the environment, or the default one beside
// the executable.
std::string DefaultProfileFolder();

// The folder of the running executable (host path), or RAVLIN_BIN_DIR.
std::string ExecutableFolder();

} // namespace plat
