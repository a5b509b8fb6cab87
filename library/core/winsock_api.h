// The WinSock functions the library calls, as one table of pointers.
//
// The shipped library always uses the real functions. The library's test
// build replaces entries to inject would-block, partial sends, failures and
// the like deterministically, which a real socket will not do on demand.
#pragma once
#include <windows.h>
#include <winsock.h>

namespace zenk {

struct WinSockApi {
    int (PASCAL* WSAStartup)(WORD, LPWSADATA);
    int (PASCAL* WSAGetLastError)(void);
    void (PASCAL* WSASetLastError)(int);
    int (PASCAL* WSAAsyncSelect)(SOCKET, HWND, u_int, long);
    SOCKET (PASCAL* socket)(int, int, int);
    int (PASCAL* bind)(SOCKET, const struct sockaddr*, int);
    int (PASCAL* listen)(SOCKET, int);
    SOCKET (PASCAL* accept)(SOCKET, struct sockaddr*, int*);
    int (PASCAL* connect)(SOCKET, const struct sockaddr*, int);
    int (PASCAL* send)(SOCKET, const char*, int, int);
    int (PASCAL* recv)(SOCKET, char*, int, int);
    int (PASCAL* sendto)(SOCKET, const char*, int, int, const struct sockaddr*, int);
    int (PASCAL* recvfrom)(SOCKET, char*, int, int, struct sockaddr*, int*);
    int (PASCAL* closesocket)(SOCKET);
    int (PASCAL* shutdown)(SOCKET, int);
    int (PASCAL* setsockopt)(SOCKET, int, int, const char*, int);
    int (PASCAL* getsockname)(SOCKET, struct sockaddr*, int*);
    int (PASCAL* ioctlsocket)(SOCKET, long, u_long*);
    int (PASCAL* gethostname)(char*, int);
    struct hostent* (PASCAL* gethostbyname)(const char*);
    struct servent* (PASCAL* getservbyname)(const char*, const char*);
    unsigned long (PASCAL* inet_addr)(const char*);
    char* (PASCAL* inet_ntoa)(struct in_addr);
};

// The table in use. Only the library's test build ever changes it.
WinSockApi& Ws();

// A table of the real functions, to restore entries from.
const WinSockApi& RealWinSockApi();

}  // namespace zenk
