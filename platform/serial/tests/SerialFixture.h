// A machine with emulated modems on COM ports, at a hundredth of real time.
#pragma once

#include "core/testing/TempProfile.h"
#include "serial/Serial.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <gtest/gtest.h>

#include <chrono>
#include <dirent.h>
#include <string>
#include <thread>

namespace plat::serial::testing {

inline const char* kMachine = R"({
    "modems": {
        "plain": {"timeScale": 0.01},
        "gone": {"timeScale": 0.01, "faults": {"AT|DMA=10000": [{"kind": "delay", "ms": 100000},
                                                                 {"kind": "portGone", "ms": 20000}]}}
    },
    "ports": {
        "COM3": {"modem": "plain"},
        "COM4": {"modem": "gone"},
        "COM5": {"absent": true},
        "COM6": {"modem": "plain", "heldBy": "Fax Monitor"}
    }
})";

inline int CountEntries(const char* folder)
{
    int n = 0;
    if (DIR* dir = opendir(folder)) {
        while (readdir(dir))
            ++n;
        closedir(dir);
    }
    return n;
}

class SerialTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterLoader();
        m_profile.Write("machine.json", kMachine);
        ASSERT_EQ(m_profile.Load(), "");
    }

    HANDLE OpenPort(const char* name, DWORD flags = FILE_FLAG_OVERLAPPED)
    {
        return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, flags, nullptr);
    }

    // Writes synchronously through an overlapped handle.
    void Send(HANDLE port, const std::string& text)
    {
        OVERLAPPED ov{};
        DWORD n = 0;
        if (!WriteFile(port, text.data(), static_cast<DWORD>(text.size()), &n, &ov)) {
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
            ASSERT_TRUE(GetOverlappedResult(port, &ov, &n, TRUE));
        }
        ASSERT_EQ(n, text.size());
    }

    // Reads one byte at a time, as the system does, until `count` bytes came
    // or two seconds passed.
    std::string Receive(HANDLE port, size_t count)
    {
        std::string got;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            OVERLAPPED ov{};
            ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            char c = 0;
            DWORD n = 0;
            BOOL ok = ReadFile(port, &c, 1, &n, &ov);
            if (!ok && GetLastError() == ERROR_IO_PENDING) {
                if (WaitForSingleObject(ov.hEvent, 2000) != WAIT_OBJECT_0)
                    PurgeComm(port, PURGE_RXABORT); // the request must not outlive `ov`
                ok = GetOverlappedResult(port, &ov, &n, FALSE);
            }
            CloseHandle(ov.hEvent);
            if (!ok)
                break;
            got.append(&c, n);
        }
        return got;
    }

    plat::testing::TempProfile m_profile;
};

} // namespace plat::serial::testing
