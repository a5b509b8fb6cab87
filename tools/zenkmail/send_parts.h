// The pieces of zenkmail send: options, composing the outbox, delivering it.
#pragma once
#include <string>
#include <vector>

#include "secure_options.h"

struct SendOptions {
    std::string server;
    std::string from;
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::string subject;
    std::string textFile;                 // empty: no text
    std::vector<std::string> attachments;  // as the library will open them
    std::string outbox;                   // empty: a temporary file, deleted afterwards
    SecureOptions secure;                 // port, TLS, AUTH, trust
    bool verbose = false;                 // show the SMTP exchange on standard error
    std::string charset;                  // of the text, subject and names; empty: the ANSI code page
    unsigned codePage = 0;                // the charset's code page; 0: the ANSI code page
};

// Parses the arguments after "send". Returns -1 when they are fine, else
// the exit code (0 after --help, 2 after a usage error, already reported).
int ParseSendOptions(int argc, char** argv, SendOptions* options);

// The Windows code page of a charset name the library knows, or 0.
unsigned CodePageOf(const std::string& charset);

// Opens an existing file for reading, its path written in codePage (0: the
// ANSI code page).
void* OpenPath(const std::string& path, unsigned codePage, unsigned long share);

// Writes the outbox for one message through the composer exports.
// False after reporting why.
bool ComposeOutbox(const SendOptions& options, const std::string& outbox);

// What a delivery came to.
struct DeliveryResult {
    bool ended = false;     // the final notification (0) arrived
    int failure = 0;        // first failure status, 0 if none
    int accepted = 0;       // messages the server accepted
    int refused = 0;        // refused recipients
};

// Runs the SMTP session over the outbox with a message loop, printing each
// notification as it comes.
// secure: port, TLS and trust; with a user, AUTH with secure.password.
DeliveryResult Deliver(const std::string& server, const std::string& outbox, int messages,
                       const SecureOptions& secure);
