// One Ravlin at a time, and the foreground for the window the user asked
// for. On Windows (SingleInstanceWindows.cpp) the running program holds the
// named mutex "Local\TarnRavlinInstance" for as long as its dialog runs; a
// second start finds it, brings the running dialog to the front and ends
// before it writes anything. The emulated PC (SingleInstanceLinux.cpp) has
// no named objects shared between processes: there every start is the
// first.
#pragma once

#include <windows.h>

class CSingleInstance {
public:
    // Takes the program's instance mutex (held until the object goes).
    CSingleInstance();
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // FALSE when another Ravlin already runs.
    BOOL IsFirst() const { return m_bFirst; }

    // Brings the running Ravlin's dialog to the front, restored if it is
    // minimised; waits a few seconds for a dialog that is still starting.
    static void BringRunningToFront();

    // Lets a process that this one started take the foreground (the 32-bit
    // build's hand-over to the 64-bit one).
    static void AllowForeground(DWORD dwProcessId);

private:
    HANDLE m_hMutex = NULL;
    BOOL m_bFirst = TRUE;
};
