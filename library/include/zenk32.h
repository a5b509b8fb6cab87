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
 *
 * Trace
 *  - Off unless the environment variable ZENK_TRACE names categories when
 *    ZENKInit runs: "smtp", "pop3" (engine states by name, each command
 *    sent and each reply line received), "stream", "udp" (socket events and
 *    notifications), "all"; separated by commas. tovan32.dll reads the same
 *    variables when it is loaded ("ftp"). Lines go to the file named by
 *    ZENK_TRACE_FILE (appended; "-" is standard error), else to the
 *    debugger (OutputDebugString). A file that cannot be opened leaves the
 *    trace off; a failed write turns it off.
 *  - Passwords never appear: PASS, ACCT and APOP arguments, AUTH's initial
 *    response and any line sent that is not a known command (a SASL
 *    response) show as "****"; message text shows as its size only. Reply
 *    lines show as received (bytes outside printable ASCII as '?').
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
/* Sets the library up for use, and reads the trace settings (ZENK_TRACE,
   ZENK_TRACE_FILE; see below). Returns ZENK_TRUE; may be called again. */
int  ZENKAPI ZENKInit(void);
/* Returns ZENK_VERSION (0x0100, 1.0), initialised or not. */
int  ZENKAPI ZENKVersion(void);
/* Starts the WinSock session (WSAStartup with version) and its hidden event
   window on this thread. ZENK_TRUE when started or already running;
   ZENK_FALSE when not initialised, WinSock refused or the window cannot be
   made (ZENKLastWinSockError cannot tell why then: there is no session). */
int  ZENKAPI ZENKStartWinSock(WORD version);
/* Ends the session: destroys the event window; endpoints still open are
   not freed. ZENK_TRUE (also without a session); ZENK_FALSE when not
   initialised. WSACleanup is never called. */
int  ZENKAPI ZENKEndWinSock(void);
/* Copies WSAStartup's data: description ZENK_WSDESC_SIZE, systemStatus
   ZENK_WSSTATUS_SIZE, vendorInfo ZENK_WSVENDOR_SIZE bytes. 0, an error code
   (below) or ZENK_NOT_READY without a session. */
int  ZENKAPI ZENKGetWinSockInfo(WORD* version, char* description, char* systemStatus,
                                WORD* maxSockets, WORD* maxDatagram, char* vendorInfo);
/* This host's name (ZENK_HOSTNAME_SIZE) and its addresses as "a.b.c.d+..."
   (ZENK_ADDRLIST_SIZE). 0, an error code (below) or ZENK_NOT_READY. */
int  ZENKAPI ZENKGetMyName(char* hostName, char* addresses);
/* hostName's addresses as "a.b.c.d+..." (ZENK_ADDRLIST_SIZE). 0, an error
   code (below; 11001 unknown host) or ZENK_NOT_READY. */
int  ZENKAPI ZENKGetServerIP(const char* hostName, char* addresses);
/* The session's last error and its text (ZENK_ERRTEXT_SIZE); it is not
   reset. 0; ZENK_FAILED for a NULL output; ZENK_NOT_READY. */
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
/* UDP server on port, notifying owner with message. Results of the four
   creation calls: 0 with *out set; ZENK_FAILED (out NULL: nothing made; or
   the socket cannot be set up: *out is set, read its last error, close it);
   ZENK_BAD_HANDLE without memory; ZENK_NOT_READY. */
int  ZENKAPI ZENKCreateUDPServer1(int port, HWND owner, UINT message, void** out);
/* The same, notifying thread threadId. */
int  ZENKAPI ZENKCreateUDPServer2(int port, DWORD threadId, UINT message, void** out);
/* UDP client (any local port), notifying owner. */
int  ZENKAPI ZENKCreateUDPClient1(HWND owner, UINT message, void** out);
/* UDP client, notifying thread threadId. */
int  ZENKAPI ZENKCreateUDPClient2(DWORD threadId, UINT message, void** out);
/* Raises the datagram buffer to size bytes (never lowers it). 0;
   ZENK_FAILED above 0x7FFFFFFF or without memory (the old buffer stays);
   ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKSetUDPBufferSize(void* handle, unsigned int size);
/* Queues one datagram for host:port. The endpoint's last error (0 unless an
   earlier failure left one; the datagram is queued all the same), 0 with
   the last error to check (see above), ZENK_FAILED, ZENK_UDP_NULL_HANDLE
   for a NULL handle, ZENK_NOT_READY. Then ZENK_UDP_SENT or _SEND_ERROR. */
int  ZENKAPI ZENKUDPWriteToPort(void* handle, const void* data, unsigned int length,
                                const char* host, int port);
/* The same for host:service ("echo", ...); a NULL handle gives
   ZENK_BAD_HANDLE. */
int  ZENKAPI ZENKUDPWriteToService(void* handle, const void* data, unsigned int length,
                                   const char* host, const char* service);
/* Takes the oldest received datagram (one per ZENK_UDP_RECEIVED) into
   buffer, and its sender (ZENK_SOCKADDR_SIZE) unless senderAddress is NULL.
   0; ZENK_FAILED when none waits (last error 3); ZENK_BAD_HANDLE;
   ZENK_NOT_READY. */
int  ZENKAPI ZENKUDPRead(void* handle, void* buffer, unsigned int length, void* senderAddress);
/* Server endpoints: queues one datagram for destinationAddress (as
   ZENKUDPRead gave it). Results as ZENKUDPWriteToService; a client gives 0
   with last error ZENK_ERR_REPLY_NOT_SERVER. */
int  ZENKAPI ZENKUDPReply(void* handle, const void* data, unsigned int length,
                          const void* destinationAddress);
/* The endpoint's last error and its text (ZENK_ERRTEXT_SIZE), not reset.
   0; ZENK_FAILED for a NULL output; ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKLastUDPWinSockError(void* handle, int* code, char* text);
/* Closes the socket and frees the endpoint; queued datagrams are dropped.
   0; ZENK_BAD_HANDLE; ZENK_NOT_READY. */
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
/* Listening endpoint on port, notifying owner. Results of the six creation
   calls: 0 with *out set (a server on a port outside 1..65535: 0, no
   socket, last error 3); ZENK_FAILED (out NULL: nothing made; or the socket
   cannot be set up: *out is set, read its last error, close it);
   ZENK_BAD_HANDLE without memory; ZENK_NOT_READY. */
int  ZENKAPI ZENKCreateStreamServerWindow(int port, HWND owner, UINT message, void** out);
/* The same, notifying thread threadId. */
int  ZENKAPI ZENKCreateStreamServerThread(int port, DWORD threadId, UINT message, void** out);
/* An endpoint without a socket, for one ZENKStreamAccept; notifies owner. */
int  ZENKAPI ZENKCreateStreamCommWindow(HWND owner, UINT message, void** out);
/* The same, notifying thread threadId. */
int  ZENKAPI ZENKCreateStreamCommThread(DWORD threadId, UINT message, void** out);
/* Accepts the waiting connection (after ZENK_STREAM_ACCEPT_READY) into the
   comm endpoint connection, whose owner then hears ZENK_STREAM_CONNECTED.
   0; ZENK_FAILED (listening's last error says why: 4 not a server, 3 the
   connection endpoint is used, or WinSock's code); ZENK_BAD_HANDLE;
   ZENK_NOT_READY. */
int  ZENKAPI ZENKStreamAccept(void* listening, void* connection);
/* Client endpoint (socket made, not connected), notifying owner. */
int  ZENKAPI ZENKCreateStreamClientWindow(HWND owner, UINT message, void** out);
/* The same, notifying thread threadId. */
int  ZENKAPI ZENKCreateStreamClientThread(DWORD threadId, UINT message, void** out);
/* Starts connecting to host:port. 0 when under way (ZENK_STREAM_CONNECTED
   follows; a later failure only sets the last error); ZENK_FAILED (last
   error: 3 bad argument, 11004 no IPv4 address, or WinSock's code);
   ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKStreamConnectToPort(void* handle, const char* host, int port);
/* The same with the port of a TCP service name ("smtp", ...). */
int  ZENKAPI ZENKStreamConnectToService(void* handle, const char* host, const char* service);
/* Queues a copy of at most the buffer size of data. The endpoint's last
   error (0, or a code an earlier failure left: the chunk is queued all the
   same); ZENK_FAILED when nothing is queued (last error 1, 2 or 3);
   ZENK_ERR_NO_MEMORY (2) when the copy cannot be allocated (nothing
   queued); ZENK_BAD_HANDLE; ZENK_NOT_READY. One ZENK_STREAM_SENT or _SEND_ERROR
   follows per queued write. */
int  ZENKAPI ZENKStreamWrite(void* handle, const void* data, unsigned int length);
/* Takes the oldest received chunk (one per ZENK_STREAM_RECEIVED) into
   buffer. 0; ZENK_FAILED when none waits or the peer has closed (last
   error 3); ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKStreamRead(void* handle, void* buffer, unsigned int length);
/* Raises the chunk buffer to size bytes (never lowers it). 0; ZENK_FAILED
   above 0x7FFFFFFF or without memory (the old buffer stays);
   ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKSetStreamBufferSize(void* handle, unsigned int size);
/* The endpoint's last error and its text (ZENK_ERRTEXT_SIZE), not reset.
   0; ZENK_FAILED for a NULL output; ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKLastStreamWinSockError(void* handle, int* code, char* text);
/* Closes the socket and frees the endpoint; unsent chunks are dropped.
   0; ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKCloseStream(void* handle);

/* ---- SMTP client --------------------------------------------------------- */
/* A session that will deliver the outbox file, telling owner with message
   (wParam a ZENK_SMTP_ status). 0 with *out set; ZENK_FAILED for a NULL
   out; ZENK_NOT_READY when not initialised or without memory. A path over
   ZENK_MAIL_PATH_MAX characters is taken as none (status 6 at send). */
int  ZENKAPI ZENKSMTPStartWindow(HWND owner, UINT message, const char* outboxPath, void** out);
/* The same, telling thread threadId. */
int  ZENKAPI ZENKSMTPStartThread(DWORD threadId, UINT message, const char* outboxPath, void** out);
/* Starts the delivery to server, port 25. 0 when the connection has been
   requested (statuses follow, ending with ZENK_SMTP_DONE); ZENK_FAILED when
   it failed at once (the failure and ZENK_SMTP_DONE are posted) or the
   session already ran (nothing is posted); ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKSMTPSendMail(void* handle, const char* server);
/* Ends the session in any state (no QUIT) and frees it. 0; ZENK_FAILED for
   a NULL handle; ZENK_NOT_READY. */
int  ZENKAPI ZENKSMTPClose(void* handle);

/* SMTP status codes: wParam of the caller's message (lParam 0 unless noted).
 * Every run of ZENKSMTPSendMail ends with ZENK_SMTP_DONE (0); a successful
 * one posts 17, then 15 per message, then 18 and 0. A server that closes
 * the connection after that adds a 12.
 *  - A refused recipient (4xx/5xx to RCPT) posts 0 with lParam = the message
 *    number; the session goes on with the message's next recipient. When
 *    every recipient of a message is refused the run ends with 5 and 0.
 *  - A connection that fails (refused, unreachable) ends the run with 4 and
 *    0 as soon as WinSock reports it; one that is not established within
 *    20 s, too.
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

#define ZENK_MAIL_SERVER_SIZE     48  /* SMTP and POP3 server name: at most 47 characters */
#define ZENK_SMTP_SENDER_SIZE     64  /* outbox sender line: at most 63 characters */
#define ZENK_SMTP_RECIPIENT_MAX  120  /* longest outbox recipient line ("TO:<...>") */
#define ZENK_MAIL_PATH_MAX       255  /* longest outbox or inbox path */

/* ---- POP3 client --------------------------------------------------------- */
/* Notifications: wParam = status (ZENK_POP3_* below), lParam = 0 unless
 * noted. ZENK_POP3_CONNECTED, ZENK_POP3_COUNT (lParam = count),
 * ZENK_POP3_STORED (lParam = the message's number), ZENK_POP3_EMPTY,
 * ZENK_POP3_QUIT_DONE; the failures are the ZENK_POP3_ERR_* codes and
 * ZENK_POP3_CLOSED. Every run ends with ZENK_POP3_DONE (0), posted once;
 * nothing follows it.
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
 *  - A connection that fails after it was requested (noticed as soon as
 *    WinSock reports it), or a server whose greeting line is not complete
 *    within 30 s, gives status 4 and the end (0).
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
#define ZENK_POP3_DONE             0  /* end of the run, posted once */
#define ZENK_POP3_ERR_READ         1  /* a buffer is missing, or a received chunk cannot be read */
#define ZENK_POP3_ERR_RECEIVE      2  /* receiving failed, or the server stayed silent */
#define ZENK_POP3_ERR_SEND         3  /* sending failed, or a command cannot be written */
#define ZENK_POP3_ERR_CONNECT      4  /* connection cannot be requested or established */
#define ZENK_POP3_ERR_REPLY        5  /* a reply that is not "+OK" where one is needed */
#define ZENK_POP3_ERR_INBOX        6  /* the inbox file cannot be created */
#define ZENK_POP3_ERR_INBOX_WRITE  8  /* the inbox file cannot be written */
#define ZENK_POP3_EMPTY            9  /* the mailbox holds no message */
#define ZENK_POP3_ERR_NO_WINDOW   10  /* no session window */
#define ZENK_POP3_ERR_NO_SERVER   11  /* no server name, or a longer one than ZENK_MAIL_SERVER_SIZE - 1 */
#define ZENK_POP3_ERR_STREAM      12  /* the stream endpoint cannot be created (WinSock not started?) */
#define ZENK_POP3_CLOSED          13  /* the server closed the connection */
#define ZENK_POP3_ERR_NO_USER     14  /* no user name, or a longer one than ZENK_POP3_USER_SIZE - 1 */
#define ZENK_POP3_ERR_NO_PASSWORD 15  /* no password, or a longer one than ZENK_POP3_PASSWORD_SIZE - 1 */
#define ZENK_POP3_STORED          16  /* a message is in the inbox file (lParam: its 1-based number) */
#define ZENK_POP3_CONNECTED       17  /* the connection is established */
#define ZENK_POP3_COUNT           18  /* the server reported the count (lParam: the count) */
#define ZENK_POP3_QUIT_DONE       19  /* QUIT acknowledged, no failure pending */

#define ZENK_POP3_USER_SIZE       64  /* user name: at most 63 characters */
#define ZENK_POP3_PASSWORD_SIZE   16  /* password: at most 15 characters */
#define ZENK_POP3_REFUSAL_SIZE   160  /* ZENKPOP3LastRefusal's whole text, NUL included */
#define ZENK_POP3_MAX_MESSAGES 1000000 /* most messages one run handles */
#define ZENK_POP3_COUNT_UNKNOWN  (-1) /* ZENKPOP3NumMail before the server reported the count */

/* A session that will write the inbox file, telling owner with message
   (wParam a ZENK_POP3_ status). 0 with *out set; ZENK_FAILED for a NULL
   out; ZENK_NOT_READY when not initialised or without memory. */
int  ZENKAPI ZENKPOP3StartWindow(HWND owner, UINT message, const char* inboxPath, void** out);
/* The same, telling thread threadId. */
int  ZENKAPI ZENKPOP3StartThread(DWORD threadId, UINT message, const char* inboxPath, void** out);
/* Logs in and asks for the count only (ZENK_POP3_COUNT or _EMPTY); the
   inbox is not touched. 0 when the connection has been requested;
   ZENK_FAILED when a start step failed (its status and ZENK_POP3_DONE are
   posted) or a transaction already ran (nothing posted); ZENK_BAD_HANDLE;
   ZENK_NOT_READY. */
int  ZENKAPI ZENKPOP3IsThereMail(void* handle, const char* server, const char* user,
                                 const char* password);
/* Logs in and retrieves every message into the inbox file (created anew),
   deleting each from the server once it is safely stored when deleteAfter
   is not 0. Results as ZENKPOP3IsThereMail. */
int  ZENKAPI ZENKPOP3PullMail(void* handle, const char* server, const char* user,
                              const char* password, int deleteAfter);
/* The count the server reported, or ZENK_POP3_COUNT_UNKNOWN before. 0;
   ZENK_FAILED for a NULL count; ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKPOP3NumMail(void* handle, int* count);
/* The first refused command and its reply (see above). 0; ZENK_FAILED (none
   yet, "" copied; or text NULL or size below 1); ZENK_BAD_HANDLE;
   ZENK_NOT_READY. */
int  ZENKAPI ZENKPOP3LastRefusal(void* handle, char* text, int size);
/* Ends the session in any state (no QUIT), closes the inbox and frees it. 0; ZENK_FAILED for a NULL handle; ZENK_NOT_READY. */
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
/* Creates the outbox file (emptying one of that name). 0 with *out set,
   also when the file cannot be created (ZENKMimePrepEndMesg then fails);
   ZENK_FAILED (out NULL, or the sender refused as above); ZENK_NOT_READY
   when not initialised or without memory. */
int  ZENKAPI ZENKMimePrepStart(const char* outboxPath, const char* sender, void** out);
/* Opens a new message (dropping one still open). 0 (a scratch file that
   cannot be made shows at ZENKMimePrepData); ZENK_FAILED once the outbox
   holds 999 records; ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKMimePrepNewMesg(void* handle);
/* Adds a To recipient. 0; ZENK_FAILED (NULL or refused text);
   ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int  ZENKAPI ZENKMimePrepTO(void* handle, const char* address);
/* Adds a Cc recipient. Results as ZENKMimePrepTO. */
int  ZENKAPI ZENKMimePrepCC(void* handle, const char* address);
/* Sets the subject. Results as ZENKMimePrepTO. */
int  ZENKAPI ZENKMimePrepSubj(void* handle, const char* subject);
/* Adds an attachment, read when the message ends. Results as
   ZENKMimePrepTO (an empty path is refused). */
int  ZENKAPI ZENKMimePrepFile(void* handle, const char* path);
/* Appends count bytes of text. 0; ZENK_FAILED (NULL data, a negative count,
   a line over 999 bytes, a failed write; nothing written); ZENK_BAD_HANDLE;
   ZENK_NOT_READY. */
int  ZENKAPI ZENKMimePrepData(void* handle, const void* data, int count);
/* Writes the message's record to the outbox. 0; ZENK_FAILED (see above:
   nothing of the record stays, the message stays open); ZENK_BAD_HANDLE;
   ZENK_NOT_READY. */
int  ZENKAPI ZENKMimePrepEndMesg(void* handle);
/* Rewrites the count line, closes the file and frees the composer (the
   handle is gone in either case). 0; ZENK_FAILED when the count line
   cannot be written; ZENK_BAD_HANDLE; ZENK_NOT_READY. */
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
/* Opens the inbox for scanning. 0 with *out set (also for a file that
   cannot be opened: it counts 0 messages); ZENK_FAILED for a NULL out;
   ZENK_NOT_READY when not initialised or without memory. */
int                ZENKAPI ZENKMimeScanStart(const char* inboxPath, const char* attachmentDir, void** out);
/* The count line's number of messages. 0; ZENK_FAILED for a NULL count;
   ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int                ZENKAPI ZENKMimeScanNumMessages(void* handle, int* count);
/* The first record (starting over), or NULL: no more records, a bad record
   (see above), not initialised or a NULL handle. */
MimeMessageRecord* ZENKAPI ZENKMimeScanGetFirst(void* handle);
/* The next record, or NULL as for ZENKMimeScanGetFirst. */
MimeMessageRecord* ZENKAPI ZENKMimeScanGetNext(void* handle);
/* Closes the inbox and frees the scanner and its last record. 0;
   ZENK_BAD_HANDLE; ZENK_NOT_READY. */
int                ZENKAPI ZENKMimeScanClose(void* handle);

/* ---- Secure mail: ports, TLS, SMTP AUTH --------------------------------- */
/* Called after ZENKSMTPStart* / ZENKPOP3Start* and before ZENKSMTPSendMail /
 * ZENKPOP3IsThereMail / ZENKPOP3PullMail. Each returns ZENK_OK, ZENK_FAILED
 * (a value not taken, or the delivery / transaction has already started:
 * nothing is changed then), ZENK_BAD_HANDLE for a null handle, -1 before
 * ZENKInit. A session that calls none of them is the plain session above:
 * port 25 / 110, HELO, USER/PASS in clear, the same bytes and codes.
 *  - Port: 1 to 65535. The security mode never changes the port: TLS from
 *    the first byte is usually 465 (SMTP) or 995 (POP3), STARTTLS 587 or 25.
 *  - Security: ZENK_SECURITY_NONE (default), ZENK_SECURITY_STARTTLS (SMTP
 *    STARTTLS, RFC 3207 / POP3 STLS, RFC 2595, required: a server that does
 *    not offer it or refuses it ends the run with 43; never a fall-back to
 *    clear text) or ZENK_SECURITY_TLS (TLS from the first byte).
 *  - TLS: 1.2 only (Schannel as Wine 8 has it cannot do 1.3); the server's
 *    certificate chain and its host name are always checked; revocation is
 *    not. A server asking for a client certificate gets none. Schannel's
 *    secur32.dll and crypt32.dll are loaded from the system folder on the
 *    first secure connection of the process (a program that never opens
 *    one does not load them); when either cannot be loaded the run ends
 *    with status 40.
 *  - Trust (ZENK*SetTrust): caFile null or "": the system's root store.
 *    Else a PEM file with one or more CERTIFICATE blocks, or one DER
 *    certificate: only those certificates are trusted roots (the system
 *    roots are not). certificateName null or "": the certificate must name
 *    the server as given to SendMail / IsThereMail / PullMail; else it must
 *    name certificateName (for a server reached by address). caFile at most
 *    259 characters, certificateName 255. A CA file that cannot be read is
 *    found at the handshake: status 45.
 *  - SMTP: EHLO replaces HELO only when security or a login was set.
 *    ZENKSMTPSetLogin: user and password at most 255 bytes each, no CR, LF,
 *    a user needs a password; a null or empty user forgets the login. flags:
 *    0 or ZENK_LOGIN_ALLOW_CLEAR (any other bit: ZENK_FAILED). AUTH PLAIN when the EHLO reply
 *    offers it, else AUTH LOGIN; neither, or a refusal: 44 and QUIT. The
 *    credentials go out only through TLS whose handshake has finished,
 *    unless flags holds ZENK_LOGIN_ALLOW_CLEAR; without TLS and without that
 *    flag ZENKSMTPSendMail fails at once with 44 (then 0), nothing sent. The
 *    password is copied into memory that is wiped when the session is
 *    closed or the login replaced; it is never written to a file or log.
 *  - POP3 with security: USER and PASS go out only through TLS. A wrong
 *    password stays status 5 (ZENKPOP3LastRefusal tells the reply).
 *  - A failed handshake ends the run at once, without QUIT (no further byte
 *    is sent on that connection): 40 (no TLS 1.2, an alert, a broken or
 *    cut-off handshake, or a TLS record that fails later), 41 (certificate
 *    not trusted), 42 (certificate for another name), 45 (CA file). A
 *    handshake not finished within the silence limit (SMTP; POP3 after
 *    STLS) or the connect limit (POP3 TLS from the first byte) gives 40.
 *  - The server's close_notify is reported as 12 (SMTP) / 13 (POP3), once,
 *    however the system reports it. When the run is over the session sends
 *    its own close_notify. */
#define ZENK_SECURITY_NONE          0
#define ZENK_SECURITY_STARTTLS      1
#define ZENK_SECURITY_TLS           2
#define ZENK_LOGIN_ALLOW_CLEAR      1  /* ZENKSMTPSetLogin flags: credentials may go out without TLS */

#define ZENK_SMTP_ERR_TLS_HANDSHAKE 40  /* TLS failed: handshake, protocol, cut off */
#define ZENK_SMTP_ERR_TLS_UNTRUSTED 41  /* the certificate chains to no trusted root */
#define ZENK_SMTP_ERR_TLS_NAME      42  /* the certificate names another host */
#define ZENK_SMTP_ERR_STARTTLS      43  /* STARTTLS required but not offered, or refused */
#define ZENK_SMTP_ERR_AUTH          44  /* AUTH refused, not offered, or only possible in clear */
#define ZENK_SMTP_ERR_CAFILE        45  /* the CA file cannot be read or holds no certificate */
#define ZENK_POP3_ERR_TLS_HANDSHAKE 40
#define ZENK_POP3_ERR_TLS_UNTRUSTED 41
#define ZENK_POP3_ERR_TLS_NAME      42
#define ZENK_POP3_ERR_STLS          43  /* STLS refused */
#define ZENK_POP3_ERR_CAFILE        45

int  ZENKAPI ZENKSMTPSetPort(void* handle, int port);
int  ZENKAPI ZENKSMTPSetSecurity(void* handle, int mode);
int  ZENKAPI ZENKSMTPSetLogin(void* handle, const char* user, const char* password, int flags);
int  ZENKAPI ZENKSMTPSetTrust(void* handle, const char* caFile, const char* certificateName);
int  ZENKAPI ZENKPOP3SetPort(void* handle, int port);
int  ZENKAPI ZENKPOP3SetSecurity(void* handle, int mode);
int  ZENKAPI ZENKPOP3SetTrust(void* handle, const char* caFile, const char* certificateName);

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
