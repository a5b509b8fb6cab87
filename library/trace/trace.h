// The trace: a readable account of what the protocol engines and the socket
// endpoints do, for a user or engineer chasing a failure.
//
// Off unless the environment asks for it (ZENK_TRACE, read by the Windows
// shell: trace_output_win.cpp). Off, every hook costs one test of a global
// word: the On() check below is inline and nothing else runs. On, each hook
// writes one line, "[category] text", to the output the shell installed.
//
// Lines never carry a secret: a command's argument is shown only for the
// commands listed in trace.cpp (PASS, ACCT and the SASL exchange are
// masked as "****", and so is any line that is not a known command, such
// as an AUTH continuation); message text is shown as its size only.
#pragma once
#include <cstddef>
#include <string_view>

namespace zenk::trace {

enum Category : unsigned {
    kSmtp = 1u << 0,    // SMTP engine: states, commands, replies
    kPop3 = 1u << 1,    // POP3 engine: states, commands, replies
    kStream = 1u << 2,  // stream endpoints: socket events and notifications
    kUdp = 1u << 3,     // UDP endpoints: socket events and notifications
    kFtp = 1u << 4,     // tovan32's flows: states, commands, replies
    kAll = kSmtp | kPop3 | kStream | kUdp | kFtp,
};

// Where finished lines go (no line end; at most kLineCapacity - 1 bytes).
// Returns false when the line could not be written: the trace then turns
// itself off rather than fail on every later line.
using Output = bool (*)(const char* line, std::size_t length);

constexpr std::size_t kLineCapacity = 512;  // longer lines are cut, ending in "..."

// The categories switched on; 0 while the trace is off.
extern unsigned gCategories;

inline bool On(Category category) { return (gCategories & category) != 0; }

// "smtp,pop3,stream" (also "udp", "ftp", "all"; separated by commas, blanks
// or semicolons, in any case) as a category mask. Unknown names are skipped.
unsigned ParseCategories(std::string_view spec);

// Switches the trace on for categories (0: off) with output (null: off).
void Configure(unsigned categories, Output output);

// The category's name as ZENK_TRACE spells it ("smtp", ...).
const char* CategoryName(Category category);

// A command line as the trace shows it: known commands whole, their secret
// arguments and every other line masked. Writes at most capacity - 1
// characters and a NUL into out; returns the characters written.
std::size_t MaskCommand(std::string_view line, char* out, std::size_t capacity);

// ---- Hooks: each does nothing unless its category is on. -----------------

// A free-form line: "[category] text" (printf-style format).
void Line(Category category, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

void WriteState(Category category, const char* from, const char* to);
void WriteSent(Category category, const char* bytes, std::size_t length);
void WriteReceived(Category category, std::string_view line);

// A state change, by the engine's state names (nothing when they are equal).
inline void State(Category category, const char* from, const char* to) {
    if (On(category) && from != to) WriteState(category, from, to);
}

// Bytes written to the server: one command line ("C: ...", masked), or a
// block of message text ("C: <message text: n bytes, m lines>").
inline void Sent(Category category, const void* bytes, std::size_t length) {
    if (On(category)) WriteSent(category, static_cast<const char*>(bytes), length);
}

// One reply line from the server, without its line end ("S: ...").
inline void Received(Category category, std::string_view line) {
    if (On(category)) WriteReceived(category, line);
}

}  // namespace zenk::trace
