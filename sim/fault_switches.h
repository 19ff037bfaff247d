#pragma once
// Failures a test can switch on while the virtual receiver runs (set from the test's thread,
// read by the receiver's thread).

#include <atomic>
#include <cstdint>

namespace vetra::sim {

// The answers of a firmware load, in the order the module gives them.
enum class LoadStep { None, MonitorErase, MonitorChecksum, FirmwareErase };

struct FaultSwitches {
  std::atomic<bool> silent{false};          // nothing at all goes out on the line
  std::atomic<bool> ignoreCommands{false};  // no ACK, NACK or reply; the loaders get no answer
  std::atomic<bool> nackAll{false};         // every well-formed command gets a NACK
  // Every sentence and frame goes out with a wrong checksum; the boot monitor reports a wrong
  // image checksum.
  std::atomic<bool> corruptChecksums{false};
  std::atomic<bool> refuseLoad{false};  // the running firmware refuses a firmware load
  // A load gets no answer from this step on; everything before it goes as usual. Switched on
  // before the load starts, it fails a load at an exact step without racing the host.
  std::atomic<LoadStep> loadSilentFrom{LoadStep::None};
  std::atomic<bool> corruptDataRequests{false};  // the running firmware's data requests
  std::atomic<bool> earlyFix{false};             // warm and cold restarts fix within 4 to 7 s
  // The line drops (the module's end closes) once this many bytes have been received; 0 never.
  std::atomic<uint64_t> dropLineAfterReceived{0};
};

}  // namespace vetra::sim
