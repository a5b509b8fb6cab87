// The trace's portable half: categories, masking and line making.
#include "trace/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace zenk::trace {

unsigned gCategories = 0;

namespace {

Output gOutput = nullptr;

struct Name {
    const char* text;
    unsigned categories;
};
constexpr Name kNames[] = {
    {"smtp", kSmtp}, {"pop3", kPop3}, {"stream", kStream}, {"udp", kUdp}, {"ftp", kFtp}, {"all", kAll},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Commands shown whole: nothing they carry is a secret.
constexpr const char* kPlainCommands[] = {
    // SMTP (RFC 5321, 3207)
    "HELO", "EHLO", "MAIL", "RCPT", "DATA", "RSET", "NOOP", "QUIT", "VRFY", "HELP", "STARTTLS", ".",
    // POP3 (RFC 1939, 2449, 2595)
    "USER", "STAT", "LIST", "RETR", "DELE", "UIDL", "TOP", "CAPA", "STLS",
    // FTP (RFC 959, 4217)
    "CWD", "CDUP", "PWD", "TYPE", "PASV", "PORT", "EPSV", "EPRT", "STOR", "STOU", "APPE", "NLST", "ABOR",
    "SYST", "FEAT", "MKD", "RMD", "RNFR", "RNTO", "SITE", "SIZE", "MDTM", "REST", "MODE", "STRU", "PBSZ",
    "PROT"};
// Commands whose first word after the verb may be shown, the rest masked
// (AUTH PLAIN's initial response is the password).
constexpr const char* kFirstWordCommands[] = {"AUTH"};
// Commands shown with their whole argument masked.
constexpr const char* kSecretCommands[] = {"PASS", "ACCT", "APOP"};

template <std::size_t N>
bool IsOneOf(std::string_view verb, const char* const (&list)[N]) {
    for (const char* word : list)
        if (SameWord(verb, word)) return true;
    return false;
}

// Appends text to out (capacity bytes, NUL kept), printable ASCII only.
struct Builder {
    char* out;
    std::size_t capacity;
    std::size_t n = 0;
    bool cut = false;

    void Add(std::string_view text) {
        for (char c : text) {
            if (n + 1 >= capacity) {
                cut = true;
                break;
            }
            out[n++] = (c >= 0x20 && c < 0x7F) ? c : '?';
        }
        if (capacity) out[n] = '\0';
    }
};

void Emit(Category category, std::string_view text) {
    char line[kLineCapacity];
    Builder b{line, sizeof line};
    b.Add("[");
    b.Add(CategoryName(category));
    b.Add("] ");
    b.Add(text);
    if (b.cut) {
        b.n = sizeof line - 4;
        std::memcpy(line + b.n, "...", 4);
        b.n += 3;
    }
    Output output = gOutput;
    if (output && !output(line, b.n)) Configure(0, nullptr);
}

}  // namespace

unsigned ParseCategories(std::string_view spec) {
    unsigned mask = 0;
    std::size_t i = 0;
    while (i < spec.size()) {
        while (i < spec.size() && (spec[i] == ',' || spec[i] == ' ' || spec[i] == ';')) ++i;
        std::size_t start = i;
        while (i < spec.size() && spec[i] != ',' && spec[i] != ' ' && spec[i] != ';') ++i;
        std::string_view word = spec.substr(start, i - start);
        for (const Name& name : kNames)
            if (SameWord(word, name.text)) mask |= name.categories;
    }
    return mask;
}

void Configure(unsigned categories, Output output) {
    gOutput = output;
    gCategories = output ? categories : 0;
}

const char* CategoryName(Category category) {
    for (const Name& name : kNames)
        if (name.categories == category) return name.text;
    return "?";
}

std::size_t MaskCommand(std::string_view line, char* out, std::size_t capacity) {
    Builder b{out, capacity};
    if (capacity) out[0] = '\0';
    std::size_t verbEnd = line.find(' ');
    std::string_view verb = line.substr(0, verbEnd);
    std::string_view rest = verbEnd == std::string_view::npos ? std::string_view() : line.substr(verbEnd);
    if (IsOneOf(verb, kPlainCommands)) {
        b.Add(line);
    } else if (IsOneOf(verb, kSecretCommands)) {
        b.Add(verb);
        if (!rest.empty()) b.Add(" ****");
    } else if (IsOneOf(verb, kFirstWordCommands)) {
        b.Add(verb);
        std::size_t word = rest.find_first_not_of(' ');
        if (word != std::string_view::npos) {
            std::size_t wordEnd = rest.find(' ', word);
            b.Add(" ");
            b.Add(rest.substr(word, wordEnd == std::string_view::npos ? std::string_view::npos : wordEnd - word));
            if (wordEnd != std::string_view::npos && rest.find_first_not_of(' ', wordEnd) != std::string_view::npos)
                b.Add(" ****");
        }
    } else if (!line.empty()) {
        b.Add("****");  // not a command we know: a SASL response, a password sent alone
    }
    return b.n;
}

void Line(Category category, const char* format, ...) {
    if (!On(category)) return;
    char text[kLineCapacity];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) return;
    Emit(category, std::string_view(text, static_cast<std::size_t>(n) < sizeof text ? n : sizeof text - 1));
}

void WriteState(Category category, const char* from, const char* to) {
    Line(category, "state %s -> %s", from ? from : "?", to ? to : "?");
}

void WriteSent(Category category, const char* bytes, std::size_t length) {
    std::string_view data(bytes, length);
    std::size_t lines = 0;
    for (std::size_t at = data.find('\n'); at != std::string_view::npos; at = data.find('\n', at + 1)) ++lines;
    const bool oneLine = lines == 1 && data.back() == '\n';
    if (!oneLine) {
        Line(category, "C: <message text: %lu bytes, %lu lines>", static_cast<unsigned long>(length),
             static_cast<unsigned long>(lines));
        return;
    }
    std::string_view command = data.substr(0, length - 1);
    if (!command.empty() && command.back() == '\r') command.remove_suffix(1);
    char masked[kLineCapacity];
    MaskCommand(command, masked, sizeof masked);
    Line(category, "C: %s", masked);
}

void WriteReceived(Category category, std::string_view line) {
    if (!On(category)) return;
    char text[kLineCapacity];
    Builder b{text, sizeof text};
    b.Add("S: ");
    b.Add(line);
    Emit(category, std::string_view(text, b.n));
}

}  // namespace zenk::trace
