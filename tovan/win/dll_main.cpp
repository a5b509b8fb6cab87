// Entry point of tovan32.dll.
#include <windows.h>

#include "trace/trace_output_win.h"
#include "win/settings.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        tovan::LoadSettings(instance);
        zenk::trace::ConfigureFromEnvironment();  // ZENK_TRACE=ftp traces the flows
    } else if (reason == DLL_PROCESS_DETACH) {
        zenk::trace::CloseOutput();
    }
    return TRUE;
}
