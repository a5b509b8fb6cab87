#include <windows.h>

#include "core/win_library_state.h"

namespace zenk {
namespace {

HINSTANCE g_instance = nullptr;       // module handle for classes, dialogs, bitmaps
DWORD g_tlsSlot = TLS_OUT_OF_INDEXES; // browser state of the calling thread
volatile LONG g_initialised = 0;      // 0 or 1; written by ZENKInit and at attach
WinSockSession* g_session = nullptr;  // ZENKStartWinSock / ZENKEndWinSock

}  // namespace

void* InstanceHandle() { return g_instance; }
unsigned long TlsSlot() { return g_tlsSlot; }
bool IsInitialised() { return g_initialised != 0; }
void SetInitialised() { g_initialised = 1; }
WinSockSession* CurrentSession() { return g_session; }
void SetSession(WinSockSession* session) { g_session = session; }

int OnProcessEntry(void* instance, unsigned long reason) {
    g_instance = static_cast<HINSTANCE>(instance);
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_initialised = 0;
        g_tlsSlot = TlsAlloc();
        return g_tlsSlot != TLS_OUT_OF_INDEXES;
    case DLL_PROCESS_DETACH:
        // Open objects and the WinSock session are deliberately left alone:
        // at process exit the system reclaims them.
        if (g_tlsSlot != TLS_OUT_OF_INDEXES) TlsFree(g_tlsSlot);
        g_tlsSlot = TLS_OUT_OF_INDEXES;
        return TRUE;
    default:
        return TRUE;
    }
}

}  // namespace zenk
