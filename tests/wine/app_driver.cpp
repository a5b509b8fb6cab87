// app_driver.cpp - finding and driving another process's windows.
#include "app_driver.h"
#include <cstdio>
#include <fstream>
#include <sstream>

namespace velmira_test {

namespace {
struct FindData {
    DWORD pid;
    const char* title;  // exact title, or a prefix when prefix is set
    bool prefix;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hWnd, LPARAM lParam) {
    FindData* data = reinterpret_cast<FindData*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid != data->pid || !IsWindowVisible(hWnd)) return TRUE;
    std::string text = AppDriver::WindowText(hWnd);
    bool match = data->prefix ? text.compare(0, strlen(data->title), data->title) == 0 : text == data->title;
    if (!match) return TRUE;
    data->found = hWnd;
    return FALSE;
}

HWND FindWindowOf(DWORD pid, const char* title, bool prefix) {
    FindData data = {pid, title, prefix, nullptr};
    EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&data));
    return data.found;
}
}  // namespace

bool AppDriver::Start(const std::string& exePath, const std::string& workDir, const std::string& args) {
    std::string command = "\"" + exePath + "\"" + (args.empty() ? "" : " " + args);
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si,
                        &m_pi))
        return false;
    WaitForInputIdle(m_pi.hProcess, 20000);
    DWORD start = GetTickCount();
    while (!m_main && GetTickCount() - start < 20000) {
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0) return false;
        m_main = FindWindowOf(m_pi.dwProcessId, "Velmira32", true);
        if (!m_main) Sleep(20);
    }
    return m_main != nullptr && Sync();
}

DWORD AppDriver::Stop() {
    if (!m_pi.hProcess) return 0;
    DWORD code = 0;
    if (m_main) PostMessageA(m_main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_pi.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(m_pi.hProcess, 98);
        WaitForSingleObject(m_pi.hProcess, 5000);
    }
    GetExitCodeProcess(m_pi.hProcess, &code);
    CloseHandle(m_pi.hProcess);
    CloseHandle(m_pi.hThread);
    m_pi = PROCESS_INFORMATION{};
    m_main = nullptr;
    return code;
}

bool AppDriver::Sync(DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(m_main, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

void AppDriver::Command(UINT id) {
    // Sent, not posted: a sent message would overtake a posted one.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(m_main, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, 30000, &result);
}

HWND AppDriver::WaitWindow(const char* title, DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = FindWindowOf(m_pi.dwProcessId, title, false)) return found;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(10);
    }
}

bool AppDriver::WaitGone(HWND window, DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

std::string AppDriver::WindowText(HWND window) {
    char text[8192] = {};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, &got))
        return std::string();
    return std::string(text, got < sizeof text ? got : sizeof text - 1);
}

void AppDriver::SetItemText(HWND dlg, int id, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                        10000, &result);
}

std::string AppDriver::ItemText(HWND dlg, int id) {
    // Long texts (listings) need a bigger buffer than WindowText's.
    HWND item = GetDlgItem(dlg, id);
    DWORD_PTR length = 0;
    SendMessageTimeoutA(item, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length);
    std::string text(length + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(item, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL, 10000, &got);
    text.resize(got <= length ? got : length);
    return text;
}

void AppDriver::Click(HWND dlg, int id) {
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void AppDriver::Press(HWND dlg, int id) {
    // Sent: a posted click could still be waiting when a later Sync returns.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)),
                        SMTO_NORMAL, 30000, &result);
}

void AppDriver::SetCheck(HWND dlg, int id, bool checked) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dlg, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_NORMAL,
                        10000, &result);
}

bool AppDriver::DialogCommand(UINT id, const char* title, const std::vector<std::pair<int, std::string>>& fields,
                              int button) {
    PostMessageA(m_main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    HWND dlg = WaitWindow(title);
    if (!dlg) return false;
    for (const auto& field : fields) SetItemText(dlg, field.first, field.second);
    Click(dlg, button);
    bool gone = WaitGone(dlg, 30000);
    return gone && Sync();
}

HWND AppDriver::MdiClient() const { return FindWindowExA(m_main, nullptr, "MDIClient", nullptr); }

HWND AppDriver::ActiveChild() const {
    DWORD_PTR active = 0;
    SendMessageTimeoutA(MdiClient(), WM_MDIGETACTIVE, 0, 0, SMTO_NORMAL, 10000, &active);
    return reinterpret_cast<HWND>(active);
}

HWND AppDriver::View(HWND child) const {
    if (!child) child = ActiveChild();
    return child ? GetDlgItem(child, 0xE900) : nullptr;
}

std::vector<std::string> AppDriver::Log(HWND view) const {
    std::string text = ItemText(GetParent(view), GetDlgCtrlID(view));
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

bool AppDriver::WaitLog(HWND view, size_t count, DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    while (Log(view).size() < count) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

bool RunnerRequest(const char* name) {
    char dir[MAX_PATH];
    DWORD got = GetEnvironmentVariableA("VELMIRA_SHOT_DIR", dir, sizeof dir);
    if (got == 0 || got >= sizeof dir) return false;
    std::string base = std::string(dir) + "\\" + name;
    std::string done = base + ".done";
    DeleteFileA(done.c_str());
    { std::ofstream(base + ".request") << name; }
    DWORD start = GetTickCount();
    while (GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start >= 15000) return false;
        Sleep(50);
    }
    DeleteFileA(done.c_str());
    return true;
}

std::string ScratchDir(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string dir = std::string(temp) + "velmira_" + name;
    CreateDirectoryA(dir.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((dir + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return dir;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace velmira_test
