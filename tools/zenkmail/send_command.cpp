// zenkmail send: compose one message into an outbox file, then deliver it.
#include <windows.h>

#include <cstdio>

#include "print.h"
#include "send_parts.h"
#include "verbose.h"
#include "zenk32.h"
#include "zenkmail_send.h"

namespace {

std::string TemporaryOutbox() {
    char folder[MAX_PATH], name[MAX_PATH];
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "zmo", 0, name)) return "zenkmail.out";
    return name;
}

}  // namespace

int SendCommand(int argc, char** argv) {
    SendOptions options;
    int parsed = ParseSendOptions(argc, argv, &options);
    if (parsed >= 0) return parsed;

    if (options.verbose) ShowProtocolExchange("smtp");
    ZENKInit();
    if (!ZENKStartWinSock(0x0101)) {
        PrintError("zenkmail send: WinSock cannot be started\n");
        return 3;
    }
    bool temporary = options.outbox.empty();
    std::string outbox = temporary ? TemporaryOutbox() : options.outbox;
    Print("composing: from %s, %zu recipient(s), %zu attachment(s)\n", options.from.c_str(),
                options.to.size() + options.cc.size(), options.attachments.size());
    std::fflush(stdout);  // before any complaint about a part
    if (!ComposeOutbox(options, outbox)) {
        if (temporary) DeleteFileA(outbox.c_str());
        ZENKEndWinSock();
        return 2;
    }
    DeliveryResult r = Deliver(options.server, outbox, 1, options.secure);
    WipePassword(options.secure);
    if (temporary) DeleteFileA(outbox.c_str());
    ZENKEndWinSock();
    if (r.failure == -1) return 3;
    if (r.failure || r.accepted == 0) {
        PrintError("zenkmail send: the message was not delivered\n");
        return 1;
    }
    if (r.refused) {
        Print("delivered, but %d recipient(s) were refused\n", r.refused);
        return 4;
    }
    Print("delivered\n");
    return 0;
}
