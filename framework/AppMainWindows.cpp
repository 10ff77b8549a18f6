// The program's entry on Windows: runs the global application object as the
// framework's own entry does.
#include <afx/WinApp.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1; // the program has no application object
    app->m_hInstance = hInstance;
    return AfxWinMain(app);
}
