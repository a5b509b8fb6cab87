/*
 * zenk32_defs.h - result codes, error codes, message numbers, buffer sizes and
 * the MimeMessageRecord layout of zenk32.dll. Included by zenk32.h; it needs
 * no Windows header, so portable code and tools may include it alone.
 */
#ifndef ZENK32_DEFS_H
#define ZENK32_DEFS_H

#define ZENK_VERSION      0x0100  /* ZENKVersion(): 1.0 */

/* ---- Result codes ------------------------------------------------------- */
#define ZENK_TRUE             1   /* yes/no calls: done (ZENKInit, ZENKStartWinSock, ...) */
#define ZENK_FALSE            0   /* yes/no calls: not done */
#define ZENK_OK               0
#define ZENK_NOT_READY      (-1)  /* not initialised; or no WinSock session (session, UDP, stream) */
#define ZENK_FAILED         (-2)  /* failed: the object's last error says why */
#define ZENK_UDP_NULL_HANDLE (-3) /* ZENKUDPWriteToPort only: null handle */
#define ZENK_BAD_HANDLE     (-4)  /* null handle; endpoint creation: no memory */

/* ---- Library error codes (share the code space with WinSock's, 10004 and up) */
#define ZENK_ERR_NONE              0
#define ZENK_ERR_API               1  /* event window cannot be made, or is gone */
#define ZENK_ERR_NO_MEMORY         2  /* buffer or queue element cannot be allocated */
#define ZENK_ERR_BAD_VALUE         3  /* bad port, bad argument, or nothing to read */
#define ZENK_ERR_NOT_SERVER        4  /* accept asked of a non-server stream endpoint */
#define ZENK_ERR_REPLY_NOT_SERVER (-5)/* UDP reply asked of a non-server endpoint */

/* ---- Messages ----------------------------------------------------------- */
#define ZENK_SOCKET_EVENT 2984        /* posted to the library's hidden event window */

/* Endpoint notifications: wParam of the owner's message; lParam = count or 0 */
#define ZENK_UDP_RECEIVED          15000 /* lParam: datagram length */
#define ZENK_UDP_SENT              15001 /* lParam: bytes sent */
#define ZENK_UDP_SEND_ERROR        15002
#define ZENK_UDP_RECEIVE_ERROR     15003
#define ZENK_STREAM_RECEIVED       15005 /* lParam: chunk length */
#define ZENK_STREAM_SENT           15006 /* lParam: bytes of the chunk's final send */
#define ZENK_STREAM_SEND_ERROR     15007
#define ZENK_STREAM_RECEIVE_ERROR  15008
#define ZENK_STREAM_CONNECTED      15009
#define ZENK_STREAM_ACCEPT_READY   15010
#define ZENK_STREAM_CLOSED         15011

/* ---- Buffer sizes the caller supplies ----------------------------------- */
#define ZENK_HOSTNAME_SIZE     40   /* ZENKGetMyName host name */
#define ZENK_ADDRLIST_SIZE    128   /* "a.b.c.d+e.f.g.h" address lists */
#define ZENK_ERRTEXT_SIZE      73   /* error texts */
#define ZENK_WSDESC_SIZE      257   /* ZENKGetWinSockInfo description */
#define ZENK_WSSTATUS_SIZE    129   /* ZENKGetWinSockInfo system status */
#define ZENK_WSVENDOR_SIZE    257   /* ZENKGetWinSockInfo vendor text (cut to fit) */
#define ZENK_SERVERNAME_SIZE   32   /* ZENKGetServerNameDlg result */
#define ZENK_SOCKADDR_SIZE     16   /* UDP sender/destination address (a sockaddr_in) */

#define ZENK_MIME_MAX_TO          32
#define ZENK_MIME_MAX_CC          32
#define ZENK_MIME_MAX_ATTACHMENTS  8

/* One scanned message. Everything it points to belongs to the scanner and
 * stays valid until the next ZENKMimeScanGetNext or ZENKMimeScanClose. */
#ifdef __cplusplus
extern "C" {
#endif
typedef struct MimeMessageRecord {
    char  messageId[64];                          /* Message-ID, at most 63 characters */
    char  date[40];                               /* Date, at most 39 characters */
    char  from[80];                               /* From, at most 79 characters */
    char  subject[256];                           /* Subject, at most 255 characters */
    char* to[ZENK_MIME_MAX_TO];                   /* one entry per To line */
    int   toCount;
    char* cc[ZENK_MIME_MAX_CC];                   /* one entry per Cc line */
    int   ccCount;
    char* attachments[ZENK_MIME_MAX_ATTACHMENTS]; /* paths of attachment files written */
    int   attachmentCount;
    char* text;                                   /* message text, lines end in CR LF */
    int   textLength;                             /* bytes of text with its NUL; 0 if empty */
} MimeMessageRecord;

#ifdef __cplusplus
}
#endif

/* The record crosses the library boundary: its 32-bit layout is fixed. */
#if defined(_WIN32) && !defined(_WIN64) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4)
#ifdef __cplusplus
#include <cstddef>
#define ZENK_STATIC_ASSERT static_assert
#else
#include <stddef.h>
#define ZENK_STATIC_ASSERT _Static_assert
#endif
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, messageId) == 0, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, date) == 64, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, from) == 104, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, subject) == 184, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, to) == 440, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, toCount) == 568, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, cc) == 572, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, ccCount) == 700, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, attachments) == 704, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, attachmentCount) == 736, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, text) == 740, "layout");
ZENK_STATIC_ASSERT(offsetof(MimeMessageRecord, textLength) == 744, "layout");
ZENK_STATIC_ASSERT(sizeof(MimeMessageRecord) == 748, "layout");
#endif

#endif /* ZENK32_DEFS_H */
