#pragma once
// ReceiverModule: the GPS module as the host sees it through its serial line, without the line.
// It is driven from outside (bytes in, time moving on) and queues what it sends, so it runs the
// same under the pseudo-terminal wire (VirtualReceiver) and in unit tests with made-up times.
//
// Running firmware:
//  - one epoch per 1/rate s on the UTC second grid: NMEA (GGA, GSA, GSV x n, RMC, VTG; GLL and
//    ZDA when configured) or binary (F2 D0|D1, D2|D5, D3|D6, D4) from one EpochReport;
//    an epoch that finds the transmit buffer still half full is skipped, as a module whose line
//    is too slow for its output does;
//  - every well-formed command: ACK (06 id), then the reply of a query; NACK (15 id) for an
//    unknown id or a value the module refuses; a frame with a bad checksum is ignored;
//  - restarts: ACK, silence while it reboots, "$MXTR,REV,..." and no fix until the first fix
//    time of the restart's kind has passed;
//  - host mode: a lone 'U' once a second until the host answers with one, then output.
// Loading (flash_loader.h): the boot monitor's "<MPD>"/"<ERASE>"/"<DONE....>" dialogue and the
// running firmware's "$MXTR,41,72"/"41,73"/"4D,21,DATARQST" dialogue.
//
// The module is three parts over one ModuleState (module_state.h): this class runs the firmware
// (epochs, restarts, the host handshake, the trace read-out) and routes what arrives: bytes to
// the FlashLoader while a load takes them, else to the command reader, whose frames go to the
// FlashLoader (a load's start and erase) or to the CommandAnswers (command_answers.h).

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/command_answers.h"
#include "sim/command_reader.h"
#include "sim/epoch_report.h"
#include "sim/fault_switches.h"
#include "sim/flash_loader.h"
#include "sim/line_end.h"
#include "sim/module_settings.h"
#include "sim/module_state.h"
#include "sim/motion_model.h"
#include "sim/sim_options.h"
#include "sim/trace_memory.h"

namespace vetra::sim {

class ReceiverModule final : public ILineEnd, private IModuleFirmware {
 public:
  using Mode = ModuleMode;

  static constexpr double kNever = std::numeric_limits<double>::infinity();

  ReceiverModule(const SimOptions& options, int64_t utcAtStartMs, FaultSwitches* faults = nullptr);

  // ILineEnd
  void Receive(std::span<const uint8_t> bytes, double nowS) override;
  double Advance(double nowS) override;
  OutputQueue& output() override { return state_.output; }
  int baud() const override { return state_.lineBaud; }
  void ApplyBaudChange(int baud) override { state_.lineBaud = baud; }

  // Called for every well-formed command frame, before the module acts on it.
  void SetCommandObserver(std::function<void(const CommandFrame&)> observer) {
    observer_ = std::move(observer);
  }

  Mode mode() const { return state_.mode; }
  const ModuleSettings& settings() const { return state_.settings; }
  const FirmwareRevision& revision() const { return state_.revision; }
  bool handshakeDone() const { return handshakeDone_; }
  bool hasFix() const { return lastFix_; }
  // The last image written into flash by either loading path (empty before any load).
  const std::vector<uint8_t>& flashImage() const { return state_.flash; }
  const TraceMemory& traceMemory() const { return state_.trace; }
  uint64_t epochsSent() const { return epochsSent_; }
  uint64_t epochsSkipped() const { return epochsSkipped_; }
  uint64_t restarts() const { return restarts_; }
  uint64_t framesDropped() const { return reader_.framesDropped(); }
  // The report the module would send at that time (for tests and the trace memory).
  EpochReport ReportAt(double nowS, int64_t utcMs) const override;

 private:
  void HandleCommand(const CommandFrame& frame, double nowS);
  void RunEpoch(double nowS, int64_t utcMs);
  void SendNmeaEpoch(const EpochReport& r);
  void SendBinaryEpoch(const EpochReport& r);
  void BeginAcquisition(double nowS, double fixAfterS);
  void FinishReboot(double nowS, double fixAfterS);
  int periodMs() const;
  double DrawFixSeconds(RestartKind kind);
  int channelCount() const { return state_.options.chip == Chip::K900 ? 16 : 12; }

  // IModuleFirmware
  void Reboot(double nowS, RestartKind kind) override;
  std::vector<int> ConstellationPrns() const override { return model_.ConstellationPrns(); }

  ModuleState state_;
  FlashLoader loader_{state_, *this};
  CommandAnswers answers_{state_, *this};
  MotionModel model_;
  SeededRandom random_;
  CommandReader reader_;
  std::function<void(const CommandFrame&)> observer_;

  bool handshakeDone_;
  double nextHandshakeS_ = 0;
  double nextEpochS_ = 0;
  uint64_t epochCounter_ = 0;
  double acquisitionStartS_ = 0;
  double fixAfterS_ = 0;
  bool lastFix_ = false;
  bool revisionPending_ = true;  // the revision sentence goes out before the next epoch

  uint64_t epochsSent_ = 0;
  uint64_t epochsSkipped_ = 0;
  uint64_t restarts_ = 0;
};

}  // namespace vetra::sim
