// The secure-mail options that zenkmail send and fetch share: port,
// --starttls / --tls, --user, the password (from a file or the
// environment, never from the command line), --cafile and --tls-name.
#pragma once
#include <string>

struct SecureOptions {
    int port = 0;              // 0: the mode's usual port
    int security = 0;          // ZENK_SECURITY_*
    std::string user;          // send: empty means no AUTH
    std::string passwordFile;  // --password-file; else ZENKMAIL_PASSWORD
    std::string caFile;        // --cafile; empty: the system's roots
    std::string certName;      // --tls-name; empty: the server name
    std::string password;      // read by ReadPassword; wiped by WipePassword
};

// The usage lines of these options.
extern const char kSecureUsage[];

// Takes argv[i] (and its value, advancing i) when it is one of these
// options: 1 taken, 0 not one of them, -1 a bad or missing value (reported
// with the command's name).
int TakeSecureOption(const char* command, int argc, char** argv, int& i, SecureOptions& o);

// Reads the password: the first line of --password-file, else the
// environment variable ZENKMAIL_PASSWORD. False (reported) when a file was
// named and cannot be read, or when required and there is none.
bool ReadPassword(const char* command, SecureOptions& o, bool required);
// Overwrites the password in memory.
void WipePassword(SecureOptions& o);

// The port to use: the one given, else 465 / 995 for TLS from the first
// byte, else plainPort.
int PortFor(const SecureOptions& o, int plainPort, int tlsPort);
// A readable text for the secure-mail status codes (40 to 45); null for others.
const char* SecureFailureText(int status);
