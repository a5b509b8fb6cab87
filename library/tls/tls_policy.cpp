#include "tls/tls_policy.h"
#include "mime/base64_encode.h"

namespace zenk::tls {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

// Splits text at spaces and tabs (a trailing CR/LF is dropped) and hands
// each word to fn.
template <typename Fn> void ForEachWord(std::string_view text, Fn fn) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) fn(text.substr(start, i - start));
    }
}

// Notes the mechanisms of an "AUTH"/"SASL" list; first is the keyword.
void NoteMechanisms(std::string_view list, ServerCapabilities& caps) {
    ForEachWord(list, [&](std::string_view word) {
        if (SameWord(word, "PLAIN")) caps.authPlain = true;
        if (SameWord(word, "LOGIN")) caps.authLogin = true;
    });
}

void NoteKeywordLine(std::string_view text, std::string_view authKeyword,
                     std::string_view tlsKeyword, ServerCapabilities& caps) {
    std::string_view keyword;
    std::size_t afterKeyword = 0;
    ForEachWord(text, [&](std::string_view word) {
        if (keyword.empty()) {
            keyword = word;
            afterKeyword = static_cast<std::size_t>(word.data() - text.data()) + word.size();
        }
    });
    if (keyword.empty()) return;
    if (SameWord(keyword, tlsKeyword)) {
        caps.startTls = true;
    } else if (SameWord(keyword, authKeyword)) {
        NoteMechanisms(text.substr(afterKeyword), caps);
    } else if (keyword.size() > 5 && SameWord(keyword.substr(0, 5), "AUTH=")) {
        // Servers of the 1990s announce "AUTH=LOGIN" for old clients.
        NoteMechanisms(text.substr(static_cast<std::size_t>(keyword.data() - text.data()) + 5), caps);
    }
}

bool BuildBase64(std::string_view raw, SecretBytes& token) {
    std::vector<char> encoded(Base64Length(raw.size()));
    std::size_t n = Base64Encode(raw.data(), raw.size(), encoded.data());
    token.Assign(std::string_view(encoded.data(), n));
    WipeSecret(encoded.data(), encoded.size());
    return true;
}

bool UsableCredential(std::string_view value) {
    return !value.empty() && value.find('\0') == std::string_view::npos;
}

}  // namespace

void NoteEhloLine(std::string_view line, ServerCapabilities& caps) {
    // "250-KEYWORD params" or "250 KEYWORD params"; the first line is the
    // server's greeting name and carries no keyword we look for.
    if (line.size() < 4 || line.substr(0, 3) != "250" || (line[3] != '-' && line[3] != ' ')) return;
    NoteKeywordLine(line.substr(4), "AUTH", "STARTTLS", caps);
}

void NoteCapaLine(std::string_view line, ServerCapabilities& caps) {
    NoteKeywordLine(line, "SASL", "STLS", caps);
}

UpgradeStep NextUpgradeStep(SecurityMode mode, bool tlsActive, const ServerCapabilities& caps) {
    if (mode != SecurityMode::kStartTlsRequired || tlsActive) return UpgradeStep::kContinue;
    return caps.startTls ? UpgradeStep::kStartTls : UpgradeStep::kFailNotOffered;
}

bool UseEhlo(SecurityMode mode, bool haveCredentials) {
    return mode != SecurityMode::kNone || haveCredentials;
}

bool MaySendCredentials(bool tlsActive, bool allowClearCredentials) {
    return tlsActive || allowClearCredentials;
}

AuthMechanism ChooseAuthMechanism(const ServerCapabilities& caps) {
    if (caps.authPlain) return AuthMechanism::kPlain;
    if (caps.authLogin) return AuthMechanism::kLogin;
    return AuthMechanism::kNone;
}

void WipeSecret(void* data, std::size_t n) {
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    while (n-- > 0) *p++ = 0;
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
        Clear();
        bytes_ = std::move(other.bytes_);
    }
    return *this;
}

void SecretBytes::Assign(std::string_view text) {
    Clear();
    bytes_.reserve(text.size());
    bytes_.assign(text.begin(), text.end());
}

void SecretBytes::Clear() {
    if (bytes_.capacity() > 0) WipeSecret(bytes_.data(), bytes_.capacity());
    bytes_.clear();
}

bool BuildAuthPlainToken(std::string_view user, std::string_view password, SecretBytes& token) {
    token.Clear();
    if (!UsableCredential(user) || !UsableCredential(password)) return false;
    std::vector<char> raw;
    raw.reserve(user.size() + password.size() + 2);
    raw.push_back('\0');
    raw.insert(raw.end(), user.begin(), user.end());
    raw.push_back('\0');
    raw.insert(raw.end(), password.begin(), password.end());
    bool ok = BuildBase64(std::string_view(raw.data(), raw.size()), token);
    WipeSecret(raw.data(), raw.size());
    return ok;
}

bool BuildAuthLoginToken(std::string_view value, SecretBytes& token) {
    token.Clear();
    if (!UsableCredential(value)) return false;
    return BuildBase64(value, token);
}

}  // namespace zenk::tls
