#pragma once
// ModuleState: what the virtual module is at one moment, shared by the three parts that act on
// it: the running firmware's output (ReceiverModule), its command answers (CommandAnswers) and
// its flash loader (FlashLoader). Each reads and writes the same state: the mode, the line's
// rate, the settings, the firmware revision and flash, the trace memory, the output queue and the
// actions scheduled for later; and each sends through the same few helpers, so that a fault
// switched on (wrong checksums, silence) applies to all of them.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/epoch_report.h"
#include "sim/fault_switches.h"
#include "sim/module_settings.h"
#include "sim/output_queue.h"
#include "sim/sim_options.h"
#include "sim/trace_memory.h"

namespace vetra::sim {

enum class ModuleMode {
  Running,           // navigation output, commands
  Rebooting,         // after a restart or a load: silent until the revision sentence
  RomWaitMonitor,    // boot path: ROM loader taking the monitor program
  MonitorReady,      // boot path: monitor runs, waits for "E"
  MonitorErasing,    // boot path: erasing flash
  MonitorReceiving,  // boot path: taking image bytes until they stop
  MonitorDone,       // boot path: checksum reported, waits for "Z"
  LoadStarting,      // firmware path: start frame accepted, waits for the erase frame
  LoadErasing,       // firmware path: erasing flash
  LoadReceiving,     // firmware path: taking image bytes, a data request every 16 KiB
};

// The firmware's identity as the revision reply (F2 80) reports it.
struct FirmwareRevision {
  std::string label;  // 12 characters
  uint32_t date = 0;  // K700: 0x00YYMMDD in BCD; K900: YYYYMMDD in decimal
  uint32_t time = 0;  // K700: 0x00HHMMSS in BCD; K900: HHMMSS in decimal
  uint16_t crc = 0;
};

// What the command answers and the flash loader need of the running firmware itself.
class IModuleFirmware {
 public:
  virtual ~IModuleFirmware() = default;
  // Restarts: silent while it reboots, then the revision sentence; no fix before the first-fix
  // time of the restart's kind.
  virtual void Reboot(double nowS, RestartKind kind) = 0;
  // What the module would report at that time (the ephemerides of the satellites it tracks).
  virtual EpochReport ReportAt(double nowS, int64_t utcMs) const = 0;
  virtual std::vector<int> ConstellationPrns() const = 0;  // the almanac's satellites
};

struct ModuleState {
  ModuleState(const SimOptions& options, int64_t utcAtStartMs, FaultSwitches* faults);
  ModuleState(const ModuleState&) = delete;
  ModuleState& operator=(const ModuleState&) = delete;

  // An action due at a later time (a reply after the erase, the end of a reboot).
  void Schedule(double atS, std::function<void(double)> action);
  void SendSentence(std::string sentence, bool wrongChecksum = false);
  void SendFrame(uint8_t frameClass, uint8_t id, std::span<const uint8_t> payload);
  void SendText(std::string_view text);
  // At once (what is queued is dropped) or after the bytes queued so far.
  void ChangeLineRate(int baud, bool afterQueuedBytes);
  int64_t UtcMsAt(double nowS) const;
  double TimeOfUtcMs(int64_t utcMs) const;

  struct Scheduled {
    double atS;
    std::function<void(double)> action;
  };

  SimOptions options;
  FaultSwitches ownFaults;
  FaultSwitches* faults;  // the test's switches, or ownFaults
  int64_t utcAtStartMs;
  ModuleSettings settings;
  FirmwareRevision revision;
  OutputQueue output;
  TraceMemory trace;
  std::vector<Scheduled> scheduled;
  ModuleMode mode = ModuleMode::Running;
  int lineBaud;
  double lastByteS = 0;        // the last byte received
  std::vector<uint8_t> flash;  // the last image written by either loading path
};

}  // namespace vetra::sim
