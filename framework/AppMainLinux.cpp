// The program's entry on the emulated PC: loads the machine, then runs the global
// application object as the Windows framework's own entry would.
#include "boot/Boot.h"

#include <afx/WinApp.h>

#include <cstdio>
#include <string>

int main()
{
    std::string error;
    if (!plat::StartMachine(&error)) {
        std::fprintf(stderr, "Ravlin: the machine profile cannot be loaded: %s\n", error.c_str());
        return 2;
    }
    CWinApp* app = AfxGetApp();
    if (!app) {
        std::fprintf(stderr, "Ravlin: the program has no application object\n");
        return 1;
    }
    return AfxWinMain(app);
}
