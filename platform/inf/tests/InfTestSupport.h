// Shared by the INF tests: a machine profile to write INF files into, and
// short ways to open them and read fields.
#pragma once

#include "core/testing/TempProfile.h"

#include <win/kernel.h>
#include <win/setupapi_inf.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace inftest {

// "[Version]" with a WIN4 signature, as most tests need it.
inline const std::string kHeader = "[Version]\r\nSignature=\"$Chicago$\"\r\n";

class InfTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_profile.Load(), ""); }
    void TearDown() override
    {
        for (HINF inf : m_open)
            SetupCloseInfFile(inf);
    }

    // Writes `text` as C:\Windows\INF\<name> and opens it by its full path.
    HINF Open(const std::string& text, DWORD style = INF_STYLE_WIN4, UINT* errorLine = nullptr,
              const std::string& name = "test.inf")
    {
        m_profile.Write("drive_c/Windows/INF/" + name, text);
        std::string path = "C:\\Windows\\INF\\" + name;
        HINF inf = SetupOpenInfFileA(path.c_str(), nullptr, style, errorLine);
        if (inf != INVALID_HANDLE_VALUE)
            m_open.push_back(inf);
        return inf;
    }

    // Loads the profile again with this machine.json.
    void UseMachine(const std::string& json)
    {
        m_profile.Write("machine.json", json);
        ASSERT_EQ(m_profile.Load(), "");
    }

    // Field `index` of the line, or "<none>" when it cannot be read.
    static std::string Field(INFCONTEXT& context, DWORD index)
    {
        char buffer[8192];
        if (!SetupGetStringFieldA(&context, index, buffer, sizeof(buffer), nullptr))
            return "<none>";
        return buffer;
    }

    // Fields 1..n of the line.
    static std::vector<std::string> Fields(INFCONTEXT& context)
    {
        std::vector<std::string> fields;
        DWORD count = SetupGetFieldCount(&context);
        for (DWORD i = 1; i <= count; ++i)
            fields.push_back(Field(context, i));
        return fields;
    }

    plat::testing::TempProfile m_profile;
    std::vector<HINF> m_open;
};

} // namespace inftest
