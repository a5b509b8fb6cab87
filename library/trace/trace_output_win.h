// The trace's Windows half: where its lines go, chosen by the environment.
//
//   ZENK_TRACE       categories, e.g. "smtp,pop3,stream" (trace.h); unset
//                    or empty: the trace is off and nothing is opened.
//   ZENK_TRACE_FILE  the file the lines are appended to (created when
//                    missing, shared for reading and writing so a viewer or
//                    the other DLL can use it too); "-" is the process's
//                    standard error; unset: the debugger (OutputDebugString).
//
// A file that cannot be opened leaves the trace off. Each line is one
// WriteFile ending in CR LF, so lines show as they happen; a write that
// fails turns the trace off.
#pragma once

namespace zenk::trace {

// Reads the two variables and switches the trace on or off accordingly;
// an output opened by an earlier call is closed first.
void ConfigureFromEnvironment();

// Switches the trace off and closes its file (library unload).
void CloseOutput();

}  // namespace zenk::trace
