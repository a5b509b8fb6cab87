// zenkmail: sends, fetches and scans mail through zenk32.dll, as an
// ordinary caller of the library.
//
//   zenkmail send --server HOST --from ADDR --to ADDR ... [--help]
//   zenkmail SUBCOMMAND --help
#include <cstdio>
#include <cstring>

#include "print.h"
#include "zenkmail_send.h"
#include "zenkmail_pop3.h"

namespace {

struct Subcommand {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* summary;
};

const Subcommand kSubcommands[] = {
    {"send", SendCommand, "compose a message and deliver it to an SMTP server"},
    {"fetch", FetchCommand, "download a POP3 mailbox into an inbox file"},
    {"scan", ScanCommand, "list the messages of an inbox file and save attachments"},
};

void Usage(FILE* out) {
    std::fputs("usage: zenkmail SUBCOMMAND [OPTIONS]   (zenkmail SUBCOMMAND --help for its options)\n", out);
    for (const auto& s : kSubcommands) std::fprintf(out, "  %-6s %s\n", s.name, s.summary);
    std::fputs("exit codes: 0 done, 1 the transfer failed, 2 bad command line,\n"
               "            3 the library or WinSock could not be started, 4 see the subcommand\n",
               out);
}

}  // namespace

int main(int argc, char** argv) {
    // The C runtime writes an unbuffered stdout byte by byte, each a system
    // call. Output is buffered here (lines go through Print, see print.h) and
    // each subcommand flushes where a reader should see progress.
    static char outBuffer[64 * 1024];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    if (argc < 2) {
        Usage(stderr);
        return 2;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        Usage(stdout);
        return 0;
    }
    for (const auto& s : kSubcommands)
        if (!std::strcmp(argv[1], s.name)) return s.run(argc - 2, argv + 2);
    PrintError("zenkmail: unknown subcommand '%s'\n", argv[1]);
    Usage(stderr);
    return 2;
}
