// The window classes of zenk32.dll: "ZENK_WINSOCK" (the socket event
// window), "ZENK_SMTPWIND" and "ZENK_POP3WIND" (the mail session windows).
//
// A window class outlives the module that registered it unless it is
// unregistered: after FreeLibrary its procedure would point into code that
// is gone, and a copy of the library loaded again at the same address could
// not register it anew. So every class of the library is registered here,
// and all of them are unregistered when the library is unloaded.
#pragma once
#include <windows.h>

namespace zenk {

// Registers `name` under this module with `procedure`, class style 3, a
// white background and `windowExtra` bytes per window. True when the class
// is registered with this procedure afterwards (also when it already was).
// A class of the same name left by an earlier load of the library is
// replaced; if it cannot be (its windows are still open), false.
bool RegisterLibraryClass(const char* name, WNDPROC procedure, int windowExtra);

// For FreeLibrary (not process exit): windows of the library's classes that
// are still open are cut loose from the library's code (their procedure
// becomes DefWindowProcA); those of the calling thread are destroyed, the
// others are sent WM_CLOSE by post, which DefWindowProcA answers by
// destroying them on their own thread. Then every class is unregistered.
void UnregisterLibraryClasses();

}  // namespace zenk
