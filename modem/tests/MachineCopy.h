// Test support: a copy of a built-in machine profile that a test may change
// (extra .reg files, machine.json edits, files of drive C:) before loading
// it, and the trace file's lines.
#pragma once

#include "Trace.h"
#include "core/testing/TempProfile.h"
#include "devinst/DevNodes.h"
#include "registry/RegExportText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace modem_testing {

class MachineCopy {
public:
    explicit MachineCopy(const std::string& name = "default")
    {
        plat::devinst::RegisterLoader();
        std::filesystem::copy(std::string(RAVLIN_SOURCE_DIR) + "/machines/" + name, m_profile.Folder(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }

    // Adds a registry file that is applied after the profile's own.
    void AddReg(const std::string& text) const
    {
        m_profile.Write("registry/90-test.reg", plat::registry::kRegFileHeader + text);
    }
    void EditJson(const std::function<void(nlohmann::json&)>& edit) const
    {
        std::ifstream in(m_profile.Path("machine.json"));
        nlohmann::json json = nlohmann::json::parse(in);
        edit(json);
        m_profile.Write("machine.json", json.dump(2));
    }
    std::string Read(const std::string& relative) const
    {
        std::ifstream in(m_profile.Path(relative), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void Write(const std::string& relative, const std::string& text) const { m_profile.Write(relative, text); }
    void Remove(const std::string& relative) const { std::filesystem::remove(m_profile.Path(relative)); }
    std::string Load() const { return m_profile.Load(); }

private:
    plat::testing::TempProfile m_profile;
};

// Starts a fresh trace file in the current directory.
inline void StartTrace()
{
    TraceSetName("Ravlin_Trace");
    TraceSetLevel(20);
}

// The bodies of the trace file's lines (without time, thread and CR LF).
inline std::vector<std::string> TraceLines()
{
    std::ifstream in("Ravlin_Trace.trc", std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t body = line.find(": ");
        lines.push_back(body == std::string::npos ? line : line.substr(body + 2));
    }
    return lines;
}

inline int CountLines(const std::vector<std::string>& lines, const std::string& text)
{
    int n = 0;
    for (const std::string& line : lines)
        n += line == text;
    return n;
}

// Whether `expected` occurs in `lines` in this order (other lines between).
inline ::testing::AssertionResult InOrder(const std::vector<std::string>& lines,
                                          const std::vector<std::string>& expected)
{
    size_t at = 0;
    for (const std::string& want : expected) {
        while (at < lines.size() && lines[at] != want)
            ++at;
        if (at == lines.size())
            return ::testing::AssertionFailure() << "missing or out of order: \"" << want << "\"";
        ++at;
    }
    return ::testing::AssertionSuccess();
}

} // namespace modem_testing
