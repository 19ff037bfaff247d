#pragma once
// VirtualReceiver: a GPS module on a pseudo-terminal, for `vetra sim`, `vetra-viewer --simulate`
// and the integration tests. Start() opens the terminal pair and starts the wire's thread;
// devicePath() is what the host opens, like any serial device.
//
// The wire paces both directions at the module's line rate (10 bits per byte): what the module
// sends leaves in chunks of about 10 ms, and the host's bytes are taken no faster than they could
// arrive. When the host's end is set to another rate than the module's, each side gets garbage,
// as on a real wire: the host receives pseudo-random bytes (never '$') and the module ignores what
// it hears. Bytes the host does not read pile up to 4096 (a driver's queue); beyond that the line
// overruns and they are lost.
//
// Threads: the wire's thread owns the terminal and the module; the public calls take a snapshot
// under the module's lock, and the fault switches are atomics.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/command_reader.h"
#include "sim/fault_switches.h"
#include "sim/module_settings.h"
#include "sim/pseudo_terminal.h"
#include "sim/receiver_module.h"
#include "sim/sim_options.h"

namespace vetra::sim {

class ReplayPlayer;

class VirtualReceiver {
 public:
  explicit VirtualReceiver(SimOptions options);
  ~VirtualReceiver();
  VirtualReceiver(const VirtualReceiver&) = delete;
  VirtualReceiver& operator=(const VirtualReceiver&) = delete;

  // Opens the terminal (and the link), starts the thread. False with error() on failure.
  bool Start();
  // Stops the thread, closes the terminal, removes the link. Safe to call twice.
  void Stop();

  // What the host opens: the link path when one was asked for, else the slave device.
  const std::string& devicePath() const;
  const std::string& slavePath() const { return terminal_.slavePath(); }
  const std::string& error() const { return error_; }
  const SimOptions& options() const { return options_; }

  // Failures for tests; see FaultSwitches.
  FaultSwitches& faults() { return faults_; }
  // Drops the line now: the module's end closes, the host sees a hang-up.
  void DropLine();
  bool lineDropped() const { return dropped_.load(); }

  // Health counters of the wire.
  uint64_t bytesSent() const { return bytesSent_.load(); }          // handed to the line
  uint64_t bytesReceived() const { return bytesReceived_.load(); }  // taken from the line
  uint64_t garbledBytesSent() const { return garbledSent_.load(); }
  uint64_t garbledBytesReceived() const { return garbledReceived_.load(); }
  uint64_t overrunBytes() const { return overrun_.load(); }  // lost: the host did not read
  int baud() const { return baud_.load(); }                  // the module's line rate now

  // Every well-formed command received, oldest first (the last 256).
  std::vector<CommandFrame> commands() const;
  uint64_t commandCount() const;
  // Waits until at least count commands have been received; false when the time ran out.
  bool WaitForCommands(uint64_t count, std::chrono::milliseconds timeout) const;

  // Snapshots of the module (nothing meaningful in replay mode).
  bool handshakeDone() const;
  ReceiverModule::Mode mode() const;
  ModuleSettings settings() const;
  FirmwareRevision revision() const;
  std::vector<uint8_t> flashImage() const;
  std::vector<TraceRecord> traceRecords() const;
  uint64_t restarts() const;
  bool hasFix() const;
  // Replay mode: the whole log went out (never when looping).
  bool replayFinished() const;

 private:
  void Run(std::stop_token stop);
  void Transmit(double nowS);
  void ReceiveFromHost(double nowS, size_t allowed);
  void Wake();
  void CloseLine();

  SimOptions options_;
  FaultSwitches faults_;
  PseudoTerminal terminal_;
  std::string error_;
  int wakeFd_ = -1;

  mutable std::mutex moduleMutex_;
  std::unique_ptr<ReceiverModule> module_;
  std::unique_ptr<ReplayPlayer> replay_;
  ILineEnd* lineEnd_ = nullptr;

  mutable std::mutex commandsMutex_;
  mutable std::condition_variable commandsChanged_;
  std::deque<CommandFrame> commands_;
  uint64_t commandCount_ = 0;

  std::atomic<uint64_t> bytesSent_{0};
  std::atomic<uint64_t> bytesReceived_{0};
  std::atomic<uint64_t> garbledSent_{0};
  std::atomic<uint64_t> garbledReceived_{0};
  std::atomic<uint64_t> overrun_{0};
  std::atomic<int> baud_{0};
  std::atomic<bool> dropped_{false};
  std::atomic<bool> dropRequested_{false};

  // Wire state, thread only.
  double txFreeAtS_ = 0;  // the line is busy sending until then
  double rxFreeAtS_ = 0;  // bytes from the host can be taken again from then
  uint32_t noise_ = 0;    // garbage generator state
  std::vector<uint8_t> chunk_;

  std::jthread thread_;
};

}  // namespace vetra::sim
