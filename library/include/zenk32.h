/*
 * zenk32.h - the public interface of zenk32.dll, version 1.0 (ZENKVersion() == 256).
 *
 * WinSock sessions, asynchronous TCP and UDP endpoints announced by window or
 * thread messages, an event-driven SMTP client, a POP3 client, a MIME composer
 * and scanner, and a "Network Browser" dialog, for 32-bit Windows programs.
 *
 * Calling rules
 *  - Every function is __stdcall with C linkage, exported under its plain name.
 *    Link with libzenk32.a (made by dlltool) or bind with GetProcAddress.
 *  - Call ZENKInit() first; until then every function returns its
 *    "not initialised" result (ZENK_NOT_READY, 0 or NULL as listed below).
 *  - The session, UDP and stream families also need ZENKStartWinSock().
 *  - Socket work happens when the thread that called ZENKStartWinSock
 *    dispatches its messages; SMTP and POP3 sessions run when the thread that
 *    created them does. Those threads must run a message loop, and the caller
 *    makes its calls from them: the library takes no locks.
 *  - Handles are opaque. The library checks them only for NULL; a handle that
 *    was closed, or made under an ended WinSock session, must not be used.
 *  - Strings are 8-bit and NUL-terminated. Output buffers have the sizes
 *    given below (ZENK_*_SIZE); the library never writes past them. A NULL
 *    output pointer is never written; the call then fails with its family's
 *    failure result (ZENK_FAILED for the integer-returning calls, except the
 *    host queries below, which return error codes).
 *  - No C++ exception ever crosses this interface.
 *  - The library may be unloaded (FreeLibrary) and loaded again in one
 *    process; every family works after the new load (call ZENKInit again).
 *    At unload its window classes ("ZENK_WINSOCK", "ZENK_SMTPWIND",
 *    "ZENK_POP3WIND") are unregistered. Windows of sessions still open then
 *    are detached from the library's code: destroyed when they belong to
 *    the unloading thread, else closed by their own thread's message loop.
 *    Their objects and sockets are not freed: end every session
 *    (ZENKEndWinSock, ZENKSMTPClose, ZENKPOP3Close) before unloading.
 */
#ifndef ZENK32_H
#define ZENK32_H

#include <windows.h>
#include "zenk32_defs.h"

#ifdef __cplusplus
extern "C" {
#endif

#define ZENKAPI __stdcall

/* ---- Library and WinSock session ----------------------------------------- */
int  ZENKAPI ZENKInit(void);
int  ZENKAPI ZENKVersion(void);
int  ZENKAPI ZENKStartWinSock(WORD version);
int  ZENKAPI ZENKEndWinSock(void);
int  ZENKAPI ZENKGetWinSockInfo(WORD* version, char* description, char* systemStatus,
                                WORD* maxSockets, WORD* maxDatagram, char* vendorInfo);
int  ZENKAPI ZENKGetMyName(char* hostName, char* addresses);
int  ZENKAPI ZENKGetServerIP(const char* hostName, char* addresses);
int  ZENKAPI ZENKLastWinSockError(int* code, char* text);
/* ZENKGetWinSockInfo, ZENKGetMyName and ZENKGetServerIP return 0 or an error
 * code: the session's last error while it is not 0, else WinSock's code of a
 * failed query (which becomes the last error). A NULL output gives 3
 * (ZENK_ERR_BAD_VALUE) and leaves the last error alone. */
/* Network browser: a modal "Network Browser" dialog (no WinSock session
 * needed) listing networks > domains/workgroups > servers. Returns 1 when the
 * user chose a server (OK or double-click) and its name, without leading
 * backslashes, is in serverName (ZENK_SERVERNAME_SIZE bytes); 0 otherwise,
 * with serverName untouched: cancelled, not initialised, serverName NULL, or
 * this thread already shows a browser dialog (one per thread; dialogs on
 * different threads may be open together). A server whose name has more
 * than 31 characters is shown cut and cannot be chosen: OK or a double-click
 * on it beeps and shows a message box "Server Name Too Long", owned by the
 * dialog, which stays open afterwards; no cut name is ever returned. */
int  ZENKAPI ZENKGetServerNameDlg(HWND owner, char* serverName);

/* ---- UDP endpoints -------------------------------------------------------
 * Notifications: 15000 received (lParam = datagram length; call ZENKUDPRead
 * once per 15000), 15001 sent whole (lParam = bytes), 15002 send failed or
 * short (dropped), 15003 receive failed (a datagram longer than the buffer:
 * last error 10040, the datagram is lost).
 *  - Addresses are 16-byte sockaddr_in values (ZENK_SOCKADDR_SIZE).
 *  - The sending calls queue one datagram of at most the buffer size. When
 *    the event window is gone (last error 1), on ZENKUDPReply from a client
 *    (-5) or without a staging buffer (2) they return 0: check the last
 *    error. NULL data with a non-zero length, a NULL host, service or
 *    destination, or a port outside 1..65535 return ZENK_FAILED with last
 *    error 3; failed lookups ZENK_FAILED with WinSock's code; no memory 2.
 *    Otherwise they return the last error (0 unless an earlier failure left
 *    a code); the datagram is queued all the same.
 *  - ZENKUDPRead takes one datagram; bytes beyond the buffer length are
 *    discarded; senderAddress may be NULL. A NULL buffer with a non-zero
 *    length takes nothing (ZENK_FAILED, last error 3).
 *  - Servers, creation with a NULL out-parameter and ZENKSetUDPBufferSize
 *    behave as for stream endpoints below.
 */
int  ZENKAPI ZENKCreateUDPServer1(int port, HWND owner, UINT message, void** out);
int  ZENKAPI ZENKCreateUDPServer2(int port, DWORD threadId, UINT message, void** out);
int  ZENKAPI ZENKCreateUDPClient1(HWND owner, UINT message, void** out);
int  ZENKAPI ZENKCreateUDPClient2(DWORD threadId, UINT message, void** out);
int  ZENKAPI ZENKSetUDPBufferSize(void* handle, unsigned int size);
int  ZENKAPI ZENKUDPWriteToPort(void* handle, const void* data, unsigned int length,
                                const char* host, int port);
int  ZENKAPI ZENKUDPWriteToService(void* handle, const void* data, unsigned int length,
                                   const char* host, const char* service);
int  ZENKAPI ZENKUDPRead(void* handle, void* buffer, unsigned int length, void* senderAddress);
int  ZENKAPI ZENKUDPReply(void* handle, const void* data, unsigned int length,
                          const void* destinationAddress);
int  ZENKAPI ZENKLastUDPWinSockError(void* handle, int* code, char* text);
int  ZENKAPI ZENKCloseUDP(void* handle);

/* ---- Stream endpoints ----------------------------------------------------
 * Notifications (wParam of your message): 15005 received (lParam = chunk
 * length; call ZENKStreamRead once per 15005), 15006 one write sent, 15007
 * send failed (chunk dropped), 15008 receive failed, 15009 connected (also
 * for an accepted connection), 15010 a connection waits (create a comm
 * endpoint and call ZENKStreamAccept), 15011 the peer closed (also when the
 * connection was reset or aborted: the code is then the last error). A
 * connect that fails later posts nothing: its code becomes the last error.
 *  - A send that would block is tried again when WinSock says the socket can
 *    send, or after 50 ms at the latest; the thread does not spin meanwhile.
 *  - Sending: one socket event sends queued writes in order until the socket
 *    takes no more, finishing at most 64 writes (each with its own 15006,
 *    in write order) and handing over about 4 MiB before the thread's other
 *    sockets get their turn. A write is sent straight from its queued copy.
 *  - Receiving: one socket event receives until the buffer is full or the
 *    socket holds nothing more (at most about 4 MiB), and announces that as
 *    one chunk: a 15005 brings at most the buffer size, and as much as was
 *    there. When the peer closed right behind the data, the data's 15005
 *    comes first, then the 15005 with 0, then 15011; when receiving failed
 *    right behind it, the data's 15005 comes first, then 15008 (the code is
 *    the last error). A would-block that merely ends the receiving leaves
 *    the last error alone.
 *  - Bulk transfers: raise the buffer size (ZENKSetStreamBufferSize) on both
 *    ends and write chunks that large. With 1 MiB a MiB costs about four
 *    window messages (the write's event and 15006, the read's event and
 *    15005) where 1024 bytes cost thousands.
 *  - Memory: each queue keeps the blocks of its last few chunks of 256 KiB
 *    or more (up to 4 blocks, 4 MiB together, or one larger block) to take
 *    the next ones, so a steady stream of large chunks allocates nothing
 *    new; closing frees them. What an endpoint holds stays near the most it
 *    had queued at once.
 *  - Writes queue a copy of at most the buffer size (1024 bytes unless
 *    raised) and return the endpoint's last error: 0, or a code an earlier
 *    failure left (for example 3 after a read found nothing), in which case
 *    the chunk is queued all the same. Watch for 15006/15007 per write.
 *  - NULL data with a non-zero length: ZENK_FAILED, last error 3, nothing
 *    queued. A zero-length write queues an empty chunk: one 15006 with 0.
 *  - ZENKStreamRead takes exactly one chunk; bytes beyond the buffer length
 *    are discarded. A NULL buffer with a non-zero length takes nothing
 *    (ZENK_FAILED, last error 3); with length 0 it discards the chunk. Once
 *    the peer has closed (15005 with lParam 0) every read fails with 3.
 *  - Ports outside 1..65535 are refused like port 0: a server returns 0 with
 *    last error 3 and no socket; a connect returns ZENK_FAILED with 3. A
 *    NULL host or service name: ZENK_FAILED with 3. A name without an IPv4
 *    address: ZENK_FAILED with 11004.
 *  - A creation call with a NULL out-parameter returns ZENK_FAILED and
 *    creates nothing.
 *  - ZENKSetStreamBufferSize above 0x7FFFFFFF bytes, or without memory,
 *    returns ZENK_FAILED and keeps the old buffer; a smaller size is ignored.
 *  - ZENKStreamAccept on a connection endpoint that already holds a
 *    connection (or with the same handle twice) returns ZENK_FAILED with the
 *    listening endpoint's last error 3; use a new comm endpoint per accept.
 *  - Closing drops chunks not yet sent, without notification; events still
 *    queued for a closed endpoint are dropped.
 */
int  ZENKAPI ZENKCreateStreamServerWindow(int port, HWND owner, UINT message, void** out);
int  ZENKAPI ZENKCreateStreamServerThread(int port, DWORD threadId, UINT message, void** out);
int  ZENKAPI ZENKCreateStreamCommWindow(HWND owner, UINT message, void** out);
int  ZENKAPI ZENKCreateStreamCommThread(DWORD threadId, UINT message, void** out);
int  ZENKAPI ZENKStreamAccept(void* listening, void* connection);
int  ZENKAPI ZENKCreateStreamClientWindow(HWND owner, UINT message, void** out);
int  ZENKAPI ZENKCreateStreamClientThread(DWORD threadId, UINT message, void** out);
int  ZENKAPI ZENKStreamConnectToPort(void* handle, const char* host, int port);
int  ZENKAPI ZENKStreamConnectToService(void* handle, const char* host, const char* service);
int  ZENKAPI ZENKStreamWrite(void* handle, const void* data, unsigned int length);
int  ZENKAPI ZENKStreamRead(void* handle, void* buffer, unsigned int length);
int  ZENKAPI ZENKSetStreamBufferSize(void* handle, unsigned int size);
int  ZENKAPI ZENKLastStreamWinSockError(void* handle, int* code, char* text);
int  ZENKAPI ZENKCloseStream(void* handle);

/* ---- SMTP client --------------------------------------------------------- */
int  ZENKAPI ZENKSMTPStartWindow(HWND owner, UINT message, const char* outboxPath, void** out);
int  ZENKAPI ZENKSMTPStartThread(DWORD threadId, UINT message, const char* outboxPath, void** out);
int  ZENKAPI ZENKSMTPSendMail(void* handle, const char* server);
int  ZENKAPI ZENKSMTPClose(void* handle);

/* SMTP status codes: wParam of the caller's message (lParam 0 unless noted).
 * Every run of ZENKSMTPSendMail ends with ZENK_SMTP_DONE (0); a successful
 * one posts 17, then 15 per message, then 18 and 0. A server that closes
 * the connection after that adds a 12.
 *  - A refused recipient (4xx/5xx to RCPT) posts 0 with lParam = the message
 *    number; the session goes on with the message's next recipient. When
 *    every recipient of a message is refused the run ends with 5 and 0.
 *  - A connection that fails (refused, unreachable) ends the run with 4 and
 *    0 within about a second; one that is not established within 20 s, too.
 *    A server that stays silent for 60 s while the session waits for it
 *    ends the run with 2 and 0; so does nothing: the connection is closed.
 *  - A server that closes the connection before the end: 12, then 0.
 *  - An abort sends QUIT once; if that fails too, the run ends at once.
 *  - Limits: server name below 48 characters (a longer one is not taken:
 *    status 10 on a fresh session); outbox path at most 255 characters (a
 *    longer one gives status 6); sender line at most 63 characters (longer:
 *    13); recipient line ("TO:<...>") at most 120 characters (longer: 3).
 *  - Message text is sent 7-bit: bit 7 of every byte is cleared, and a byte
 *    that becomes NUL, CR or LF (0x00, 0x80, 0x0D, 0x8D, 0x0A, 0x8A) goes
 *    out as "?": lines never join, and no line break reaches the server but
 *    the CR LF that ends each line (a text cannot end the data early).
 *  - A sender or recipient line holding a CR is not sent: status 13 for the
 *    sender line, 3 for a recipient line.
 *  - A message's text ends at its last "END DATA" line before the next
 *    record's "Letters :" or "BEGIN MESSAGE HEADER" line (or the end of the
 *    file), so a text line reading "END DATA" is sent as text. Only a text
 *    holding such a line followed later by one of those two lines is cut.
 *  - Message text goes out in writes of many whole lines, at most 32 KiB
 *    each (the end-of-data line "." closes the last one); the next is
 *    written when one has gone out, so at most one such chunk waits in the
 *    stream whatever the message size. The bytes on the wire are those of
 *    one write per line. An outbox line that cannot be read (a failed read,
 *    or 1000 bytes without a line end) ends the run with 3 and QUIT once the
 *    lines before it have gone out; the data is not ended.
 *  - A session carries one delivery: a second ZENKSMTPSendMail returns
 *    ZENK_FAILED and posts nothing. ZENKSMTPClose ends a session in any
 *    state (no QUIT is sent). */
#define ZENK_SMTP_DONE             0  /* end of the run; refused recipient (lParam: message number) */
#define ZENK_SMTP_ERR_READ         1  /* a received chunk cannot be read */
#define ZENK_SMTP_ERR_RECEIVE      2  /* receiving failed, or the server stayed silent */
#define ZENK_SMTP_ERR_SEND         3  /* sending failed; bad recipient or data line */
#define ZENK_SMTP_ERR_CONNECT      4  /* connection cannot be requested or established */
#define ZENK_SMTP_ERR_REPLY        5  /* reply of an unexpected class */
#define ZENK_SMTP_ERR_OUTBOX       6  /* the outbox file cannot be opened */
#define ZENK_SMTP_ERR_COUNT        8  /* no count line, or a count not above 0 */
#define ZENK_SMTP_ERR_NO_WINDOW    9  /* no session window */
#define ZENK_SMTP_ERR_NO_SERVER   10  /* no server name */
#define ZENK_SMTP_ERR_STREAM      11  /* the stream endpoint cannot be created (WinSock not started?) */
#define ZENK_SMTP_CLOSED          12  /* the server closed the connection */
#define ZENK_SMTP_ERR_SENDER      13  /* second outbox line is not a usable sender line */
#define ZENK_SMTP_ERR_NO_MARKER   14  /* no "BEGIN MESSAGE HEADER" or "BEGIN DATA" line */
#define ZENK_SMTP_SENT            15  /* a message was accepted (lParam: its 1-based number) */
#define ZENK_SMTP_CONNECTED       17  /* the connection is established */
#define ZENK_SMTP_QUIT_DONE       18  /* QUIT acknowledged, no failure pending */

/* ---- POP3 client --------------------------------------------------------- */
/* Notifications: wParam = status, lParam = 0 unless noted. 17 connected,
 * 18 count known (lParam = count), 16 message stored (lParam = its number),
 * 9 mailbox empty, 19 QUIT acknowledged; failures 1-6, 8, 10-15 (2: receiving
 * failed or the server fell silent; 13: the server closed the connection).
 * Every run ends with 0, posted once; nothing follows it.
 *  - The inbox file gets the line "Letters : n", then per message
 *    "BEGIN MESSAGE", the text as the server sent it (with its "." line) and
 *    "END MESSAGE". Text that arrives with the RETR status line, chunks
 *    without CR LF and an end line split across chunks are all stored whole.
 *  - The text is received in chunks of up to 256 KiB and written through a
 *    256 KiB buffer: when 16 is posted, the message and its "END MESSAGE"
 *    are in the file. What a run that fails leaves in the buffer is written
 *    at its end; if that write fails, 8 is posted (unless a failure code
 *    already was). Memory use does not grow with the message size.
 *  - With deleteAfter, DELE n is sent only after message n and its
 *    "END MESSAGE" are written and flushed to disk; a failed write (status
 *    8) ends the run with QUIT and no DELE.
 *  - One transaction per session: once a connection has been requested, a
 *    further IsThereMail/PullMail returns ZENK_FAILED and posts nothing
 *    (after a start failure the call may be repeated).
 *  - ZENKPOP3NumMail gives -1 until the server has reported the count.
 *  - An inbox path of 256 characters or more is not taken: retrieval then
 *    fails with status 6.
 *  - A connection that fails after it was requested (noticed within about
 *    0.2 s), or a server whose greeting line is not complete within 30 s,
 *    gives status 4 and the end (0).
 *  - After the greeting, a server that sends nothing for 60 s while the
 *    session waits for it (also in the middle of a message) ends the run
 *    with 2 and 0: the connection is dropped without QUIT, so the server
 *    commits none of the run's DELEs (RFC 1939 deletes only on QUIT), and
 *    a message cut off is not reported as stored; what had arrived of it
 *    stays in the inbox after its "BEGIN MESSAGE", without "END MESSAGE".
 *  - A reply line is at most 1000 bytes with its CR LF. A longer one is read
 *    up to its CR LF (however long) and counts as one reply that is not
 *    "+OK": status 5 where a positive reply is needed. So a greeting that
 *    is not "+OK" ends the run with QUIT before USER or PASS is sent. Bytes
 *    after a reply in the same chunk are dropped, except message text after
 *    the RETR status line.
 *  - The STAT count is taken as 0 to 1000000 (a negative count is 0): a run
 *    handles at most 1000000 messages; "Letters :", status 18 and
 *    ZENKPOP3NumMail give that number, and messages beyond it stay on the
 *    server, neither retrieved nor deleted.
 *  - Server name: at most 47 characters, user 63, password 15; a longer
 *    value is not taken (status 11, 14 or 15 on a fresh session).
 * ZENKPOP3LastRefusal copies the run's first refused command and the reply
 * to it, "COMMAND: reply" (e.g. "RETR 3: -ERR no such message"; "greeting"
 * for the greeting; PASS without its argument; the password, should the
 * server echo it, as '*'; bytes outside printable ASCII as '?'; at most 159
 * characters, ending in "..." when cut or when the line was over-long),
 * into text, cut to size - 1 characters and NUL-terminated. Returns 0 when
 * a command was refused (status 5), ZENK_FAILED with "" copied while none
 * was, ZENK_FAILED for a null text or a size below 1, ZENK_BAD_HANDLE for a
 * null handle. */
int  ZENKAPI ZENKPOP3StartWindow(HWND owner, UINT message, const char* inboxPath, void** out);
int  ZENKAPI ZENKPOP3StartThread(DWORD threadId, UINT message, const char* inboxPath, void** out);
int  ZENKAPI ZENKPOP3IsThereMail(void* handle, const char* server, const char* user,
                                 const char* password);
int  ZENKAPI ZENKPOP3PullMail(void* handle, const char* server, const char* user,
                              const char* password, int deleteAfter);
int  ZENKAPI ZENKPOP3NumMail(void* handle, int* count);
int  ZENKAPI ZENKPOP3LastRefusal(void* handle, char* text, int size);
int  ZENKAPI ZENKPOP3Close(void* handle);

/* ---- MIME composer ------------------------------------------------------- */
/* Writes an outbox file for the SMTP client. Besides the listed results:
 *  - ZENKMimePrepStart returns ZENK_FAILED when the sender holds CR or LF or
 *    a byte that is CR or LF once bit 7 is cleared (0x8D, 0x8A), since the
 *    SMTP client clears bit 7 (no file is created, no handle written);
 *    ZENKMimePrepTO, ...CC, ...Subj and ...File refuse such a text with
 *    ZENK_FAILED, so no caller text can add lines to the outbox record or
 *    the mail header. ZENKMimePrepFile also refuses an empty path.
 *  - ZENKMimePrepData refuses (ZENK_FAILED, nothing written) text that would
 *    make a line longer than 999 bytes before its LF: the outbox readers
 *    cannot deliver such a line. For the same reason ZENKMimePrepEndMesg
 *    returns ZENK_FAILED, with the message still open, while the text ends
 *    in an unfinished line of 999 bytes (the CR LF that closes it would not
 *    fit): add its line end, then end the message.
 *  - Attachments are read when the message is ended, for reading only and
 *    without sharing (a read-only file can be attached). One that cannot be
 *    opened or read to its end then (gone, held open by another program),
 *    a text that cannot be read back, or a write to the outbox that fails
 *    (a full disk) makes ZENKMimePrepEndMesg return ZENK_FAILED: nothing of
 *    the record stays in the outbox and the message stays open, so it can
 *    be ended again once the cause is gone. Should the partial record not
 *    be removable, every later ZENKMimePrepEndMesg on this composer fails.
 *  - The count lines number the records in the file: the first line, set
 *    by ZENKMimePrepFinish, announces exactly the records written. A
 *    message dropped by the next ZENKMimePrepNewMesg, or still open at
 *    ZENKMimePrepFinish, is not counted and is not in the file.
 *  - ZENKMimePrepNewMesg while a message is open drops that message (its
 *    scratch file ZENKMIME.QDF is closed and deleted). Once the outbox holds
 *    999 records (the count line has three digits) ZENKMimePrepNewMesg and
 *    ZENKMimePrepEndMesg return ZENK_FAILED until Finish.
 *  - ZENKMimePrepFinish returns ZENK_FAILED when the count line cannot be
 *    written; the handle is invalid afterwards in either case.
 *  - Only a backslash separates the attachment's file name from its folders.
 *  - The Date zone is always signed ("+0000" in UTC). */
int  ZENKAPI ZENKMimePrepStart(const char* outboxPath, const char* sender, void** out);
int  ZENKAPI ZENKMimePrepNewMesg(void* handle);
int  ZENKAPI ZENKMimePrepTO(void* handle, const char* address);
int  ZENKAPI ZENKMimePrepCC(void* handle, const char* address);
int  ZENKAPI ZENKMimePrepSubj(void* handle, const char* subject);
int  ZENKAPI ZENKMimePrepFile(void* handle, const char* path);
int  ZENKAPI ZENKMimePrepData(void* handle, const void* data, int count);
int  ZENKAPI ZENKMimePrepEndMesg(void* handle);
int  ZENKAPI ZENKMimePrepFinish(void* handle);

/* ---- MIME scanner (MimeMessageRecord: zenk32_defs.h) -------------------- */
/* Reads an inbox file written by the POP3 client. The file is opened for
 * reading only, without sharing, until ZENKMimeScanClose; one that cannot be
 * opened gives a count of 0 and no records.
 *  - ZENKMimeScanGetFirst always delivers the first message: called again,
 *    it frees the current record and starts over from the top of the file.
 *  - Every record is read from a clean state: its result never depends on
 *    the records before it (a message is MIME only with its own
 *    MIME-Version header; leading empty lines of a text are always dropped).
 *  - Lines of any length are read whole (a line of more than 64 MiB makes
 *    its record bad, below). Header fields are unfolded (RFC 5322) before
 *    they are read, up to 65,535 bytes a field; record fields keep their
 *    sizes and a longer value is cut there. A CR inside a header line
 *    becomes a blank, so no record field holds a line break.
 *  - Header names and media types are matched in any case. Parameters
 *    (boundary, filename, name) are found by name, in any order, on any
 *    folded line, quoted or not; RFC 2231 values (filename*=...) are decoded
 *    from their %XX escapes, without charset conversion. A body part's
 *    header lines may come in any order; a part without Content-Type is text.
 *  - Subject is free text and kept whole; From, To, Cc, Date and Message-ID
 *    lose a trailing "(comment)".
 *  - Beyond 32 To (or Cc) lines, the further values are joined to the 32nd
 *    entry with ", " until it holds 65,535 characters; later values that
 *    would pass that are left out.
 *  - Text parts (7bit, no file name) go to text; other parts are decoded
 *    into files (at most 8 per message; further ones stay in text). Transfer
 *    encodings are known by their whole name: base64, quoted-printable,
 *    7bit (and an empty value); 8bit, binary and others are copied as they
 *    stand. The file name is the Content-Disposition filename, else the
 *    Content-Type name. It is reduced to its last path component, with
 *    device names, "..", drive letters and unsafe characters (control
 *    characters, CR and LF among them) refused or replaced; a name longer
 *    than 143 characters is shortened before its final extension, which it
 *    keeps (one with an extension of more than 32 characters gets a
 *    generated name instead). It is created new in attachmentDir and never
 *    overwrites a file. A name that is taken, unsafe, too long for a
 *    259-character path, or missing gets a generated "QDF" name (in the
 *    temporary folder when attachmentDir is empty).
 *  - A record ends at the "END MESSAGE" line that follows the end mark "."
 *    (the POP3 client always writes it so), so a text line reading
 *    "END MESSAGE" is text. A hand-made record without an end mark ends at
 *    its last "END MESSAGE" before the next "BEGIN MESSAGE".
 *  - Quoted-printable: a bad "=" escape is kept as written; a soft line break
 *    joins lines. The line end before a delimiter belongs to the delimiter
 *    (RFC 2046): unencoded, 8bit and quoted-printable files end without it;
 *    their other lines keep their CR LF. The message text keeps the line
 *    ends of its lines.
 *  - "--" lines that are no delimiter of an open multipart, and lines after
 *    the outermost closing delimiter, are text. An attachment or a run of
 *    empty lines ends at the record's end, at the end mark "." or at the end
 *    of the file.
 *  - A multipart type without a usable boundary (none, empty, or longer than
 *    127 characters) is read as one text part: its body comes back as text.
 *  - Input and output go in blocks of 64 KiB: the inbox is read once, from
 *    front to back (only a record holding an "END MESSAGE" line that follows
 *    no end mark is read ahead in to find its end), and attachment bytes are
 *    written a block at a time; each file is complete and closed before its
 *    record is returned. Memory per handle is about 128 KiB, plus the
 *    message text and buffers in proportion to the longest line read,
 *    whatever the size of an attachment.
 *  - A bad record: when an attachment file cannot be created (a generated
 *    name that cannot be opened) or written (a full disk), when memory runs
 *    out, or at a line of more than 64 MiB, ZENKMimeScanGetFirst or
 *    ZENKMimeScanGetNext returns NULL for that record and removes every file
 *    written for it. The next ZENKMimeScanGetNext goes on with the record
 *    after it, so a caller that asks for ZENKMimeScanNumMessages records and
 *    counts a NULL before that as a bad record reads every sound one. */
int                ZENKAPI ZENKMimeScanStart(const char* inboxPath, const char* attachmentDir, void** out);
int                ZENKAPI ZENKMimeScanNumMessages(void* handle, int* count);
MimeMessageRecord* ZENKAPI ZENKMimeScanGetFirst(void* handle);
MimeMessageRecord* ZENKAPI ZENKMimeScanGetNext(void* handle);
int                ZENKAPI ZENKMimeScanClose(void* handle);

/* ---- Text in any charset: composer and scanner -------------------------- */
/* The composer takes the caller's text, subject and attachment names as
 * bytes in one character set: by default the process's ANSI code page
 * (GetACP), named by its registered name (windows-1252, windows-1251,
 * shift_jis, gbk, ks_c_5601-1987, big5, ...).
 *  - A message of 7-bit bytes only is written byte for byte as always
 *    ("charset=us-ascii", "7bit", the subject and names as they stand).
 *  - A text holding 8-bit bytes is labelled "text/plain; charset=NAME" and
 *    written quoted-printable or base64, whichever is shorter (quoted-
 *    printable on a tie); its line breaks (LF or CR LF) become CR LF. No
 *    byte of it then has bit 7 set or reads as a line break on the wire.
 *  - An 8-bit subject is written as RFC 2047 encoded words (Q or B, the
 *    shorter), folded so that no line passes 76 characters; no word cuts
 *    a character (UTF-8 and double-byte sets are cut between characters).
 *  - An 8-bit attachment name gets an RFC 2231 filename* (in numbered
 *    pieces when long) beside a plain filename in which each run of 8-bit
 *    bytes is one "_".
 *  - CR and LF stay refused in the subject and attachment paths; 0x8A and
 *    0x8D are refused there too unless the set has multi-byte characters
 *    (UTF-8, double-byte sets), where they are parts of characters and are
 *    only ever written encoded.
 * ZENKMimePrepSetCharset names the set for the messages ended after it
 * ("utf-8", "iso-8859-7", any case and usual aliases; the list is in the
 * README). ZENK_FAILED, the set unchanged: null or unknown name, or
 * iso-2022-jp (a stateful set the composer cannot cut into words).
 * Attachment paths are names in the same set: they are opened through the
 * set's code page (the ANSI functions when it is the ANSI code page).
 *
 * The scanner gives 8-bit text back as it was written:
 *  - Encoded-word subjects are decoded into the caller's code page (the
 *    ANSI code page, or the one ZENKMimeScanSetCharset names) when every
 *    character has an exact form there; otherwise the subject stays as
 *    written (encoded, 7-bit, readable by any RFC 2047 decoder). Adjacent
 *    words join without the blanks between them; decoded CR, LF and NUL
 *    become blanks.
 *  - RFC 2231 names (filename*=, name*=) and encoded-word names are
 *    converted the same way; a character without an exact form is written
 *    as %XX of its bytes (as are "%" and control characters), so the name
 *    stays 7-bit, readable, and keeps its extension. The result then goes
 *    through the same safety rules as every name (last path component, no
 *    device names, unsafe characters replaced, the extension kept).
 *  - A text/plain part without a file name (and not marked "attachment")
 *    in quoted-printable or base64 is decoded into the record's text, in
 *    its own charset, and no file is written for it; the text of a
 *    single-part message is decoded the same way. Text is never converted:
 *    ZENKMimeScanGetCharset gives its charset. A base64 line that does not
 *    decode is kept in the text as written.
 * ZENKMimeScanSetCharset: the code page for decoded subjects and names of
 * the records read after it (e.g. "utf-8"). ZENK_FAILED for a null or
 * unknown name or iso-2022-jp. The attachment folder and the paths in the
 * record are then in that code page too (files are made through it; an
 * ASCII folder reads the same in every one).
 * ZENKMimeScanGetCharset: copies the charset name of the text of the record
 * last returned into buffer (size bytes, the NUL included): the charset
 * parameter of the first part that gave text, else "us-ascii". Names are at
 * most 39 characters. ZENK_FAILED for a null buffer, size <= 0, or a name
 * that does not fit (buffer then holds the empty string when size > 0). */
int ZENKAPI ZENKMimePrepSetCharset(void* handle, const char* charset);
int ZENKAPI ZENKMimeScanSetCharset(void* handle, const char* charset);
int ZENKAPI ZENKMimeScanGetCharset(void* handle, char* buffer, int size);

#ifdef __cplusplus
}  /* extern "C" */
#endif

#endif /* ZENK32_H */
