#pragma once
// The terminal tool's standard streams.
//
// The platform layer: cli/posix/console.cpp, cli/win/console.cpp.

namespace vetra::cli {

// Standard input and output carry bytes unchanged: on Windows they are made binary (no CR put
// before LF, no Ctrl-Z ending the input), so that `vetra decode` reads and writes exactly what it
// does on Linux. Nothing to do elsewhere. (Files are opened in binary mode where they are opened.)
void UseBinaryStreams();

// True when standard error is a terminal (a console on Windows): progress is then redrawn in
// place.
bool StderrIsTerminal();

}  // namespace vetra::cli
