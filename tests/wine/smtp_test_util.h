// Helpers of the SMTP Wine tests: composing outboxes through the exports,
// running a delivery to its end, and reading what the peers recorded.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "wine_test_util.h"
#include "zenk32.h"

namespace smtptest {

using Posts = std::vector<std::pair<int, long>>;

inline std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// A Linux path as this Wine process sees it.
inline std::string WinPath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Files of a folder matching a pattern, sorted by name.
inline std::vector<std::string> ListFiles(const std::string& folder, const char* pattern = "*") {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\" + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// The bytes the scripted peer received on its latest connection to address.
inline std::string LatestRecord(const std::string& address) {
    std::string folder = WinPath(Env("ZENK_SMTP_RECORDS"));
    int best = 0;
    for (const auto& name : ListFiles(folder, (address + "-*.bin").c_str()))
        best = std::max(best, std::atoi(name.c_str() + address.size() + 1));
    return best ? ReadAll(folder + "\\" + address + "-" + std::to_string(best) + ".bin") : "";
}

struct Message {
    std::vector<std::string> to, cc, files;
    std::string subject = "test", text;
};

// Writes an outbox with one record per message; false if a call fails.
inline bool Compose(const std::string& outbox, const char* sender, const std::vector<Message>& messages) {
    void* h = nullptr;
    if (ZENKMimePrepStart(outbox.c_str(), sender, &h) != 0) return false;
    bool ok = true;
    for (const auto& m : messages) {
        ok = ok && ZENKMimePrepNewMesg(h) == 0;
        for (const auto& a : m.to) ok = ok && ZENKMimePrepTO(h, a.c_str()) == 0;
        for (const auto& a : m.cc) ok = ok && ZENKMimePrepCC(h, a.c_str()) == 0;
        for (const auto& f : m.files) ok = ok && ZENKMimePrepFile(h, f.c_str()) == 0;
        ok = ok && ZENKMimePrepSubj(h, m.subject.c_str()) == 0;
        ok = ok && ZENKMimePrepData(h, m.text.data(), static_cast<int>(m.text.size())) == 0;
        ok = ok && ZENKMimePrepEndMesg(h) == 0;
    }
    ZENKMimePrepFinish(h);
    return ok;
}

// The message texts of an outbox as the server should store them: the
// lines after "BEGIN DATA" of each record up to its last "END DATA" line
// before the next record ("Letters :" or "BEGIN MESSAGE HEADER") or the
// end of the file, 7-bit, NUL as "?".
inline std::vector<std::string> ExpectedTexts(const std::string& outbox) {
    std::vector<std::string> texts;
    std::istringstream in(outbox);
    std::string line, text, upToMarker;
    bool inData = false, sawMarker = false;
    auto close = [&] {
        if (inData && sawMarker) texts.push_back(upToMarker);
        inData = sawMarker = false;
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (inData && sawMarker && (line.rfind("Letters :", 0) == 0 || line == "BEGIN MESSAGE HEADER")) close();
        if (!inData) {
            if (line == "BEGIN DATA") inData = true, text.clear();
            continue;
        }
        if (line == "END DATA") sawMarker = true, upToMarker = text;
        for (char& c : line) {
            c = static_cast<char>(c & 0x7F);
            if (!c) c = '?';
        }
        text += line + "\r\n";
    }
    close();
    return texts;
}

// A hand-made outbox whose text holds the bytes that turn into CR or LF
// once bit 7 is cleared (0x8D, 0x8A), a bare CR, 0x8A "." 0x8A, and a line
// that reads like a command; and that text as a server must receive it.
inline const std::string kLineBreakOutbox =
    "Letters : 001\r\nFROM:<alice@example.org>\r\nBEGIN MESSAGE HEADER\r\nTO:<bob@example.org>\r\n"
    "END MESSAGE HEADER\r\nBEGIN DATA\r\nSubject: Hello \x8d\x8aX-Injected: yes\r\n\r\n"
    "before\x8a.\x8a" "after\r\nbare\rCR\r\n\x8a.\x8a\r\nMAIL FROM:<eve@example.org>\r\nEND DATA\r\n";
inline const std::string kLineBreakText =
    "Subject: Hello ??X-Injected: yes\r\n\r\nbefore?.?after\r\nbare?CR\r\n?.?\r\n"
    "MAIL FROM:<eve@example.org>\r\n";

constexpr UINT kNotify = WM_APP + 7;

// A hidden window that collects the session's notifications.
class Collector {
public:
    Collector() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SmtpTestCollector";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Collector() { DestroyWindow(window); }
    bool Ended() const {
        return std::find(posts.begin(), posts.end(), std::pair<int, long>{ZENK_SMTP_DONE, 0}) != posts.end();
    }
    // Pumps until the final 0 (and a little longer, for a trailing 12).
    bool WaitForEnd(DWORD timeoutMs = 15000) {
        bool ended = testutil::PumpUntil([&] { return Ended(); }, timeoutMs, Thread());
        testutil::PumpUntil([] { return false; }, 150, Thread());
        return ended;
    }
    HWND window = nullptr;
    Posts posts;

private:
    // Thread messages (the thread variant) have no window: caught here.
    std::function<void(const MSG&)> Thread() {
        return [this](const MSG& m) {
            if (!m.hwnd && m.message == kNotify) posts.emplace_back(static_cast<int>(m.wParam), static_cast<long>(m.lParam));
        };
    }
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Collector*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (self && msg == kNotify) {
            self->posts.emplace_back(static_cast<int>(wp), static_cast<long>(lp));
            return 0;
        }
        return DefWindowProcA(w, msg, wp, lp);
    }
};

// Posts without a trailing 12 (the server's close after the end).
inline Posts WithoutTrailingClose(Posts p) {
    if (p.size() >= 2 && p.back() == std::pair<int, long>{ZENK_SMTP_CLOSED, 0} && p[p.size() - 2] == std::pair<int, long>{ZENK_SMTP_DONE, 0})
        p.pop_back();
    return p;
}

}  // namespace smtptest
