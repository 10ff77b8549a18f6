// The applet library as the Control Panel sees it: Quillset.so loaded with
// LoadLibraryA into this test program, which provides the platform, on a
// machine profile of the test's own.
#pragma once

#include "core/testing/TempProfile.h"

#include <cpl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

class AppletTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Loads a profile with these languages (a null `userDefault` takes the
    // UI language), `registry` as its only .reg file and the program folder
    // "C:\Program Files\Tarn\Ravlin" mapped to the profile's ravlin/.
    void UseMachine(LANGID userUI, LANGID systemDefault, const std::string& registry = "",
                    LANGID userDefault = 0);

    LONG_PTR Send(UINT message, LPARAM lParam1 = 0, LPARAM lParam2 = 0);
    // CPL_INIT, then CPL_NEWINQUIRE into a structure filled with garbage.
    NEWCPLINFOA Inquire();

    plat::testing::TempProfile m_profile;
    HMODULE m_module = nullptr;
    APPLET_PROC m_proc = nullptr;
};
