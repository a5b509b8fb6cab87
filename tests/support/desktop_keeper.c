/* desktop_keeper READY_FILE
 *
 * Keeps the prefix's desktop up for a whole run. Under Wine the desktop is
 * a process of its own (explorer.exe), started by the first program that
 * makes a window and ended about a second after the last one closes; the
 * program that started it also hands it its standard handles, so a caller
 * reading that program's output waits for the desktop to end as well. On
 * Windows the desktop simply always exists. This program holds a
 * message-only window until it is killed, then writes READY_FILE once the
 * desktop stands, so that the runs after it neither start nor wait for one.
 */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance; (void)previous; (void)show;
    HWND window = CreateWindowExA(0, "STATIC", "desktop keeper", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  NULL, NULL, NULL);
    if (!window) return 1;
    if (commandLine && *commandLine) {
        HANDLE ready = CreateFileA(commandLine, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
        if (ready == INVALID_HANDLE_VALUE) return 1;
        CloseHandle(ready);
    }
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
