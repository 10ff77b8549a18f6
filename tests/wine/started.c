/* Stands in for the program the applet starts: writes the command line it
   was started with to C:\started.txt and ends. A 64-bit build, because the
   Wine here runs no 32-bit programs. */
#include <windows.h>

int main(void)
{
    const char* line = GetCommandLineA();
    DWORD written = 0;
    HANDLE file = CreateFileA("C:\\started.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    WriteFile(file, line, (DWORD)lstrlenA(line), &written, NULL);
    CloseHandle(file);
    return 0;
}
