// The POP3 and scanner subcommands of zenkmail. Each takes the arguments
// after its name and returns the program's exit code.
#pragma once

int FetchCommand(int argc, char** argv);  // zenkmail fetch
int ScanCommand(int argc, char** argv);   // zenkmail scan
