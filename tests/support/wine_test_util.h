// Small helpers shared by the tests that run under Wine.
#pragma once
#include <windows.h>
#include <functional>

namespace testutil {

// Pumps this thread's messages until pred() holds or timeoutMs passes.
// Returns pred() at the end. Every wait in a test goes through this, so no
// test can hang on a notification that never comes.
// onMessage, when given, sees every message first (thread messages have no
// window and are not dispatched anywhere else).
inline bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 5000,
                      const std::function<void(const MSG&)>& onMessage = nullptr) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (onMessage) onMessage(msg);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return pred();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace testutil
