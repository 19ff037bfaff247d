#pragma once
// The terminal tool's standard output: every write and the final flush are checked, so that a
// full disk or a closed pipe (`vetra monitor --json > track.jsonl`) never passes for success.
//
// main() calls FinishStandardOutput after every subcommand: when anything written to standard
// output failed, it says "vetra NAME: cannot write to standard output: REASON" (once) and the
// exit status is 1. A subcommand that writes in a loop (monitor) writes through
// WriteStandardOutput and stops when it returns false. Safe from any thread.

#include <string>
#include <string_view>

namespace vetra::cli {

// "vetra monitor": how the message names the program.
void SetStandardOutputSpeaker(std::string speaker);

// Writes and flushes; false once standard output has failed (the reason is kept).
bool WriteStandardOutput(std::string_view text);

// Flushes what is buffered; false once standard output has failed.
bool StandardOutputWorks();

// Says that standard output failed, with the system's reason (once per run), and returns 1.
int StandardOutputFailed();

// status, or StandardOutputFailed() when standard output failed.
int FinishStandardOutput(int status);

}  // namespace vetra::cli
