// The send subcommand of zenkmail: takes the arguments after its name and
// returns the program's exit code.
#pragma once

int SendCommand(int argc, char** argv);  // zenkmail send
