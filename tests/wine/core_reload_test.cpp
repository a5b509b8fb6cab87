// zenk32.dll loaded, used, unloaded and loaded again in one process, as a
// plug-in host does: every family (event window, SMTP and POP3 sessions,
// browser dialog) works after each load, the library really leaves at
// FreeLibrary, and none of its window classes outlives it. The mail peers
// are small scripted servers in this program, on 127.0.9.41.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "wine_test_util.h"
#include "zenk32.h"

namespace {

constexpr char kPeerAddress[] = "127.0.9.41";
constexpr int kUdpPort = 47391;
constexpr UINT kUdpMessage = WM_APP + 1, kSmtpMessage = WM_APP + 2, kPop3Message = WM_APP + 3;
const char* const kClassNames[] = {"ZENK_WINSOCK", "ZENK_SMTPWIND", "ZENK_POP3WIND"};

// The exports this test uses, bound by name from one load of the library.
struct Zenk {
    HMODULE module = nullptr;
#define ZENK_FN(name, ...) int(__stdcall* name)(__VA_ARGS__) = nullptr;
    ZENK_FN(ZENKInit)
    ZENK_FN(ZENKStartWinSock, WORD)
    ZENK_FN(ZENKEndWinSock)
    ZENK_FN(ZENKCreateUDPServer2, int, DWORD, UINT, void**)
    ZENK_FN(ZENKCreateUDPClient2, DWORD, UINT, void**)
    ZENK_FN(ZENKUDPWriteToPort, void*, const void*, unsigned int, const char*, int)
    ZENK_FN(ZENKUDPRead, void*, void*, unsigned int, void*)
    ZENK_FN(ZENKCloseUDP, void*)
    ZENK_FN(ZENKMimePrepStart, const char*, const char*, void**)
    ZENK_FN(ZENKMimePrepNewMesg, void*)
    ZENK_FN(ZENKMimePrepTO, void*, const char*)
    ZENK_FN(ZENKMimePrepSubj, void*, const char*)
    ZENK_FN(ZENKMimePrepData, void*, const void*, int)
    ZENK_FN(ZENKMimePrepEndMesg, void*)
    ZENK_FN(ZENKMimePrepFinish, void*)
    ZENK_FN(ZENKSMTPStartThread, DWORD, UINT, const char*, void**)
    ZENK_FN(ZENKSMTPSendMail, void*, const char*)
    ZENK_FN(ZENKSMTPClose, void*)
    ZENK_FN(ZENKPOP3StartThread, DWORD, UINT, const char*, void**)
    ZENK_FN(ZENKPOP3PullMail, void*, const char*, const char*, const char*, int)
    ZENK_FN(ZENKPOP3NumMail, void*, int*)
    ZENK_FN(ZENKPOP3Close, void*)
    ZENK_FN(ZENKGetServerNameDlg, HWND, char*)
#undef ZENK_FN

    // Loads the library and binds every export; false when one is missing.
    bool Load() {
        module = LoadLibraryA("zenk32.dll");
        if (!module) return false;
        bool all = true;
#define ZENK_BIND(name) all = Bind(name, #name) && all;
        ZENK_BIND(ZENKInit) ZENK_BIND(ZENKStartWinSock) ZENK_BIND(ZENKEndWinSock)
        ZENK_BIND(ZENKCreateUDPServer2) ZENK_BIND(ZENKCreateUDPClient2) ZENK_BIND(ZENKUDPWriteToPort)
        ZENK_BIND(ZENKUDPRead) ZENK_BIND(ZENKCloseUDP) ZENK_BIND(ZENKMimePrepStart) ZENK_BIND(ZENKMimePrepNewMesg)
        ZENK_BIND(ZENKMimePrepTO) ZENK_BIND(ZENKMimePrepSubj) ZENK_BIND(ZENKMimePrepData)
        ZENK_BIND(ZENKMimePrepEndMesg) ZENK_BIND(ZENKMimePrepFinish) ZENK_BIND(ZENKSMTPStartThread)
        ZENK_BIND(ZENKSMTPSendMail) ZENK_BIND(ZENKSMTPClose) ZENK_BIND(ZENKPOP3StartThread)
        ZENK_BIND(ZENKPOP3PullMail) ZENK_BIND(ZENKPOP3NumMail) ZENK_BIND(ZENKPOP3Close)
        ZENK_BIND(ZENKGetServerNameDlg)
#undef ZENK_BIND
        return all;
    }
    template <class F>
    bool Bind(F& fn, const char* name) {
        fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        return fn != nullptr;
    }
};

// A scripted line peer: accepts connections one after another, greets,
// and answers each line the client sends with reply(line), which may also
// end the connection. Counts what it was sent.
class LinePeer {
public:
    using Reply = std::string (*)(const std::string& line, bool& inData, bool& close, int& messages);
    LinePeer(int port, const char* greeting, Reply reply) : greeting_(greeting), reply_(reply) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at = {};
        at.sin_family = AF_INET;
        at.sin_port = htons(static_cast<u_short>(port));
        at.sin_addr.s_addr = inet_addr(kPeerAddress);
        BOOL reuse = TRUE;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
        listening_ = bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 && listen(listener_, 4) == 0;
        if (listening_) thread_ = std::thread([this] { Serve(); });
    }
    ~LinePeer() {
        closesocket(listener_);  // ends accept
        if (thread_.joinable()) thread_.join();
    }
    bool Listening() const { return listening_; }
    int Messages() const { return messages_; }

private:
    void Serve() {
        for (;;) {
            SOCKET s = accept(listener_, nullptr, nullptr);
            if (s == INVALID_SOCKET) return;
            std::string out = std::string(greeting_) + "\r\n", pending;
            send(s, out.data(), static_cast<int>(out.size()), 0);
            bool inData = false, close = false;
            char chunk[1024];
            int got;
            while (!close && (got = recv(s, chunk, sizeof chunk, 0)) > 0) {
                pending.append(chunk, got);
                for (size_t end; !close && (end = pending.find("\r\n")) != std::string::npos;) {
                    int count = messages_;
                    std::string answer = reply_(pending.substr(0, end), inData, close, count);
                    messages_ = count;
                    pending.erase(0, end + 2);
                    if (!answer.empty()) send(s, answer.data(), static_cast<int>(answer.size()), 0);
                }
            }
            closesocket(s);
        }
    }
    const char* greeting_;
    Reply reply_;
    SOCKET listener_ = INVALID_SOCKET;
    bool listening_ = false;
    std::atomic<int> messages_{0};
    std::thread thread_;
};

std::string SmtpReply(const std::string& line, bool& inData, bool& close, int& messages) {
    if (inData) {
        if (line != ".") return "";
        inData = false;
        ++messages;
        return "250 stored\r\n";
    }
    std::string verb = line.substr(0, 4);  // commands may carry a trailing blank
    if (verb == "DATA") {
        inData = true;
        return "354 go on\r\n";
    }
    if (verb == "QUIT") {
        close = true;
        return "221 bye\r\n";
    }
    return "250 ok\r\n";
}

std::string Pop3Reply(const std::string& line, bool&, bool& close, int& messages) {
    if (line.compare(0, 4, "STAT") == 0) return "+OK 1 38\r\n";
    if (line.compare(0, 4, "RETR") == 0) {
        ++messages;
        return "+OK 38 octets\r\nSubject: reload\r\n\r\nhello again\r\n.\r\n";
    }
    if (line.compare(0, 4, "QUIT") == 0) close = true;
    return "+OK\r\n";
}

std::string TempPath(const char* name) {
    char dir[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

// Thread messages of this thread, by message number: the wParams in order.
struct Posts {
    std::vector<std::pair<UINT, WPARAM>> all;
    std::vector<WPARAM> Of(UINT message) const {
        std::vector<WPARAM> out;
        for (const auto& p : all)
            if (p.first == message) out.push_back(p.second);
        return out;
    }
    // The run's final 0 has come (an SMTP server's close may add a 12 after it).
    bool Ended(UINT message) const {
        std::vector<WPARAM> codes = Of(message);
        return std::find(codes.begin(), codes.end(), WPARAM(0)) != codes.end();
    }
    bool Wait(const std::function<bool()>& pred, DWORD timeoutMs = 15000) {
        return testutil::PumpUntil(pred, timeoutMs, [this](const MSG& msg) {
            if (!msg.hwnd && msg.message >= WM_APP) all.emplace_back(msg.message, msg.wParam);
        });
    }
};

// The event window: a datagram from one endpoint to another.
void UseEventWindow(const Zenk& z) {
    Posts posts;
    void* server = nullptr;
    void* client = nullptr;
    ASSERT_EQ(0, z.ZENKCreateUDPServer2(kUdpPort, GetCurrentThreadId(), kUdpMessage, &server));
    ASSERT_EQ(0, z.ZENKCreateUDPClient2(GetCurrentThreadId(), kUdpMessage, &client));
    const char datagram[] = "reload";
    EXPECT_EQ(0, z.ZENKUDPWriteToPort(client, datagram, sizeof datagram, "127.0.0.1", kUdpPort));
    EXPECT_TRUE(posts.Wait([&] {
        for (WPARAM code : posts.Of(kUdpMessage))
            if (code == 15000) return true;
        return false;
    })) << "no datagram announced";
    char got[32] = {};
    EXPECT_EQ(0, z.ZENKUDPRead(server, got, sizeof got, nullptr));
    EXPECT_STREQ(datagram, got);
    z.ZENKCloseUDP(client);
    z.ZENKCloseUDP(server);
}

// SMTP: an outbox of one message, sent to the scripted peer.
void UseSmtp(const Zenk& z, LinePeer& peer, bool close, int round) {
    // A session left open keeps its outbox open: one outbox per round.
    std::string outbox = TempPath(("zenk_reload_outbox" + std::to_string(round) + ".txt").c_str());
    DeleteFileA(outbox.c_str());
    void* prep = nullptr;
    ASSERT_EQ(0, z.ZENKMimePrepStart(outbox.c_str(), "alice@example.org", &prep));
    const char text[] = "hello again\r\n";
    EXPECT_EQ(0, z.ZENKMimePrepNewMesg(prep));
    EXPECT_EQ(0, z.ZENKMimePrepTO(prep, "bob@example.org"));
    EXPECT_EQ(0, z.ZENKMimePrepSubj(prep, "reload"));
    EXPECT_EQ(0, z.ZENKMimePrepData(prep, text, static_cast<int>(sizeof text - 1)));
    EXPECT_EQ(0, z.ZENKMimePrepEndMesg(prep));
    z.ZENKMimePrepFinish(prep);

    int before = peer.Messages();
    Posts posts;
    void* smtp = nullptr;
    ASSERT_EQ(0, z.ZENKSMTPStartThread(GetCurrentThreadId(), kSmtpMessage, outbox.c_str(), &smtp));
    EXPECT_EQ(0, z.ZENKSMTPSendMail(smtp, kPeerAddress));
    EXPECT_TRUE(posts.Wait([&] { return posts.Ended(kSmtpMessage); }));
    std::vector<WPARAM> codes = posts.Of(kSmtpMessage);
    if (codes.size() == 5 && codes.back() == ZENK_SMTP_CLOSED) codes.pop_back();  // the peer closed after QUIT
    EXPECT_EQ((std::vector<WPARAM>{ZENK_SMTP_CONNECTED, ZENK_SMTP_SENT, ZENK_SMTP_QUIT_DONE, ZENK_SMTP_DONE}), codes);
    EXPECT_EQ(before + 1, peer.Messages());
    if (close) z.ZENKSMTPClose(smtp);
}

// POP3: one message fetched from the scripted peer into an inbox.
void UsePop3(const Zenk& z, LinePeer& peer, int round) {
    std::string inbox = TempPath(("zenk_reload_inbox" + std::to_string(round) + ".txt").c_str());
    DeleteFileA(inbox.c_str());
    int before = peer.Messages();
    Posts posts;
    void* pop3 = nullptr;
    ASSERT_EQ(0, z.ZENKPOP3StartThread(GetCurrentThreadId(), kPop3Message, inbox.c_str(), &pop3));
    EXPECT_EQ(0, z.ZENKPOP3PullMail(pop3, kPeerAddress, "bob", "secret", 0));
    EXPECT_TRUE(posts.Wait([&] { return posts.Ended(kPop3Message); }));
    std::vector<WPARAM> codes = posts.Of(kPop3Message);
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), WPARAM(ZENK_POP3_STORED))) << "no message stored";
    int count = -1;
    z.ZENKPOP3NumMail(pop3, &count);
    EXPECT_EQ(1, count);
    EXPECT_EQ(before + 1, peer.Messages());
    z.ZENKPOP3Close(pop3);
}

// The browser: shown on a thread of its own, cancelled once it has its outcome.
void UseBrowser(const Zenk& z) {
    struct Run {
        const Zenk* z;
        char name[32] = "untouched";
        int result = -1;
        static DWORD WINAPI Main(void* self) {
            Run* run = static_cast<Run*>(self);
            run->result = run->z->ZENKGetServerNameDlg(nullptr, run->name);
            return 0;
        }
    } run{&z};
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, &Run::Main, &run, 0, &threadId);
    ASSERT_NE(nullptr, thread);
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !dialog; ++i) {
        Sleep(10);
        HWND found = FindWindowA(nullptr, "Network Browser");
        DWORD owner = found ? GetWindowThreadProcessId(found, nullptr) : 0;
        if (owner == threadId && IsWindowEnabled(GetDlgItem(found, IDCANCEL))) dialog = found;  // outcome in
    }
    EXPECT_NE(nullptr, dialog) << "the dialog did not show its outcome";
    if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    EXPECT_EQ(0, run.result);
    EXPECT_STREQ("untouched", run.name);
}

// Unloads the library; true once it has left the process (a browser worker
// may hold it a moment longer).
bool Unload(Zenk& z) {
    FreeLibrary(z.module);
    for (int i = 0; i < 500; ++i) {
        if (!GetModuleHandleA("zenk32.dll")) return true;
        Sleep(10);
    }
    return false;
}

class LibraryReload : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    void SetUp() override {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue
        ASSERT_EQ(nullptr, GetModuleHandleA("zenk32.dll")) << "the program must not import the library";
        ASSERT_TRUE(smtp_.Listening()) << kPeerAddress << ":25 is taken";
        ASSERT_TRUE(pop3_.Listening()) << kPeerAddress << ":110 is taken";
    }
    LinePeer smtp_{25, "220 reload peer", &SmtpReply};
    LinePeer pop3_{110, "+OK reload peer", &Pop3Reply};
};

// Three loads in one process. Before the second and third the library was
// left with nothing open; before the last one the WinSock session and an
// SMTP session were still open when it went, as a careless host leaves them.
TEST_F(LibraryReload, EveryFamilyWorksAfterEachLoad) {
    struct Round {
        const char* what;
        bool endSessions;  // end WinSock and close the SMTP session before unloading
    };
    const Round kRounds[] = {{"first load", true}, {"second load", false}, {"third load", true}};
    for (int index = 0; index < 3; ++index) {
        const Round& round = kRounds[index];
        SCOPED_TRACE(round.what);
        Zenk z;
        ASSERT_TRUE(z.Load()) << "zenk32.dll or one of its exports is missing";
        EXPECT_NE(0, z.ZENKInit());
        ASSERT_EQ(1, z.ZENKStartWinSock(0x0101));
        UseEventWindow(z);
        UseSmtp(z, smtp_, round.endSessions, index);
        UsePop3(z, pop3_, index);
        UseBrowser(z);
        if (round.endSessions) z.ZENKEndWinSock();
        HMODULE old = z.module;
        ASSERT_TRUE(Unload(z)) << "the library stayed loaded";
        for (const char* name : kClassNames) {
            WNDCLASSA wc;
            EXPECT_FALSE(GetClassInfoA(old, name, &wc)) << name << " outlived the library";
        }
        // Whatever was still queued for windows of the library now finds none.
        Posts after;
        after.Wait([] { return false; }, 200);
    }
}

}  // namespace
