// app_driver.h - drives a running Velmira32.exe from another process: finds
// its windows, sends commands, fills and clicks its dialogs, reads its logs.
// Every wait is bounded.
#pragma once
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

namespace velmira_test {

class AppDriver {
public:
    AppDriver() = default;
    ~AppDriver() { Stop(); }
    AppDriver(const AppDriver&) = delete;
    AppDriver& operator=(const AppDriver&) = delete;

    // Starts exePath (with args) in workDir; true once its main window shows.
    bool Start(const std::string& exePath, const std::string& workDir, const std::string& args = "");
    // Closes the application (WM_CLOSE, then terminate after 5 s). Returns its exit code.
    DWORD Stop();
    HWND Main() const { return m_main; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }

    // Sends a menu command to the main frame and waits until it is handled;
    // only for commands that open no dialog.
    void Command(UINT id);
    // Waits until the application has handled what was sent before.
    bool Sync(DWORD timeoutMs = 10000) const;

    // A visible top-level window of the application with exactly this title.
    HWND WaitWindow(const char* title, DWORD timeoutMs = 5000) const;
    bool WaitGone(HWND window, DWORD timeoutMs = 10000) const;
    static void SetItemText(HWND dlg, int id, const std::string& text);
    static std::string ItemText(HWND dlg, int id);
    static std::string WindowText(HWND window);
    static void Click(HWND dlg, int id);
    // Clicks a button and returns once the dialog has handled the click;
    // only for buttons whose handling opens no further dialog.
    static void Press(HWND dlg, int id);
    static void SetCheck(HWND dlg, int id, bool checked);

    // Runs a command that asks in a dialog: fills the fields, presses the
    // button (IDOK or IDCANCEL) and waits until the dialog has gone.
    bool DialogCommand(UINT id, const char* title, const std::vector<std::pair<int, std::string>>& fields,
                       int button = IDOK);

    HWND MdiClient() const;
    HWND ActiveChild() const;
    // The view (the edit control) of a child frame; the active one by default.
    HWND View(HWND child = nullptr) const;
    // The log lines of a view, without their line ends.
    std::vector<std::string> Log(HWND view) const;
    // Waits until a view's log has at least count lines.
    bool WaitLog(HWND view, size_t count, DWORD timeoutMs = 20000) const;

private:
    PROCESS_INFORMATION m_pi = {};
    HWND m_main = nullptr;
};

// Asks the test runner (outside Wine) for something and waits until it is
// done: NAME.request in the folder VELMIRA_SHOT_DIR names, answered by
// NAME.done. False when no runner answers within 15 s.
bool RunnerRequest(const char* name);

// A screenshot of the whole screen, saved by the runner as name.png.
inline bool Screenshot(const char* name) { return RunnerRequest(name); }

// A scratch folder of the test's own, emptied; ends without a separator.
std::string ScratchDir(const char* name);

// Whole file as bytes; empty when absent.
std::string ReadFileBytes(const std::string& path);

}  // namespace velmira_test
