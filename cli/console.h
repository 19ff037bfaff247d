#pragma once
// The terminal tool's standard streams.
//
// The platform layer: cli/posix/console.cpp, cli/win/console.cpp.

#include <string>
#include <vector>

namespace vetra::cli {

// The program's arguments as UTF-8 strings. On Windows they are taken from the wide command line
// (GetCommandLineW), since the narrow argv holds them in the system's code page, where a file name
// outside it (тест.log) has become question marks; elsewhere argv is taken as it is.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Standard input and output carry bytes unchanged: on Windows they are made binary (no CR put
// before LF, no Ctrl-Z ending the input), so that `vetra decode` reads and writes exactly what it
// does on Linux. Nothing to do elsewhere. (Files are opened in binary mode where they are opened.)
void UseBinaryStreams();

// True when standard error is a terminal (a console on Windows): progress is then redrawn in
// place.
bool StderrIsTerminal();

}  // namespace vetra::cli
