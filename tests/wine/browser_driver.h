// Drives a "Network Browser" dialog from the test thread: the dialog runs
// modally on a thread of its own (as in a caller's program), and the test
// sends it the messages a user's clicks would make.
#pragma once
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "browser/resource_tree.h"
#include "zenk32.h"

namespace browsertest {

constexpr int kListId = 101;
constexpr int kRefreshId = 102;

// Polls pred() every 10 ms until it holds or timeoutMs passes.
template <class Pred>
bool WaitFor(Pred pred, DWORD timeoutMs = 5000) {
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start >= timeoutMs) return pred();
        Sleep(10);
    }
    return true;
}

// True when the address lies in zenk32.dll's image (the dialog's texts do,
// its tree's nodes do not).
inline bool InLibrary(const void* address) {
    HMODULE module = nullptr;
    return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCSTR>(address), &module) &&
           module == GetModuleHandleA("zenk32.dll");
}

class BrowserDriver {
public:
    static constexpr UINT kNestMessage = WM_APP + 11;

    ~BrowserDriver() {
        if (thread_) {
            if (dialog_ && IsWindow(dialog_)) PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
            WaitForSingleObject(thread_, 5000);
            CloseHandle(thread_);
        }
    }

    // Starts the dialog thread with the caller's buffer filled with `fill`.
    void Start(const char* fill = "untouched") {
        std::memset(buffer_, 0, sizeof buffer_);
        std::strncpy(buffer_, fill, sizeof buffer_ - 1);
        thread_ = CreateThread(nullptr, 0, &BrowserDriver::Run, this, 0, &threadId_);
    }

    // The dialog window once it is shown, or null.
    HWND WaitForDialog(DWORD timeoutMs = 5000) {
        WaitFor([&] { return (dialog_ = FindDialog()) != nullptr; }, timeoutMs);
        return dialog_;
    }

    // True once the dialog lists its outcome (networks or "Network Error")
    // with OK and Cancel enabled.
    bool WaitForOutcome(DWORD timeoutMs = 5000) {
        return WaitFor([&] {
            std::vector<std::string> items = Items();
            return IsWindowEnabled(Control(IDOK)) && IsWindowEnabled(Control(IDCANCEL)) &&
                   !items.empty() && items[0] != "Working...";
        }, timeoutMs);
    }

    // Waits for the dialog thread; returns ZENKGetServerNameDlg's result.
    int Finish(DWORD timeoutMs = 5000) {
        if (WaitForSingleObject(thread_, timeoutMs) != WAIT_OBJECT_0) return -100;
        return result_;
    }
    bool Running() const { return WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; }

    // What the list shows: texts as they are, nodes by their shown name.
    std::vector<std::string> Items() const {
        std::vector<std::string> out;
        LRESULT count = SendMessageA(List(), LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const void* data = reinterpret_cast<const void*>(SendMessageA(List(), LB_GETITEMDATA, i, 0));
            if (!data) out.push_back("<null>");
            else if (InLibrary(data)) out.push_back(static_cast<const char*>(data));
            else out.push_back(zenk::browser::SkipBackslashes(Node(i)->name));
        }
        return out;
    }
    const zenk::browser::ResourceNode* Node(int index) const {
        return reinterpret_cast<const zenk::browser::ResourceNode*>(
            SendMessageA(List(), LB_GETITEMDATA, index, 0));
    }

    void Select(int index) { SendMessageA(List(), LB_SETCURSEL, index, 0); }
    void DoubleClick(int index) {
        Select(index);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(kListId, LBN_DBLCLK), reinterpret_cast<LPARAM>(List()));
    }
    void Press(int id) {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
    }
    // The same clicks, posted: for clicks whose handling waits for the user.
    void PostPress(int id) {
        PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
    }
    void PostDoubleClick(int index) {
        Select(index);
        PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(kListId, LBN_DBLCLK), reinterpret_cast<LPARAM>(List()));
    }
    // A visible window that the dialog owns (a message box of its own), or null.
    HWND WaitForOwnedWindow(DWORD timeoutMs = 5000) const {
        HWND found = nullptr;
        WaitFor([&] {
            EnumThreadWindows(threadId_, &BrowserDriver::MatchOwned, reinterpret_cast<LPARAM>(&found));
            return found != nullptr;
        }, timeoutMs);
        return found;
    }
    // Presses Cancel; returns the dialog's result.
    int Cancel() {
        Press(IDCANCEL);
        return Finish();
    }
    // Asks the dialog's thread, from inside its modal loop, to open a second dialog.
    // -2 when it did not come back (a second dialog showed).
    int OpenNested() {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(owner_, kNestMessage, 0, 0, SMTO_NORMAL, 3000, &result)) return -2;
        return static_cast<int>(result);
    }

    HWND Dialog() const { return dialog_; }
    HWND List() const { return Control(kListId); }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    const char* Buffer() const { return buffer_; }

private:
    static LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kNestMessage) {
            char nested[32] = "nested";
            int r = ZENKGetServerNameDlg(window, nested);
            return std::strcmp(nested, "nested") == 0 ? r : -1;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    static DWORD WINAPI Run(void* context) {
        auto* self = static_cast<BrowserDriver*>(context);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZenkBrowserTestOwner";
        RegisterClassA(&wc);  // fails harmlessly when already registered
        self->owner_ = CreateWindowA("ZenkBrowserTestOwner", "owner", WS_OVERLAPPED, 0, 0, 10, 10,
                                     nullptr, nullptr, wc.hInstance, nullptr);
        self->result_ = ZENKGetServerNameDlg(self->owner_, self->buffer_);
        DestroyWindow(self->owner_);
        return 0;
    }

    static BOOL CALLBACK MatchDialog(HWND window, LPARAM found) {
        char title[64] = {};
        GetWindowTextA(window, title, sizeof title);
        if (std::strcmp(title, "Network Browser") != 0 || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }

    static BOOL CALLBACK MatchOwned(HWND window, LPARAM found) {
        HWND* out = reinterpret_cast<HWND*>(found);
        HWND owner = GetWindow(window, GW_OWNER);
        char title[64] = {};
        GetWindowTextA(owner, title, sizeof title);
        if (!owner || std::strcmp(title, "Network Browser") != 0 || !IsWindowVisible(window)) return TRUE;
        *out = window;
        return FALSE;
    }

    HWND FindDialog() const {
        HWND found = nullptr;
        EnumThreadWindows(threadId_, &BrowserDriver::MatchDialog, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND owner_ = nullptr;
    HWND dialog_ = nullptr;
    volatile int result_ = -99;
    char buffer_[ZENK_SERVERNAME_SIZE] = {};
};

}  // namespace browsertest
