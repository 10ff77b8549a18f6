// Test support: a throw-away machine profile folder. Tests write the files
// they need (machine.json, registry/*.reg, drive_c/...) and load it.
#pragma once

#include "core/Machine.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace plat::testing {

class TempProfile {
public:
    TempProfile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "ravlin-profile-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        m_folder = made ? made : "";
        std::filesystem::create_directories(m_folder + "/registry");
        std::filesystem::create_directories(m_folder + "/drive_c/Windows/INF");
        Write("machine.json", "{}");
    }
    ~TempProfile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    TempProfile(const TempProfile&) = delete;
    TempProfile& operator=(const TempProfile&) = delete;

    const std::string& Folder() const { return m_folder; }
    std::string Path(const std::string& relative) const { return m_folder + "/" + relative; }

    // Writes a file below the profile, creating its folders.
    void Write(const std::string& relative, const std::string& content) const
    {
        std::filesystem::path path = m_folder + "/" + relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }

    // Loads the profile as the current machine; returns the error text, or
    // "" on success.
    std::string Load() const
    {
        ProfileError error;
        return LoadMachine(m_folder, &error) ? std::string() : error.ToString();
    }

private:
    std::string m_folder;
};

} // namespace plat::testing
