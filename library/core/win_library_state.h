// Library-wide state: one copy per process, plain globals, no locking.
#pragma once

namespace zenk {

class WinSockSession;

// Module handle of zenk32.dll (an HINSTANCE), set at every entry notification.
void* InstanceHandle();
// The thread-local slot index allocated at process attach (all ones if none).
unsigned long TlsSlot();

// Set by ZENKInit; every export but ZENKInit and ZENKVersion tests it first.
bool IsInitialised();
void SetInitialised();

// The one WinSock session of the process, or null.
WinSockSession* CurrentSession();
void SetSession(WinSockSession* session);

// Process entry notifications (DllMain): keeps the module handle, allocates
// the thread-local slot at attach and frees it at detach. Returns false when
// no slot can be had, which makes the loader refuse the library. The
// arguments are an HINSTANCE and the DLL_* reason.
int OnProcessEntry(void* instance, unsigned long reason);

}  // namespace zenk
