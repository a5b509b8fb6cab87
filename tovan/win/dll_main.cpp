// Entry point of tovan32.dll.
#include <windows.h>

#include "win/settings.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        tovan::LoadSettings(instance);
    }
    return TRUE;
}
