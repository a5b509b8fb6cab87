// Entry point of zenk32.dll. Kept apart from the library state so that the
// library's white-box tests can link the same objects into a program.
#include <windows.h>

#include "core/win_library_state.h"
#include "core/win_window_classes.h"
#include "trace/trace_output_win.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // Unloaded by FreeLibrary (reserved is null; at process exit it is not):
    // no class or window of ours may outlive the code it runs.
    if (reason == DLL_PROCESS_DETACH && !reserved) zenk::UnregisterLibraryClasses();
    if (reason == DLL_PROCESS_DETACH) zenk::trace::CloseOutput();
    return zenk::OnProcessEntry(instance, reason);
}
