// app_fake_tovan.cpp - a scripted stand-in for tovan32.dll, for driving
// Velmira32 without a server. Every call appends one line naming itself and
// its arguments to calls.txt in the folder named by VELMIRA_FAKE_DIR
// ("(null)" for a null text). Results come from the [fake] section of
// control.ini in the same folder, read at each call, so a test can change
// them while the application runs:
//   LOGIN      ftp_login's result (default 7)
//   RESULT     result of relogin, gatelogin, quit, dir and ls (default 0)
//   LASTERROR  ftp_lasterror's result (default: length of its message)
//   LISTING    bytes of listing that dir and ls write (default 3000)
//   BLOCK      when 1, ftp_put waits (dispatching the thread's messages, as
//              the real library does while it waits on the network) until
//              BLOCK is 0 again, at most 20 s
// ftp_lasterror's message is "msg:" + the name of the latest other call.
#include <windows.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "tovan32.h"

namespace {
char g_lastCall[64] = "none";

// A file of the fake's folder; false when VELMIRA_FAKE_DIR is not set.
bool FakePath(const char* file, char* path, size_t size) {
    char dir[MAX_PATH];
    DWORD got = GetEnvironmentVariableA("VELMIRA_FAKE_DIR", dir, sizeof dir);
    if (got == 0 || got >= sizeof dir) return false;
    return snprintf(path, size, "%s\\%s", dir, file) < static_cast<int>(size);
}

int EnvInt(const char* name, int fallback) {
    char path[MAX_PATH];
    if (!FakePath("control.ini", path, sizeof path)) return fallback;
    return static_cast<int>(GetPrivateProfileIntA("fake", name, fallback, path));
}

void Record(const char* call, const char* format, ...) {
    snprintf(g_lastCall, sizeof g_lastCall, "%s", call);
    char path[MAX_PATH];
    if (!FakePath("calls.txt", path, sizeof path)) return;
    FILE* file = fopen(path, "ab");
    if (!file) return;
    va_list args;
    va_start(args, format);
    fprintf(file, "%s(", call);
    vfprintf(file, format, args);
    fprintf(file, ")\n");
    va_end(args);
    fclose(file);
}

const char* Text(const char* s) { return s ? s : "(null)"; }

// A listing of exactly size bytes: numbered lines, in file order.
int WriteListing(const char* path, int size) {
    FILE* file = fopen(path, "wb");
    if (!file) return -1;
    for (int written = 0, line = 0; written < size; ++line) {
        char text[32];
        int length = snprintf(text, sizeof text, "file%05d.txt\r\n", line);
        if (length > size - written) length = size - written;
        fwrite(text, 1, static_cast<size_t>(length), file);
        written += length;
    }
    fclose(file);
    return 0;
}
}  // namespace

extern "C" {
int TOVANAPI ftp_login(const char* host, const char* user, const char* password, const char* account) {
    Record("ftp_login", "%s,%s,%s,%s", Text(host), Text(user), Text(password), Text(account));
    return EnvInt("LOGIN", 7);
}
int TOVANAPI ftp_relogin(int h, const char* user, const char* password, const char* account) {
    Record("ftp_relogin", "%d,%s,%s,%s", h, Text(user), Text(password), Text(account));
    return EnvInt("RESULT", 0);
}
int TOVANAPI ftp_gatelogin(int h, const char* host, const char* user, const char* password, const char* account) {
    Record("ftp_gatelogin", "%d,%s,%s,%s,%s", h, Text(host), Text(user), Text(password), Text(account));
    return EnvInt("RESULT", 0);
}
int TOVANAPI ftp_quit(int h) {
    Record("ftp_quit", "%d", h);
    return EnvInt("RESULT", 0);
}
int TOVANAPI ftp_cd(int h, const char* dir) {
    Record("ftp_cd", "%d,%s", h, Text(dir));
    return 0;
}
int TOVANAPI ftp_put(int h, const char* local, const char* remote) {
    Record("ftp_put", "%d,%s,%s", h, Text(local), Text(remote));
    for (DWORD start = GetTickCount(); EnvInt("BLOCK", 0) && GetTickCount() - start < 20000; Sleep(20)) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    return 0;
}
int TOVANAPI ftp_get(int h, const char* remote, const char* local) {
    Record("ftp_get", "%d,%s,%s", h, Text(remote), Text(local));
    return 0;
}
int TOVANAPI ftp_mput(int h, const char* pattern, const char* reserved) {
    Record("ftp_mput", "%d,%s,%s", h, Text(pattern), Text(reserved));
    return 0;
}
int TOVANAPI ftp_mget(int h, const char* pattern) {
    Record("ftp_mget", "%d,%s", h, Text(pattern));
    return 0;
}
int TOVANAPI ftp_dir(int h, const char* dir, const char* file) {
    Record("ftp_dir", "%d,%s,%s", h, Text(dir), file ? "file" : "(null)");
    int result = EnvInt("RESULT", 0);
    return (result == 0 && file) ? WriteListing(file, EnvInt("LISTING", 3000)) : result;
}
int TOVANAPI ftp_ls(int h, const char* dir, const char* file) {
    Record("ftp_ls", "%d,%s,%s", h, Text(dir), file ? "file" : "(null)");
    int result = EnvInt("RESULT", 0);
    return (result == 0 && file) ? WriteListing(file, EnvInt("LISTING", 3000)) : result;
}
int TOVANAPI ftp_quote(int h, const char* command, char* reply, int size) {
    Record("ftp_quote", "%d,%s,%d", h, Text(command), size);
    if (reply && size > 0) snprintf(reply, static_cast<size_t>(size), "200 reply to %s", Text(command));
    return 0;
}
int TOVANAPI ftp_abort(int h) { Record("ftp_abort", "%d", h); return 0; }
int TOVANAPI ftp_setascii(int h) { Record("ftp_setascii", "%d", h); return 0; }
int TOVANAPI ftp_setbinary(int h) { Record("ftp_setbinary", "%d", h); return 0; }
int TOVANAPI ftp_localunique(int h) { Record("ftp_localunique", "%d", h); return 0; }
int TOVANAPI ftp_storeunique(int h) { Record("ftp_storeunique", "%d", h); return 0; }
int TOVANAPI ftp_statusbox(int h, int on) { Record("ftp_statusbox", "%d,%d", h, on); return 0; }
int TOVANAPI ftp_lasterror(char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    int length = snprintf(buffer, static_cast<size_t>(size), "msg:%s", g_lastCall);
    return EnvInt("LASTERROR", length);
}
}
