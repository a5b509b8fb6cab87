// StatusBox: a small modeless window that shows a connection's protocol
// exchange while it is on: "> " before each command sent, "< " before each
// reply line received, "* " before the library's own notes. Passwords are
// shown as "PASS ****". The latest lines are kept while the box is off, so
// that a box opened after the login still shows how the login went. The
// window belongs to the thread that turned it on; closing it by hand only
// hides the exchange until it is turned on again.
#pragma once
#include <windows.h>

#include <deque>
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
    // Adds one line: to the window when shown, and to the recent lines.
    void Append(const std::string& line);

    // Most text kept in the window; older lines go first.
    static constexpr int kMaxText = 32000;
    // Lines kept while the box is off.
    static constexpr std::size_t kRecentLines = 64;

private:
    static bool EnsureClass();
    void AddToWindow(const std::string& line);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;  // the top-level box, null while off
    HWND edit_ = nullptr;    // its read-only multi-line edit control
    std::deque<std::string> recent_;  // the latest lines, at most kRecentLines
};

}  // namespace tovan
