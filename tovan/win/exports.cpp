// The exports of tovan32.dll: each checks its arguments, finds the
// connection, runs one Connection call and leaves its message for
// ftp_lasterror. No exception leaves an export.
#include <new>
#include <string>

#include "tovan32.h"
#include "win/connection_table.h"
#include "win/last_error.h"
#include "win/net_wait.h"

using tovan::Connection;
using tovan::Outcome;

namespace {

int Report(const Outcome& out) {
    tovan::SetLastMessage(out.message);
    return out.result;
}

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

// Runs body() with every exception turned into TOVAN_ERR_INTERNAL.
template <class Body>
int Guarded(Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Report({TOVAN_ERR_INTERNAL, "Out of memory"});
    } catch (...) {
        return Report({TOVAN_ERR_INTERNAL, "Internal error"});
    }
}

// Runs call(connection) on the connection of handle h, one call at a time.
template <class Call>
int OnConnection(int h, Call&& call) {
    return Guarded([&] {
        std::shared_ptr<Connection> c = tovan::Connections().Find(h);
        if (!c) return Report({TOVAN_ERR_HANDLE, "No FTP connection has handle " + std::to_string(h)});
        if (!c->Enter())
            return Report({TOVAN_ERR_BUSY, "Connection " + std::to_string(h) + " is busy with another call"});
        c->ClearAbort();
        Outcome out;
        try {
            out = call(*c);
        } catch (...) {
            c->Leave();
            throw;
        }
        c->Leave();
        return Report(out);
    });
}

Outcome Missing(const char* what) { return {TOVAN_ERR_ARGUMENT, std::string("Missing argument: ") + what}; }

}  // namespace

extern "C" {

int TOVANAPI ftp_login(const char* host, const char* user, const char* password, const char* account) {
    return Guarded([&] {
        if (!host || !user || !password) return Report(Missing(!host ? "host" : !user ? "user" : "password"));
        std::string error;
        if (!tovan::StartWinSock(error)) return Report({TOVAN_ERR_CONNECT, error});
        std::shared_ptr<Connection> c(new (std::nothrow) Connection);
        if (!c) return Report({TOVAN_ERR_INTERNAL, "Out of memory"});
        c->Enter();
        Outcome out = c->Login(host, user, password, Text(account));
        c->Leave();
        if (out.result != TOVAN_OK) return Report(out);
        int h = tovan::Connections().Add(c);
        if (h == 0) {
            c->Quit();
            return Report({TOVAN_ERR_LIMIT, "Too many FTP connections (at most " +
                                                std::to_string(TOVAN_MAX_CONNECTIONS) + ")"});
        }
        Report(out);
        return h;
    });
}

int TOVANAPI ftp_relogin(int h, const char* user, const char* password, const char* account) {
    return OnConnection(h, [&](Connection& c) {
        if (!user || !password) return Missing(!user ? "user" : "password");
        return c.Relogin(user, password, Text(account));
    });
}

int TOVANAPI ftp_gatelogin(int h, const char* host, const char* user, const char* password, const char* account) {
    return OnConnection(h, [&](Connection& c) {
        if (!host || !user || !password) return Missing(!host ? "host" : !user ? "user" : "password");
        return c.GateLogin(host, user, password, Text(account));
    });
}

int TOVANAPI ftp_quit(int h) {
    int result = OnConnection(h, [&](Connection& c) { return c.Quit(); });
    if (result != TOVAN_ERR_HANDLE && result != TOVAN_ERR_BUSY) tovan::Connections().Remove(h);
    return result;
}

int TOVANAPI ftp_cd(int h, const char* remoteDir) {
    return OnConnection(h, [&](Connection& c) { return remoteDir ? c.ChangeDirectory(remoteDir) : Missing("directory"); });
}

int TOVANAPI ftp_put(int h, const char* localFile, const char* remoteFile) {
    return OnConnection(h, [&](Connection& c) { return localFile ? c.Put(localFile, Text(remoteFile)) : Missing("local file"); });
}

int TOVANAPI ftp_get(int h, const char* remoteFile, const char* localFile) {
    return OnConnection(h, [&](Connection& c) { return remoteFile ? c.Get(remoteFile, Text(localFile)) : Missing("remote file"); });
}

int TOVANAPI ftp_mput(int h, const char* localPattern, const char*) {
    return OnConnection(h, [&](Connection& c) { return localPattern ? c.MultiPut(localPattern) : Missing("local files"); });
}

int TOVANAPI ftp_mget(int h, const char* remotePattern) {
    return OnConnection(h, [&](Connection& c) { return remotePattern ? c.MultiGet(remotePattern) : Missing("remote files"); });
}

int TOVANAPI ftp_dir(int h, const char* remoteDir, const char* localFile) {
    return OnConnection(h, [&](Connection& c) { return localFile ? c.List(Text(remoteDir), localFile, true) : Missing("local file"); });
}

int TOVANAPI ftp_ls(int h, const char* remoteDir, const char* localFile) {
    return OnConnection(h, [&](Connection& c) { return localFile ? c.List(Text(remoteDir), localFile, false) : Missing("local file"); });
}

int TOVANAPI ftp_quote(int h, const char* command, char* reply, int replySize) {
    if (reply && replySize > 0) reply[0] = '\0';
    return OnConnection(h, [&](Connection& c) {
        if (!command) return Missing("command");
        std::string text;
        Outcome out = c.Quote(command, text);
        if (reply && replySize > 0) {
            std::size_t n = text.size() < static_cast<std::size_t>(replySize) - 1 ? text.size() : replySize - 1;
            text.copy(reply, n);
            reply[n] = '\0';
        }
        return out;
    });
}

int TOVANAPI ftp_abort(int h) {
    return Guarded([&] {
        std::shared_ptr<Connection> c = tovan::Connections().Find(h);
        if (c && !c->Enter()) {
            // A call of this connection is running below us: tell it.
            c->RequestAbort();
            return Report({TOVAN_OK, "Abort requested; the running transfer stops"});
        }
        if (c) c->Leave();
        return OnConnection(h, [&](Connection& conn) { return conn.Abort(); });
    });
}

int TOVANAPI ftp_setascii(int h) {
    return OnConnection(h, [&](Connection& c) { return c.SetType(false); });
}

int TOVANAPI ftp_setbinary(int h) {
    return OnConnection(h, [&](Connection& c) { return c.SetType(true); });
}

int TOVANAPI ftp_localunique(int h) {
    return OnConnection(h, [&](Connection& c) { return c.ToggleLocalUnique(); });
}

int TOVANAPI ftp_storeunique(int h) {
    return OnConnection(h, [&](Connection& c) { return c.ToggleStoreUnique(); });
}

int TOVANAPI ftp_statusbox(int h, int on) {
    return Guarded([&] {
        std::shared_ptr<Connection> c = tovan::Connections().Find(h);
        if (!c) return Report({TOVAN_ERR_HANDLE, "No FTP connection has handle " + std::to_string(h)});
        return Report(c->SetStatusBox(on != 0));
    });
}

int TOVANAPI ftp_lasterror(char* buffer, int size) {
    try {
        return tovan::CopyLastMessage(buffer, size);
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
