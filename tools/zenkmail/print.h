// Standard output through its buffer. The C runtime's printf writes each
// call straight through to the file, even when stdout has a buffer of its
// own (setvbuf): under Wine a system call for every line. Print formats
// into memory and hands the text to the buffered stream, which goes out in
// large writes, and whenever a subcommand flushes it.
//
// On the unbuffered standard error the runtime's fprintf writes one byte
// at a time. PrintError formats the message first and writes it whole, so
// a line never reaches the terminal (or the trace it shares) in pieces.
#pragma once

#if defined(__GNUC__)
__attribute__((format(gnu_printf, 1, 2)))
#endif
int Print(const char* format, ...);

#if defined(__GNUC__)
__attribute__((format(gnu_printf, 1, 2)))
#endif
int PrintError(const char* format, ...);
