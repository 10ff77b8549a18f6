/* Looks at Ravlin's window from inside Wine, for window_test.py.

     windows.exe show       the top-level windows captioned "Modem Diagnostic
                            Tool": for each one line "window HWND class
                            visible=V iconic=I foreground=F pid=P", then its
                            child windows, one line "child DEPTH CLASS" each
     windows.exe minimize   minimises the first of them
     windows.exe close      posts WM_CLOSE to the first of them

   Exit code 0 when such a window exists, 1 when none does. A 64-bit build,
   because the Wine here runs no 32-bit programs. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

static const char caption[] = "Modem Diagnostic Tool";

static HWND found[16];
static int foundCount;

static BOOL CALLBACK collect(HWND window, LPARAM unused)
{
    char text[128];
    (void)unused;
    if (GetWindowTextA(window, text, sizeof(text)) > 0 && strcmp(text, caption) == 0 && foundCount < 16)
        found[foundCount++] = window;
    return TRUE;
}

static void children(HWND parent, int depth)
{
    HWND child;
    for (child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[128];
        RECT area;
        GetClassNameA(child, name, sizeof(name));
        GetWindowRect(child, &area);
        printf("child %d %s visible=%d size=%ldx%ld\n", depth, name, IsWindowVisible(child) ? 1 : 0,
               area.right - area.left, area.bottom - area.top);
        children(child, depth + 1);
    }
}

int main(int argc, char** argv)
{
    const char* action = argc > 1 ? argv[1] : "show";
    int i;
    EnumWindows(collect, 0);
    if (foundCount == 0) {
        printf("none\n");
        return 1;
    }
    if (strcmp(action, "minimize") == 0) {
        ShowWindow(found[0], SW_MINIMIZE);
        return 0;
    }
    if (strcmp(action, "close") == 0) {
        PostMessageA(found[0], WM_CLOSE, 0, 0);
        return 0;
    }
    for (i = 0; i < foundCount; ++i) {
        char name[128];
        DWORD pid = 0;
        RECT area;
        GetClassNameA(found[i], name, sizeof(name));
        GetWindowThreadProcessId(found[i], &pid);
        GetWindowRect(found[i], &area);
        printf("window %p %s visible=%d iconic=%d zoomed=%d foreground=%d pid=%lu size=%ldx%ld\n", (void*)found[i],
               name, IsWindowVisible(found[i]) ? 1 : 0, IsIconic(found[i]) ? 1 : 0, IsZoomed(found[i]) ? 1 : 0,
               GetForegroundWindow() == found[i] ? 1 : 0, pid, area.right - area.left, area.bottom - area.top);
        children(found[i], 1);
    }
    return 0;
}
