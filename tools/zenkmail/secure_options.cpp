// zenkmail: the secure-mail options of send and fetch.
#include "secure_options.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "print.h"
#include "zenk32.h"

const char kSecureUsage[] =
    "  --port N            server port (default 25 / 110; 465 / 995 with --tls)\n"
    "  --starttls          require STARTTLS (SMTP) / STLS (POP3); never falls back to clear text\n"
    "  --tls               TLS from the first byte\n"
    "  --cafile FILE       trust only the CA certificate(s) in FILE (PEM or DER), not the system roots\n"
    "  --tls-name NAME     the name the server's certificate must carry (default: the server name)\n"
    "  --password-file F   the password is the first line of F; else the environment\n"
    "                      variable ZENKMAIL_PASSWORD. Never given on the command line.\n";

int TakeSecureOption(const char* command, int argc, char** argv, int& i, SecureOptions& o) {
    const char* a = argv[i];
    if (!std::strcmp(a, "--starttls")) return o.security = ZENK_SECURITY_STARTTLS, 1;
    if (!std::strcmp(a, "--tls")) return o.security = ZENK_SECURITY_TLS, 1;
    const bool valued = !std::strcmp(a, "--port") || !std::strcmp(a, "--user") ||
                        !std::strcmp(a, "--password-file") || !std::strcmp(a, "--cafile") ||
                        !std::strcmp(a, "--tls-name");
    if (!valued) return 0;
    if (i + 1 >= argc) {
        PrintError("zenkmail %s: missing value after %s\n", command, a);
        return -1;
    }
    const char* v = argv[++i];
    if (!std::strcmp(a, "--port")) {
        char* end = nullptr;
        const long port = std::strtol(v, &end, 10);
        if (!*v || *end || port < 1 || port > 65535) {
            PrintError("zenkmail %s: --port takes 1 to 65535, not '%s'\n", command, v);
            return -1;
        }
        o.port = static_cast<int>(port);
    } else if (!std::strcmp(a, "--user")) {
        o.user = v;
    } else if (!std::strcmp(a, "--password-file")) {
        o.passwordFile = v;
    } else if (!std::strcmp(a, "--cafile")) {
        o.caFile = v;
    } else {
        o.certName = v;
    }
    return 1;
}

bool ReadPassword(const char* command, SecureOptions& o, bool required) {
    WipePassword(o);
    if (!o.passwordFile.empty()) {
        HANDLE file = CreateFileA(o.passwordFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        char buffer[1024];
        DWORD got = 0;
        const bool read = file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (!read) {
            PrintError("zenkmail %s: cannot read the password file '%s'\n", command, o.passwordFile.c_str());
            return false;
        }
        DWORD n = 0;
        while (n < got && buffer[n] != '\r' && buffer[n] != '\n') ++n;
        o.password.assign(buffer, n);
        SecureZeroMemory(buffer, sizeof buffer);
    } else if (const char* env = std::getenv("ZENKMAIL_PASSWORD")) {
        o.password = env;
    }
    if (required && o.password.empty()) {
        PrintError("zenkmail %s: no password: give --password-file or set ZENKMAIL_PASSWORD\n", command);
        return false;
    }
    return true;
}

void WipePassword(SecureOptions& o) {
    if (!o.password.empty()) SecureZeroMemory(&o.password[0], o.password.size());
    o.password.clear();
}

int PortFor(const SecureOptions& o, int plainPort, int tlsPort) {
    if (o.port) return o.port;
    return o.security == ZENK_SECURITY_TLS ? tlsPort : plainPort;
}

const char* SecureFailureText(int status) {
    switch (status) {
    case ZENK_SMTP_ERR_TLS_HANDSHAKE: return "the TLS handshake failed or TLS broke off";
    case ZENK_SMTP_ERR_TLS_UNTRUSTED: return "the server's certificate is not trusted (see --cafile)";
    case ZENK_SMTP_ERR_TLS_NAME: return "the server's certificate is for another name (see --tls-name)";
    case ZENK_SMTP_ERR_STARTTLS: return "the server does not offer STARTTLS/STLS, or refused it";
    case ZENK_SMTP_ERR_AUTH: return "authentication was refused, not offered, or would go out in clear";
    case ZENK_SMTP_ERR_CAFILE: return "the CA file cannot be read or holds no certificate";
    default: return nullptr;
    }
}
