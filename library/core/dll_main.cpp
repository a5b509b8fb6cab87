// Entry point of zenk32.dll. Kept apart from the library state so that the
// library's white-box tests can link the same objects into a program.
#include <windows.h>

#include "core/library_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    return zenk::OnProcessEntry(instance, reason);
}
