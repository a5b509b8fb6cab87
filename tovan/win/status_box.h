// StatusBox: a small modeless window that shows a connection's protocol
// exchange while it is on: "> " before each command sent, "< " before each
// reply line received, "* " before the library's own notes. Passwords are
// shown as "PASS ****". The window belongs to the thread that turned it on;
// closing it by hand only hides the exchange until it is turned on again.
#pragma once
#include <windows.h>

#include <string>

namespace tovan {

// The window class of every status box.
constexpr const char* kStatusBoxClass = "TOVAN_STATUSBOX";

class StatusBox {
public:
    StatusBox() = default;
    ~StatusBox() { Hide(); }
    StatusBox(const StatusBox&) = delete;
    StatusBox& operator=(const StatusBox&) = delete;

    // Shows the window titled title (creates it when needed).
    bool Show(const std::string& title);
    // Destroys the window.
    void Hide();
    bool Visible() const { return window_ != nullptr; }
    // Adds one line when the window is shown.
    void Append(const std::string& line);

    // Most text kept; older lines go first.
    static constexpr int kMaxText = 32000;

private:
    static bool EnsureClass();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;  // the top-level box, null while off
    HWND edit_ = nullptr;    // its read-only multi-line edit control
};

}  // namespace tovan
