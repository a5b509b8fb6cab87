// The WinSock layer under every connection: start-up, name lookup, and
// bounded waits on non-blocking sockets.
//
// Every wait is cut into short slices. Between slices the calling thread's
// window messages are dispatched, so the caller's windows (and the status
// box) stay alive and a UI command can reach ftp_abort while a call runs.
// No wait lasts longer than the network timeout (settings.h).
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <string>

namespace tovan {

enum class WaitResult { kReady, kTimeout, kFailed, kAborted };

// WSAStartup once per process; false when WinSock cannot be had.
bool StartWinSock(std::string& error);

// A readable text for a WinSock error code: "Connection refused (10061)".
std::string SocketErrorText(int code);

// Resolves a dotted address or a host name to an IPv4 address.
bool ResolveHost(const std::string& host, in_addr& out, std::string& error);

// A new non-blocking TCP socket, or INVALID_SOCKET with error set.
SOCKET NewStreamSocket(std::string& error);

// Connects s (non-blocking) to to, waiting at most the network timeout.
bool ConnectWithin(SOCKET s, const sockaddr_in& to, std::string& error);

// Waits until s can be read (or written), the timeout passes, or
// *abortFlag (when given) becomes non-zero.
// Window messages are dispatched at least every 50 ms, whether the socket
// is ready or not, and the abort flag is looked at after each dispatch.
WaitResult WaitSocket(SOCKET s, bool forWrite, const volatile LONG* abortFlag);
// The same, waiting at most limitMs instead of the network timeout.
WaitResult WaitSocketWithin(SOCKET s, bool forWrite, const volatile LONG* abortFlag, DWORD limitMs);

// Sends all of data on s, waiting within the timeout for each part.
bool SendAll(SOCKET s, const char* data, int size, const volatile LONG* abortFlag, std::string& error);

// Dispatches the calling thread's pending window messages. A WM_QUIT is
// put back for the caller's own loop; the result is then false, and the
// wait pumps no more, leaving the quit to the caller.
bool PumpMessages();

}  // namespace tovan
