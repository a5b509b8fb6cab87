/* zenkinfo: prints the library's version and the WinSock session's details.
 * A minimal C caller of zenk32.dll. */
#include <stdio.h>

#include "zenk32.h"

int main(void) {
    WORD version = 0, maxSockets = 0, maxDatagram = 0;
    char description[ZENK_WSDESC_SIZE] = "", status[ZENK_WSSTATUS_SIZE] = "";
    char vendor[ZENK_WSVENDOR_SIZE] = "";
    char host[ZENK_HOSTNAME_SIZE] = "", addresses[ZENK_ADDRLIST_SIZE] = "";
    char text[ZENK_ERRTEXT_SIZE] = "";
    int code = 0, rc;

    ZENKInit();
    printf("zenk32.dll version: %d (%d.%d)\n", ZENKVersion(), ZENKVersion() >> 8, ZENKVersion() & 0xff);
    if (!ZENKStartWinSock(0x0101)) {
        fprintf(stderr, "zenkinfo: the WinSock session could not be started\n");
        return 1;
    }
    rc = ZENKGetWinSockInfo(&version, description, status, &maxSockets, &maxDatagram, vendor);
    if (rc != 0) {
        ZENKLastWinSockError(&code, text);
        fprintf(stderr, "zenkinfo: %s\n", text);
        ZENKEndWinSock();
        return 1;
    }
    printf("WinSock (highest):   %d.%d\n", version & 0xff, version >> 8);
    printf("WinSock description: %s\n", description);
    printf("WinSock status:      %s\n", status);
    printf("Maximum sockets:     %u\n", (unsigned)maxSockets);
    printf("Maximum datagram:    %u\n", (unsigned)maxDatagram);
    if (ZENKGetMyName(host, addresses) == 0)
        printf("Local host:          %s [%s]\n", host, addresses);
    ZENKEndWinSock();
    return 0;
}
