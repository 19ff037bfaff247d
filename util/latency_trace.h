#pragma once
// A trace of when data crosses the line and reaches the screen, for the desktop program's latency
// benchmark (bench/app-load.sh). Off unless the environment names a file:
//
//   VETRA_LATENCY_TRACE=FILE vetra-viewer --simulate ...
//
// Each event appends one line "NAME SECONDS" (wall clock, microseconds) to FILE. The virtual
// receiver writes "sent" when the last byte of what it had to say (one epoch's sentences or
// frames) has gone onto the line; the window writes "view" after each position update and
// "drawn" once its first picture is on the screen. Any thread may write; lines never interleave.

namespace vetra {

bool LatencyTraceOn();
void TraceLatencyEvent(const char* name);

}  // namespace vetra
