#include "core/error_text.h"

#include <cstdio>
#include <iterator>

namespace zenk {
namespace {

struct CodeText {
    int code;
    const char* text;
};

// The library's own codes: the message replaces the "WinSock error" prefix.
constexpr CodeText kLibraryTexts[] = {
    {0, "No error at this time"},
    {1, "General Win32 API/Programming error"},
    {2, "Low Memory : Unable to allocate memory"},
    {3, "Programmer passed illegal/bad value"},
    {4, "A non-server socket cannot accept a connection"},
};

// WinSock's codes: the message follows the prefix.
constexpr CodeText kWinSockTexts[] = {
    {10004, "Interrupted system call"},  // WSAEINTR
    {10009, "Bad file number"},  // WSAEBADF
    {10013, "Permission denied"},  // WSAEACCES
    {10014, "Bad address"},  // WSAEFAULT
    {10022, "Invalid argument"},  // WSAEINVAL
    {10024, "Too many open files"},  // WSAEMFILE
    {10035, "Operation would block"},  // WSAEWOULDBLOCK
    {10036, "Operation now in progress"},  // WSAEINPROGRESS
    {10037, "Operation already in progress"},  // WSAEALREADY
    {10038, "Socket operation on non-socket"},  // WSAENOTSOCK
    {10039, "Destination address required"},  // WSAEDESTADDRREQ
    {10040, "Message too long"},  // WSAEMSGSIZE
    {10041, "Protocol wrong type for socket"},  // WSAEPROTOTYPE
    {10042, "Protocol not available"},  // WSAENOPROTOOPT
    {10043, "Protocol not supported"},  // WSAEPROTONOSUPPORT
    {10044, "Socket type not supported"},  // WSAESOCKTNOSUPPORT
    {10045, "Operation not supported on socket"},  // WSAEOPNOTSUPP
    {10046, "Protocol family not supported"},  // WSAEPFNOSUPPORT
    {10047, "Address family not supported by protocol family"},  // WSAEAFNOSUPPORT
    {10048, "Address already in use"},  // WSAEADDRINUSE
    {10049, "Can't assign requested address"},  // WSAEADDRNOTAVAIL
    {10050, "Network is down"},  // WSAENETDOWN
    {10051, "Network is unreachable"},  // WSAENETUNREACH
    {10052, "Network dropped connection on reset"},  // WSAENETRESET
    {10053, "Software caused connection abort"},  // WSAECONNABORTED
    {10054, "Connection reset by peer"},  // WSAECONNRESET
    {10055, "No buffer space available"},  // WSAENOBUFS
    {10056, "Socket is already connected"},  // WSAEISCONN
    {10057, "Socket is not connected"},  // WSAENOTCONN
    {10058, "Can't send after socket shutdown"},  // WSAESHUTDOWN
    {10059, "Too many references: can't splice"},  // WSAETOOMANYREFS
    {10060, "Connection timed out"},  // WSAETIMEDOUT
    {10061, "Connection refused"},  // WSAECONNREFUSED
    {10062, "Too many levels of symbolic links"},  // WSAELOOP
    {10063, "File name too long"},  // WSAENAMETOOLONG
    {10064, "Host is down"},  // WSAEHOSTDOWN
    {10065, "No route to host"},  // WSAEHOSTUNREACH
    {10066, "Directory not empty"},  // WSAENOTEMPTY
    {10067, "Too many processes"},  // WSAEPROCLIM
    {10068, "Too many users"},  // WSAEUSERS
    {10069, "Disc quota exceeded"},  // WSAEDQUOT
    {10070, "Stale NFS file handle"},  // WSAESTALE
    {10071, "Too many levels of remote in path"},  // WSAEREMOTE
    {10091, "Network sub-system is unusable"},  // WSASYSNOTREADY
    {10092, "WinSock DLL version cannot support this application"},  // WSAVERNOTSUPPORTED
    {10093, "WinSock not initialized"},  // WSANOTINITIALISED
    {11001, "Host not found"},  // WSAHOST_NOT_FOUND
    {11002, "Non-authoritative host not found"},  // WSATRY_AGAIN
    {11003, "Non-recoverable error"},  // WSANO_RECOVERY
    {11004, "Valid name, no data record of requested type"},  // WSANO_DATA
};

constexpr const char kNotWinSock[] = "Not a WinSock error [Application Error]";

const char* Lookup(const CodeText* table, std::size_t count, int code) {
    for (std::size_t i = 0; i < count; ++i)
        if (table[i].code == code) return table[i].text;
    return nullptr;
}

}  // namespace

char* FormatErrorText(int code, char* text, std::size_t capacity) {
    if (!text || capacity == 0) return text;
    if (const char* own = Lookup(kLibraryTexts, std::size(kLibraryTexts), code)) {
        std::snprintf(text, capacity, "%s", own);
    } else if (const char* ws = Lookup(kWinSockTexts, std::size(kWinSockTexts), code)) {
        std::snprintf(text, capacity, "WinSock error %d: %s", code, ws);
    } else {
        std::snprintf(text, capacity, "%s", kNotWinSock);
    }
    return text;
}

}  // namespace zenk
