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
// Loading (see receiver_loader.cpp): the boot monitor's "<MPD>"/"<ERASE>"/"<DONE....>" dialogue
// and the running firmware's "$MXTR,41,72"/"41,73"/"4D,21,DATARQST" dialogue.

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/command_reader.h"
#include "sim/epoch_report.h"
#include "sim/fault_switches.h"
#include "sim/line_end.h"
#include "sim/module_settings.h"
#include "sim/motion_model.h"
#include "sim/sim_options.h"
#include "sim/trace_memory.h"

namespace vetra::sim {

// The firmware's identity as the revision reply (F2 80) reports it.
struct FirmwareRevision {
  std::string label;  // 12 characters
  uint32_t date = 0;  // K700: 0x00YYMMDD in BCD; K900: YYYYMMDD in decimal
  uint32_t time = 0;  // K700: 0x00HHMMSS in BCD; K900: HHMMSS in decimal
  uint16_t crc = 0;
};

class ReceiverModule final : public ILineEnd {
 public:
  enum class Mode {
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

  static constexpr double kNever = std::numeric_limits<double>::infinity();

  ReceiverModule(const SimOptions& options, int64_t utcAtStartMs, FaultSwitches* faults = nullptr);

  // ILineEnd
  void Receive(std::span<const uint8_t> bytes, double nowS) override;
  double Advance(double nowS) override;
  OutputQueue& output() override { return output_; }
  int baud() const override { return lineBaud_; }
  void ApplyBaudChange(int baud) override { lineBaud_ = baud; }

  // Called for every well-formed command frame, before the module acts on it.
  void SetCommandObserver(std::function<void(const CommandFrame&)> observer) {
    observer_ = std::move(observer);
  }

  Mode mode() const { return mode_; }
  const ModuleSettings& settings() const { return settings_; }
  const FirmwareRevision& revision() const { return revision_; }
  bool handshakeDone() const { return handshakeDone_; }
  bool hasFix() const { return lastFix_; }
  // The last image written into flash by either loading path (empty before any load).
  const std::vector<uint8_t>& flashImage() const { return flash_; }
  const TraceMemory& traceMemory() const { return trace_; }
  uint64_t epochsSent() const { return epochsSent_; }
  uint64_t epochsSkipped() const { return epochsSkipped_; }
  uint64_t restarts() const { return restarts_; }
  uint64_t framesDropped() const { return reader_.framesDropped(); }
  // The report the module would send at that time (for tests and the trace memory).
  EpochReport ReportAt(double nowS, int64_t utcMs) const;

 private:
  // receiver_module.cpp
  void RunEpoch(double nowS, int64_t utcMs);
  void SendNmeaEpoch(const EpochReport& r);
  void SendBinaryEpoch(const EpochReport& r);
  void BeginAcquisition(double nowS, double fixAfterS);
  void Reboot(double nowS, RestartKind kind);
  void FinishReboot(double nowS, double fixAfterS);
  void SendSentence(std::string sentence, bool wrongChecksum = false);
  void SendFrame(uint8_t frameClass, uint8_t id, std::span<const uint8_t> payload);
  void SendText(std::string_view text);
  void ChangeLineRate(int baud, bool afterQueuedBytes);
  int64_t UtcMsAt(double nowS) const;
  double TimeOfUtcMs(int64_t utcMs) const;
  int periodMs() const;
  double DrawFixSeconds(RestartKind kind);
  int channelCount() const { return options_.chip == Chip::K900 ? 16 : 12; }

  // receiver_commands.cpp
  void HandleCommand(const CommandFrame& frame, double nowS);
  bool ApplyCommand(const CommandFrame& frame, double nowS);  // false: NACK
  void Ack(uint8_t id);
  void Nack(uint8_t id);
  void SendEphemerides(uint8_t prn, double nowS);
  void SendAlmanacs(double nowS);

  // receiver_loader.cpp
  bool StartFirmwareLoad(const CommandFrame& frame, double nowS);
  void EraseForLoad(double nowS);
  void ReceiveLoading(std::span<const uint8_t> bytes, double nowS, size_t& used);
  void AdvanceLoading(double nowS);
  void FinishLoad(double nowS);
  void SendMonitorReply(std::string_view text);
  bool LoadSilentAt(LoadStep step) const;

  struct Scheduled {
    double atS;
    std::function<void(double)> action;
  };
  void Schedule(double atS, std::function<void(double)> action);

  SimOptions options_;
  FaultSwitches ownFaults_;
  FaultSwitches* faults_;
  int64_t utcAtStartMs_;
  MotionModel model_;
  SeededRandom random_;
  ModuleSettings settings_;
  FirmwareRevision revision_;
  OutputQueue output_;
  CommandReader reader_;
  TraceMemory trace_;
  std::function<void(const CommandFrame&)> observer_;
  std::vector<Scheduled> scheduled_;

  Mode mode_ = Mode::Running;
  int lineBaud_;
  bool handshakeDone_;
  double nextHandshakeS_ = 0;
  double nextEpochS_ = 0;
  uint64_t epochCounter_ = 0;
  double acquisitionStartS_ = 0;
  double fixAfterS_ = 0;
  bool lastFix_ = false;
  bool revisionPending_ = true;  // the revision sentence goes out before the next epoch

  // Loading state.
  std::vector<uint8_t> incoming_;  // monitor program or image bytes received so far
  size_t expectedImageSize_ = 0;
  double lastByteS_ = 0;
  double loadDeadlineS_ = kNever;
  std::vector<uint8_t> flash_;

  uint64_t epochsSent_ = 0;
  uint64_t epochsSkipped_ = 0;
  uint64_t restarts_ = 0;
};

}  // namespace vetra::sim
