// On Windows a page folder is named in the system's ANSI code page; the page
// server opens it through its wide form, so a folder whose name has
// characters beyond ASCII (the user may install there) serves its pages.
#include "framework/bridge/PageFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace pages = afx::bridge::pages;

TEST(PageHostWindows, AFolderWithANonAsciiNameServesItsPages)
{
    // "Prüfung ÄÖ" where the code page has those letters (1252, 1250...).
    const wchar_t kName[] = L"Ravlin Pr\u00FCfung \u00C4\u00D6";
    char ansiName[MAX_PATH];
    BOOL lossy = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, kName, -1, ansiName, sizeof(ansiName), nullptr, &lossy);
    if (length <= 0 || lossy)
        GTEST_SKIP() << "the ANSI code page has no letters beyond ASCII to test with";

    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring folder = std::wstring(temp) + kName;
    std::wstring htm = folder + L"\\htm";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW(htm.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    std::wstring page = htm + L"\\start.htm";
    HANDLE file = CreateFileW(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "<html></html>", 13, &written, nullptr);
    CloseHandle(file);

    char ansiTemp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, ansiTemp), 0u);
    std::string ansiPage = std::string(ansiTemp) + ansiName + "\\htm\\start.htm";
    auto location = pages::Locate(ansiPage);
    ASSERT_TRUE(location) << ansiPage;
    EXPECT_EQ(location->url, "/start.htm");
    EXPECT_TRUE(pages::Resolve(location->rootHost, "/start.htm")) << "the page is found";
    EXPECT_TRUE(pages::Resolve(location->rootHost, "/START.HTM")) << "in any case";
    EXPECT_FALSE(pages::Resolve(location->rootHost, "/missing.htm"));

    DeleteFileW(page.c_str());
    RemoveDirectoryW(htm.c_str());
    RemoveDirectoryW(folder.c_str());
}
