#include "win/status_box.h"

#include "win/settings.h"

namespace tovan {

namespace {

constexpr int kEditId = 100;

}  // namespace

bool StatusBox::EnsureClass() {
    WNDCLASSA wc{};
    if (GetClassInfoA(Module(), kStatusBoxClass, &wc)) return true;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Module();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kStatusBoxClass;
    return RegisterClassA(&wc) != 0;
}

LRESULT CALLBACK StatusBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<StatusBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_SIZE:
        if (self && self->edit_) MoveWindow(self->edit_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_NCDESTROY:
        if (self) {
            self->window_ = nullptr;
            self->edit_ = nullptr;
        }
        break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool StatusBox::Show(const std::string& title) {
    if (window_) {
        SetWindowTextA(window_, title.c_str());
        return true;
    }
    if (!EnsureClass()) return false;
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kStatusBoxClass, title.c_str(),
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 560, 240,
                              nullptr, nullptr, Module(), this);
    if (!window_) return false;
    RECT client;
    GetClientRect(window_, &client);
    edit_ = CreateWindowExA(0, "EDIT", "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                                ES_AUTOHSCROLL,
                            0, 0, client.right, client.bottom, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), Module(), nullptr);
    if (edit_) {
        SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
        SendMessageA(edit_, EM_SETLIMITTEXT, 0, 0);
        for (const std::string& line : recent_) AddToWindow(line);
    }
    return true;
}

void StatusBox::Hide() {
    if (window_) {
        // Unhook first: the window must never reach this object again.
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        // Only the window's own thread may destroy it; from any other
        // thread, ask that one to.
        if (!DestroyWindow(window_)) PostMessageA(window_, WM_CLOSE, 0, 0);
    }
    window_ = nullptr;
    edit_ = nullptr;
}

void StatusBox::Append(const std::string& line) {
    recent_.push_back(line.substr(0, 512));
    while (recent_.size() > kRecentLines) recent_.pop_front();
    AddToWindow(line);
}

void StatusBox::AddToWindow(const std::string& line) {
    if (!edit_) return;
    int length = GetWindowTextLengthA(edit_);
    if (length + static_cast<int>(line.size()) + 2 > kMaxText) {
        // Drop the older half, cut at a line start.
        SendMessageA(edit_, EM_SETSEL, 0, length / 2);
        SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
        length = GetWindowTextLengthA(edit_);
    }
    std::string text = line.substr(0, kMaxText / 2) + "\r\n";
    SendMessageA(edit_, EM_SETSEL, length, length);
    SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace tovan
