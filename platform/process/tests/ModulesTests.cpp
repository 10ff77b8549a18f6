#include "core/testing/TempProfile.h"
#include "process/Modules.h"

#include <win/errors.h>
#include <win/kernel.h>
#include <win/modules.h>

#include <gtest/gtest.h>

#include <cstdlib>

using plat::testing::TempProfile;

namespace {

class Modules : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_profile.Write("machine.json", R"({"folders": {"C:\\Program Files\\Tarn\\Tests": "@bin"}})");
        m_profile.Write("drive_c/NotALibrary.dll", "MZ this is no ELF image");
        ASSERT_EQ(m_profile.Load(), "");
    }
    TempProfile m_profile;
};

std::string moduleFileName(HMODULE module)
{
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(module, buffer, sizeof(buffer));
    return std::string(buffer, n);
}

template <typename T>
T procOf(HMODULE module, const char* name)
{
    // Through void(*)(), the type GCC accepts between unrelated function types.
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

TEST_F(Modules, TheExecutableIsShownAsAWindowsImage)
{
    HMODULE exe = GetModuleHandleA(nullptr);
    ASSERT_NE(exe, nullptr);
    EXPECT_EQ(exe, plat::modules::Executable());
    EXPECT_EQ(moduleFileName(nullptr), "C:\\Program Files\\Tarn\\Tests\\plat_process_tests.exe");
    EXPECT_EQ(moduleFileName(exe), moduleFileName(nullptr));

    HMODULE fromAddress = nullptr;
    EXPECT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCSTR>(&moduleFileName), &fromAddress));
    EXPECT_EQ(fromAddress, exe);
}

TEST_F(Modules, ALongPathIsCutAndReported)
{
    char buffer[10];
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof(buffer)), 10u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_STREQ(buffer, "C:\\Progra");
}

TEST_F(Modules, Kernel32AnswersIsWow64Process)
{
    HMODULE kernel = GetModuleHandleA("kernel32");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(GetModuleHandleA("KERNEL32.DLL"), kernel);
    EXPECT_EQ(LoadLibraryA("kernel32.dll"), kernel);
    EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_EQ(moduleFileName(kernel), "C:\\Windows\\System32\\kernel32.dll");

    auto isWow64 = procOf<LPFN_ISWOW64PROCESS>(kernel, "IsWow64Process");
    ASSERT_EQ(isWow64, &IsWow64Process);
    BOOL wow64 = TRUE;
    EXPECT_TRUE(isWow64(GetCurrentProcess(), &wow64));
    EXPECT_FALSE(wow64); // a 64-bit build never runs under WOW64

    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetProcAddress(kernel, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(isWow64(reinterpret_cast<HANDLE>(0x4321), &wow64));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Modules, ADllNameLoadsTheSharedLibrary)
{
    HMODULE library = LoadLibraryA("ProcTestLib.dll");
    ASSERT_NE(library, nullptr) << plat::modules::LastLoadError();
    EXPECT_EQ(GetModuleHandleA("proctestlib.DLL"), library);
    EXPECT_EQ(GetModuleHandleA("ProcTestLib"), library);
    EXPECT_EQ(GetModuleHandleA("C:\\Program Files\\Tarn\\Tests\\ProcTestLib.dll"), library);
    EXPECT_EQ(moduleFileName(library), "C:\\Program Files\\Tarn\\Tests\\ProcTestLib.so");

    auto testValue = procOf<int (*)()>(library, "TestValue");
    ASSERT_NE(testValue, nullptr);
    EXPECT_EQ(testValue(), 42);
    EXPECT_EQ(procOf<HINSTANCE (*)()>(library, "AttachedInstance")(), library);

    // Only the library's own exports, not those of the libraries it uses.
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetProcAddress(library, "malloc"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetProcAddress(library, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    // A second load shares the module and does not run DllMain again;
    // the last FreeLibrary detaches and unloads it.
    EXPECT_EQ(LoadLibraryA("C:\\Program Files\\Tarn\\Tests\\ProcTestLib.dll"), library);
    EXPECT_EQ(procOf<int (*)()>(library, "AttachCount")(), 1);
    int detached = 0;
    procOf<void (*)(int*)>(library, "SetDetachFlag")(&detached);
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_EQ(detached, 0);
    EXPECT_EQ(GetModuleHandleA("ProcTestLib.dll"), library);
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_EQ(detached, 1);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetModuleHandleA("ProcTestLib.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(FreeLibrary(library));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Modules, LoadFailuresCarryWindowsErrors)
{
    struct Case {
        const char* name;
        DWORD error;
    } cases[] = {
        {"NoSuchLibrary.dll", ERROR_MOD_NOT_FOUND},
        {"C:\\NoSuchFolder\\x.dll", ERROR_MOD_NOT_FOUND},
        {"C:\\NotALibrary.dll", ERROR_BAD_EXE_FORMAT},
        {"", ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(LoadLibraryA(c.name), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetModuleHandleA("NoSuchLibrary"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(Modules, ALibraryWhoseEntryPointRefusesIsNotLoaded)
{
    setenv("RAVLIN_TESTLIB_REFUSE", "1", 1);
    SetLastError(0xdeadbeef);
    HMODULE library = LoadLibraryA("ProcTestLib.dll");
    unsetenv("RAVLIN_TESTLIB_REFUSE");
    EXPECT_EQ(library, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_EQ(GetModuleHandleA("ProcTestLib.dll"), nullptr);
}
