#include "Trace.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Longest body of one line; a longer one is cut at this many characters
// and the line still ends in CR LF.
constexpr int kMaxBody = 32768;
// "HH:MM:SS_mmm_XXXXXXXX: " is at most 23 characters.
constexpr int kMaxPrefix = 32;

class CTraceLog {
public:
    // No constructor: the one instance lives in zero-initialised static
    // storage, so it is usable before any code runs.
    ~CTraceLog()
    {
        // Process exit: no other thread writes any more, so no lock.
        if (m_hFile) {
            CloseHandle(m_hFile);
            m_hFile = nullptr;
        }
        m_szBaseName.reset();
    }

    void SetName(const char* name)
    {
        Lock();
        CloseFile();
        size_t length = name ? std::strlen(name) : 0;
        m_szBaseName.reset(new (std::nothrow) char[length + 1]);
        if (m_szBaseName) {
            if (length)
                std::memcpy(m_szBaseName.get(), name, length);
            m_szBaseName[length] = '\0';
        }
        m_bNameSet = true;
        m_bHeldElsewhere = false;
        Unlock();
    }

    void SetLevel(int level)
    {
        Lock();
        InterlockedExchange(&m_nLevel, level > 0 ? level : 0);
        Unlock();
    }

    void Write(int level, const char* format, va_list args)
    {
        // Read without the lock, on purpose, but whole.
        LONG filter = InterlockedCompareExchange(&m_nLevel, 0, 0);
        if (filter == 0 || level > filter)
            return;
        Lock();
        try {
            SYSTEMTIME now;
            GetLocalTime(&now);
            if (m_hFile && (m_stOpenDate.wYear != now.wYear || m_stOpenDate.wMonth != now.wMonth ||
                            m_stOpenDate.wDay != now.wDay))
                CloseFile();
            if (!m_hFile)
                CreateTraceFile();
            if (m_hFile)
                WriteLine(now, format, args);
        } catch (...) {
            // The line is lost; the caller carries on.
        }
        Unlock();
    }

private:
    void Lock()
    {
        // The owner is only ever read through the interlocked exchange: a
        // plain read could meet another thread's exchange half-way.
        LONG self = static_cast<LONG>(GetCurrentThreadId());
        for (;;) {
            LONG owner = InterlockedCompareExchange(&m_nLockOwner, self, 0);
            if (owner == 0 || owner == self)
                return;
            Sleep(25);
        }
    }

    void Unlock()
    {
        InterlockedCompareExchange(&m_nLockOwner, 0, static_cast<LONG>(GetCurrentThreadId()));
    }

    void CloseFile()
    {
        if (m_hFile) {
            CloseHandle(m_hFile);
            m_hFile = nullptr;
        }
    }

    // Creates (or empties) the file, in the current folder or, where that
    // folder cannot be written, in the user's local application data
    // (Tarn\Ravlin). A file that cannot be created for another reason is
    // tried again with the next line, so a passing fault does not end the
    // trace; but a file that another program holds open is left alone for
    // good: trying again later would empty it once that program ends.
    void CreateTraceFile()
    {
        if (m_bHeldElsewhere)
            return;
        SYSTEMTIME now;
        GetLocalTime(&now);
        char name[MAX_PATH + 8];
        const char* base = m_bNameSet ? (m_szBaseName ? m_szBaseName.get() : "") : "Trace";
        std::snprintf(name, sizeof(name), "%s.trc", base);
        HANDLE file = OpenTraceFile(name);
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
            char fallback[2 * MAX_PATH];
            if (FallbackPath(name, fallback, sizeof(fallback)))
                file = OpenTraceFile(fallback);
        }
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_SHARING_VIOLATION)
                m_bHeldElsewhere = true;
            return;
        }
        m_hFile = file;
        m_stOpenDate = now;
    }

    static HANDLE OpenTraceFile(const char* path)
    {
        return ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    }

    // "<local application data>\\Tarn\\Ravlin\\<name>", its folders created as
    // needed. The shell names the folder from the user's profile, so it does
    // not depend on an environment that the starting program may have
    // changed.
    static bool FallbackPath(const char* name, char* path, size_t size)
    {
        char appData[MAX_PATH];
        if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData) !=
            S_OK)
            return false;
        for (const char* folder : {"%s\\Tarn", "%s\\Tarn\\Ravlin"}) {
            if (!Compose(path, size, folder, appData, ""))
                return false;
            if (!CreateDirectoryA(path, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
        return Compose(path, size, "%s\\Tarn\\Ravlin\\%s", appData, name);
    }

    static bool Compose(char* path, size_t size, const char* format, const char* folder, const char* name)
    {
        int length = std::snprintf(path, size, format, folder, name);
        return length >= 0 && static_cast<size_t>(length) < size;
    }

    void WriteLine(const SYSTEMTIME& now, const char* format, va_list args)
    {
        // Prefix, body, CR LF and NUL in one buffer on this thread's stack.
        // The writer is the lock's owner; its id is taken from the thread,
        // not read from the lock word that other threads try to exchange.
        char line[kMaxPrefix + kMaxBody + 3];
        int prefix = std::snprintf(line, kMaxPrefix, "%02d:%02d:%02d_%03d_%X: ", now.wHour, now.wMinute,
                                   now.wSecond, now.wMilliseconds, static_cast<unsigned>(GetCurrentThreadId()));
        if (prefix < 0 || prefix >= kMaxPrefix)
            return;
        int body = format ? std::vsnprintf(line + prefix, kMaxBody + 1, format, args) : 0;
        if (body < 0)
            body = 0; // an encoding error leaves an empty body
        if (body > kMaxBody)
            body = kMaxBody; // cut; vsnprintf has already stopped there
        int length = prefix + body;
        line[length++] = '\r';
        line[length++] = '\n';
        line[length] = '\0';
        DWORD written = 0;
        WriteFile(m_hFile, line, static_cast<DWORD>(length), &written, nullptr);
    }

    HANDLE m_hFile;
    volatile LONG m_nLevel;
    volatile LONG m_nLockOwner;
    std::unique_ptr<char[]> m_szBaseName;
    bool m_bNameSet; // TraceSetName was called at least once
    bool m_bHeldElsewhere; // another program holds the file: never empty it
    SYSTEMTIME m_stOpenDate;
};

CTraceLog g_TraceLog;

} // namespace

void TraceSetName(const char* name)
{
    g_TraceLog.SetName(name);
}

void TraceSetLevel(int level)
{
    g_TraceLog.SetLevel(level);
}

void TraceWrite(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    g_TraceLog.Write(level, format, args);
    va_end(args);
}
