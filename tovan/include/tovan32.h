/*
 * tovan32.h - the FTP client library tovan32.dll.
 *
 * Blocking calls over WinSock, one connection per handle (an int > 0).
 * Every function is __stdcall with C linkage, exported under its plain name.
 * ftp_lasterror() reports on the latest call of the process, whichever
 * connection it was for.
 *
 * Results. ftp_login returns the new handle (> 0) or one of the negative
 * TOVAN_ERR_ codes below; ftp_quote returns the server's reply code
 * (100..599) or a negative code; every other call returns TOVAN_OK (0) or a
 * negative code. Every call, whatever its outcome, leaves a message for
 * ftp_lasterror: on success a short report ("Logged in to host as user",
 * "Received a.txt into c:\\a.txt (1234 bytes, binary)"), on failure what
 * went wrong, with the server's reply where there is one ("Login failed:
 * 530 Authentication failed.").
 *
 * Timeouts. No network wait (connect, reply, data, the server's connection
 * in active mode) lasts longer than 30 s; the environment variable
 * TOVAN_TIMEOUT (whole seconds, 1..3600), read when the library is loaded,
 * changes that. A reply must arrive whole within that time, however slowly
 * its bytes trickle in. A call makes a bounded number of such waits; one
 * that times out fails with TOVAN_ERR_NETWORK and "... within N s". A
 * server may send at most 16 preliminary (1xx) replies in a row before the
 * final one (and at most 16 "120" before its greeting); one that sends more
 * fails the call: TOVAN_ERR_NETWORK for a plain command (the connection is
 * closed), TOVAN_ERR_REFUSED for a transfer or a login. A connection whose
 * control channel broke or timed out stays a valid handle that fails every
 * call until ftp_quit drops it.
 *
 * Window messages. While a call waits on the network it dispatches the
 * calling thread's window messages every 50 ms, also while data flows
 * without a pause, so the caller's windows keep painting and menu commands
 * keep working. Data or a reply that arrived while a message handler held
 * the thread past the timeout (a modal dialog, say) is still taken. A call
 * made from there on the connection that is already in a call is refused
 * with TOVAN_ERR_BUSY, except ftp_abort and ftp_statusbox. A WM_QUIT met
 * there is posted again for the caller's own loop.
 *
 * Abort. ftp_abort during a call of the same connection (that is, from a
 * command dispatched while the call waits) asks the running transfer to
 * stop: the transfer closes its data connection, sends ABOR, reads the
 * server's two final replies (the transfer's own, 426 or 226 if it had just
 * completed, and ABOR's 225 or 226; only ABOR's when the server answered
 * the transfer command with a final reply at once) and fails with
 * TOVAN_ERR_ABORTED and "Transfer aborted: " and ABOR's reply; a
 * download's partial local file is deleted. ftp_mput and ftp_mget stop at
 * the file being moved. An abort asked for while no data moves yet
 * takes effect once it does. ftp_abort between calls sends ABOR itself and
 * reports the reply (a server with nothing to abort answers 225 or 226).
 *
 * Transfers. Passive mode (PASV) first; the data connection goes to the
 * control connection's own server address, whatever address the 227 reply
 * names (so a server cannot point us at a third host). When PASV is refused
 * or its connection fails, active mode (PORT) is used, and from then on for
 * the connection; when no local socket can listen for it, the transfer
 * fails with TOVAN_ERR_NETWORK. Type is binary (TYPE I) after login;
 * ftp_setascii and ftp_setbinary send TYPE A / TYPE I at once. In ASCII mode an upload's
 * bare LF line ends become CR LF; downloads are written as received.
 * A failed or aborted download leaves no partial file behind; the local
 * file is only created (or truncated) once the server has accepted RETR.
 *
 * Unique options, both off after login, each call toggles it:
 *  - local unique: ftp_get and ftp_mget never overwrite a local file; when
 *    the name is taken they write "name.1" .. "name.99" (the first free one)
 *    and fail when all are taken. The message names the file written.
 *  - store unique: ftp_put and ftp_mput send STOU with the remote name
 *    (empty: no name), so the server picks a name that is free; the message
 *    names the file the server reports.
 *
 * Wildcards. ftp_mput takes a local path whose last element may hold '*'
 * and '?' (matched without regard to case); each matching file is stored
 * under its own name in the remote current folder. ftp_mget takes a remote
 * path whose last element may hold them (matched with regard to case,
 * against the NLST of the folder part); each match is written under its own
 * name in the local current folder. Names from the server that are not
 * plain file names are skipped: those holding '/', '\', ':' or the like,
 * "." and "..", names ending in '.' or a blank, and Windows device names
 * with or without an extension (CON, PRN, AUX, NUL, COM0-9, LPT0-9,
 * CONIN$, CONOUT$, CLOCK$, in any case: "nul.txt" too). When every
 * matching name is skipped ftp_mget fails with TOVAN_ERR_REFUSED ("... 0 of
 * 0 files received; n names skipped ...").
 *
 * Listings. ftp_dir (LIST) and ftp_ls (NLST) write the listing as received
 * (CR LF lines) into the local file, which is always replaced: local unique
 * does not apply to it. An empty directory argument lists the current one.
 *
 * Status box. ftp_statusbox(h, 1) opens a small modeless window, titled
 * "FTP status - host", that shows the connection's protocol exchange: "> "
 * before each command sent (passwords as "PASS ****"), "< " before each
 * reply line, "* " before the library's own notes. It opens with the
 * latest 64 lines of the exchange, so a box opened just after ftp_login
 * shows the login. ftp_statusbox(h, 0) closes it; ftp_quit closes it too.
 * The window (class "TOVAN_STATUSBOX") belongs to the thread that opened it.
 *
 * Threads. Connections may be used from several threads, each connection
 * by one call at a time (a second one gets TOVAN_ERR_BUSY); while its
 * status box is open, use a connection from the thread that opened it.
 *
 * Gateway login. ftp_gatelogin(h, host, user, ...) logs in through the
 * gateway that h is connected to, by sending "USER user@host" and the
 * password (and the account, when the server asks for one) on h; h then
 * stays the connection, now to the target host.
 *
 * Accounts. The account argument (may be NULL or "") is sent with ACCT only
 * when the server asks for one (332); without one that login fails.
 *
 * Texts. Arguments that would be sent to the server may not hold CR or LF
 * (TOVAN_ERR_ARGUMENT). Host: a name or dotted address, optionally with
 * ":port" (default 21); blanks around it are ignored.
 *
 * Replies. A line from the server that is not a reply line (three digits
 * 100..599 and a blank, a '-' or nothing) is skipped unless it is inside a
 * multi-line reply; it is never taken for an answer. Reply text is kept up
 * to 16384 characters.
 */
#ifndef TOVAN32_H
#define TOVAN32_H

#ifdef __cplusplus
extern "C" {
#endif

#define TOVANAPI __stdcall

#define TOVAN_OK             0
#define TOVAN_ERR_HANDLE    -1  /* no connection has this handle */
#define TOVAN_ERR_ARGUMENT  -2  /* a missing, malformed or unsafe argument */
#define TOVAN_ERR_CONNECT   -3  /* host not found, or no connection could be made */
#define TOVAN_ERR_NETWORK   -4  /* the control or data connection broke or timed out */
#define TOVAN_ERR_REFUSED   -5  /* the server answered with a failure reply */
#define TOVAN_ERR_LOCALFILE -6  /* a local file could not be read, made or written */
#define TOVAN_ERR_ABORTED   -7  /* the transfer was aborted by ftp_abort */
#define TOVAN_ERR_BUSY      -8  /* the connection is inside another call */
#define TOVAN_ERR_LIMIT     -9  /* too many connections, or no free unique name */
#define TOVAN_ERR_INTERNAL -10  /* out of memory or an unexpected failure */

/* Most connections open at once. */
#define TOVAN_MAX_CONNECTIONS 64

/* Connects and logs in; returns the new handle (> 0) or a TOVAN_ERR_ code. */
int TOVANAPI ftp_login(const char* host, const char* user, const char* password, const char* account);
/* Logs in again on h as another (or the same) user: USER, PASS, [ACCT]. */
int TOVANAPI ftp_relogin(int h, const char* user, const char* password, const char* account);
/* Logs in to host through the gateway h is connected to (USER user@host). */
int TOVANAPI ftp_gatelogin(int h, const char* host, const char* user, const char* password,
                           const char* account);
/* Sends QUIT and closes; the handle is gone whatever the result, except
   TOVAN_ERR_BUSY (called from inside another call of h: nothing done). */
int TOVANAPI ftp_quit(int h);
/* CWD. */
int TOVANAPI ftp_cd(int h, const char* remoteDir);
/* Stores a local file (STOR, or STOU with store unique on). */
int TOVANAPI ftp_put(int h, const char* localFile, const char* remoteFile);
/* Retrieves a remote file (RETR) into a local file. */
int TOVANAPI ftp_get(int h, const char* remoteFile, const char* localFile);
/* Stores every local file matching localPattern; reserved is ignored (may be NULL). */
int TOVANAPI ftp_mput(int h, const char* localPattern, const char* reserved);
/* Retrieves every remote file matching remotePattern into the local current folder. */
int TOVANAPI ftp_mget(int h, const char* remotePattern);
/* LIST of remoteDir ("" for the current one) into localFile. */
int TOVANAPI ftp_dir(int h, const char* remoteDir, const char* localFile);
/* NLST of remoteDir ("" for the current one) into localFile. */
int TOVANAPI ftp_ls(int h, const char* remoteDir, const char* localFile);
/* Sends one command line; the reply (every line, CR LF between lines,
   1xx replies followed by the final one, at most 16384 characters) is left
   NUL-terminated in reply, cut to replySize - 1 characters. Returns the
   final reply's code (always 100..599) or a negative code. */
int TOVANAPI ftp_quote(int h, const char* command, char* reply, int replySize);
/* Aborts the running transfer of h, or sends ABOR between calls. */
int TOVANAPI ftp_abort(int h);
/* TYPE A. */
int TOVANAPI ftp_setascii(int h);
/* TYPE I. */
int TOVANAPI ftp_setbinary(int h);
/* Toggles local unique (see above). */
int TOVANAPI ftp_localunique(int h);
/* Toggles store unique (see above). */
int TOVANAPI ftp_storeunique(int h);
/* Opens (on != 0) or closes the status box of h. */
int TOVANAPI ftp_statusbox(int h, int on);
/* Copies the latest call's message into buffer (at most size - 1 characters
   and a NUL); returns the number of characters written (0: none). */
int TOVANAPI ftp_lasterror(char* buffer, int size);

#ifdef __cplusplus
}
#endif

#endif /* TOVAN32_H */
