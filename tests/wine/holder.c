/* Stands in for a running Ravlin in the installer test: with "mutex" holds
   the program's one-instance mutex, with a path keeps that library loaded
   as Explorer keeps an applet it has shown, until the file C:\release.txt
   appears or two minutes have passed. Windows refuses to delete a loaded
   image; Wine does not, so the file is also held open without delete
   sharing, which Wine refuses as Windows does. Writes C:\holding.txt once it holds
   what it was given. A 64-bit build, because the Wine here runs no 32-bit
   programs.
     holder.exe mutex | LIBRARY */
#include <windows.h>

int main(int argc, char** argv)
{
    HANDLE mutex = NULL;
    for (int i = 1; i < argc; ++i) {
        if (lstrcmpA(argv[i], "mutex") == 0) {
            mutex = CreateMutexA(NULL, TRUE, "Local\\TarnRavlinInstance");
            if (mutex == NULL)
                return 1;
        } else {
            HANDLE file = CreateFileA(argv[i], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
            if (file == INVALID_HANDLE_VALUE || LoadLibraryExA(argv[i], NULL, 0) == NULL)
                return 2;
        }
    }
    HANDLE ready = CreateFileA("C:\\holding.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (ready == INVALID_HANDLE_VALUE)
        return 3;
    CloseHandle(ready);
    for (int waited = 0; waited < 1200; ++waited) {
        if (GetFileAttributesA("C:\\release.txt") != INVALID_FILE_ATTRIBUTES)
            break;
        Sleep(100);
    }
    DeleteFileA("C:\\holding.txt");
    if (mutex != NULL)
        CloseHandle(mutex);
    return 0;
}
