// Decisions of secure mail that need no Windows: which security mode asks
// for what, what the server's EHLO (RFC 5321, RFC 3207) or CAPA (RFC 2449,
// RFC 2595) list offers, when credentials may go out, and the AUTH PLAIN
// (RFC 4616) and AUTH LOGIN tokens. The sessions ask these; the TLS channel
// (tls_channel.h) does the encryption.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zenk::tls {

// How a mail session secures its connection.
enum class SecurityMode {
    kNone,              // clear text, as always: HELO, USER/PASS, no TLS at all
    kStartTlsRequired,  // clear greeting, then STARTTLS (SMTP) / STLS (POP3) or fail
    kImplicitTls,       // TLS from the first byte (ports 465 / 995)
};

// What the server said it supports, collected line by line.
struct ServerCapabilities {
    bool startTls = false;   // SMTP "STARTTLS" or POP3 "STLS"
    bool authPlain = false;  // "AUTH ... PLAIN ..." (or "AUTH=PLAIN", an old form)
    bool authLogin = false;  // "AUTH ... LOGIN ..."
};

// Notes one line of a multi-line EHLO reply ("250-STARTTLS", "250 AUTH
// PLAIN LOGIN"). Keywords are case-insensitive; lines that are not a 250
// reply, and unknown keywords, are ignored.
void NoteEhloLine(std::string_view line, ServerCapabilities& caps);

// Notes one line of a POP3 CAPA listing ("STLS", "SASL PLAIN LOGIN").
void NoteCapaLine(std::string_view line, ServerCapabilities& caps);

// What a session does once it has the server's capabilities.
enum class UpgradeStep {
    kContinue,          // go on as the connection is (clear in kNone, or already TLS)
    kStartTls,          // send STARTTLS / STLS now
    kFailNotOffered,    // TLS required but not offered: end the run, never fall back
};
UpgradeStep NextUpgradeStep(SecurityMode mode, bool tlsActive, const ServerCapabilities& caps);

// EHLO replaces HELO only when the caller asked for security or AUTH, so
// that a session that asked for neither sends the same bytes as always.
bool UseEhlo(SecurityMode mode, bool haveCredentials);

// Credentials go out only over TLS that has finished its handshake, unless
// the caller has explicitly allowed clear-text credentials.
bool MaySendCredentials(bool tlsActive, bool allowClearCredentials);

enum class AuthMechanism { kNone, kPlain, kLogin };
// PLAIN when offered (one round trip), else LOGIN, else none.
AuthMechanism ChooseAuthMechanism(const ServerCapabilities& caps);

// Wipes memory that held a secret; the compiler may not drop the stores.
void WipeSecret(void* data, std::size_t n);

// A byte string holding a secret (a password or a token built from one):
// wiped when changed or destroyed, never copied implicitly.
class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(std::string_view text) { Assign(text); }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    SecretBytes(SecretBytes&& other) noexcept : bytes_(std::move(other.bytes_)) {}
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    ~SecretBytes() { Clear(); }

    void Assign(std::string_view text);
    void Clear();
    std::string_view View() const { return {bytes_.data(), bytes_.size()}; }
    bool Empty() const { return bytes_.empty(); }

private:
    std::vector<char> bytes_;  // never reallocated while holding a secret (Assign reserves first)
};

// The AUTH PLAIN initial response: base64 of "\0user\0password" (empty
// authorization identity). False, and an empty token, when the user name or
// password is empty or holds a NUL, which the token cannot carry.
bool BuildAuthPlainToken(std::string_view user, std::string_view password, SecretBytes& token);

// One AUTH LOGIN answer: base64 of the user name or of the password. False
// for an empty value or one holding a NUL.
bool BuildAuthLoginToken(std::string_view value, SecretBytes& token);

}  // namespace zenk::tls
