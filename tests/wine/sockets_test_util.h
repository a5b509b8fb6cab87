// Helpers of the endpoint tests: an owner that records every notification,
// whether it comes to its window or as a thread message.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "wine_test_util.h"
#include "zenk32.h"

namespace socktest {

// Loopback address of this family's tests.
constexpr char kHost[] = "127.0.1.1";

struct Note {
    UINT message;   // the owner message the endpoint was given
    WPARAM code;    // ZENK_STREAM_* or ZENK_UDP_*
    LPARAM count;   // byte count or 0
    bool toThread;  // arrived as a thread message (no window)
};

// Records the owner messages (message numbers from WM_APP on) that reach
// its window or this thread's queue.
class Owner {
public:
    Owner() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SocketsTestOwner";
        RegisterClassA(&wc);
        window_ = CreateWindowA("SocketsTestOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        MSG m;
        PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // a thread queue for thread owners
    }
    ~Owner() { DestroyWindow(window_); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    HWND Window() const { return window_; }
    static DWORD Thread() { return GetCurrentThreadId(); }

    // Pumps until pred() holds or timeoutMs passes; returns pred(). pred()
    // is checked every few messages: an endpoint whose send would block
    // keeps re-posting FD_WRITE, so the queue may never run empty.
    template <class Pred>
    bool PumpUntil(Pred pred, DWORD timeoutMs = 5000) {
        DWORD start = GetTickCount();
        for (;;) {
            MSG m;
            int handled = 0;
            while (handled < 32 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (!m.hwnd && m.message >= WM_APP && m.message < 0xC000)
                    notes.push_back({m.message, m.wParam, m.lParam, true});
                TranslateMessage(&m);
                DispatchMessageA(&m);
                ++handled;
            }
            if (pred()) return true;
            if (GetTickCount() - start >= timeoutMs) return pred();
            if (!handled) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    // Pumps for a while, for checks that something does NOT arrive.
    void Settle(DWORD ms = 300) { PumpUntil([] { return false; }, ms); }

    // Notifications for one owner message, in arrival order.
    std::vector<Note> For(UINT message) const {
        std::vector<Note> out;
        for (const Note& n : notes)
            if (n.message == message) out.push_back(n);
        return out;
    }
    std::size_t Count(UINT message, WPARAM code) const {
        std::size_t k = 0;
        for (const Note& n : notes) k += n.message == message && n.code == code;
        return k;
    }
    bool Has(UINT message, WPARAM code) const { return Count(message, code) > 0; }

    std::vector<Note> notes;

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m >= WM_APP && m < 0xC000) {
            auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrA(w, GWLP_USERDATA));
            if (self) self->notes.push_back({m, wp, lp, false});
            return 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    }
    HWND window_ = nullptr;
};

inline int StreamError(void* handle) {
    int code = -99;
    char text[ZENK_ERRTEXT_SIZE];
    ZENKLastStreamWinSockError(handle, &code, text);
    return code;
}

inline int UdpError(void* handle) {
    int code = -99;
    char text[ZENK_ERRTEXT_SIZE];
    ZENKLastUDPWinSockError(handle, &code, text);
    return code;
}

// A byte pattern that shows order: byte i of the stream is Pattern(i).
inline char Pattern(std::size_t i) { return static_cast<char>((i * 7 + i / 251) & 0xFF); }

}  // namespace socktest
