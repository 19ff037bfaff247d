#pragma once
// The monitoring task without a window, for `vetra monitor`: the task runs on its own thread
// against an open port; its display updates become text lines.
//
//   plain   one line per display update: the position as `vetra decode --brief` writes it
//   json    one object per display update: {"source": "nmea"|"binary", "record": {...}} with the
//           record as `vetra decode` writes it
//   echo    also every echoed line (as the NMEA view shows it): plain, with bytes outside
//           printable ASCII as \xNN; json, {"line": "..."}
//
// The hand-off runs inline on the task's thread, so the lines are written from there; a
// failure of the port (the receiver unplugged) stops the task, closes the log with every byte
// received, and calls the failure callback once.

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/clock.h"
#include "link/port.h"
#include "model/receiver_stores.h"
#include "monitor/view_task.h"

namespace vetra {

class TerminalMonitor final : private IViewDisplay {
 public:
  struct Options {
    bool json = false;
    bool echo = false;
    bool hostMode = false;  // answer the receiver's lone 'U'
  };
  using Output = std::function<void(std::string_view lines)>;

  TerminalMonitor(Options options, Output output, IClock& clock = SystemClock::instance());
  ~TerminalMonitor() override;  // stops the task, closes the log

  // Hands an open file to the task: every byte received is written to it, unchanged.
  bool AttachLog(std::FILE* file) { return task_->AttachLog(file); }
  // Starts reading port (which must outlive Stop or the destructor).
  void Start(IPort& port);
  // Stops reading, takes the port back and closes the log; every byte received is in it.
  void Stop();

  // Called once, on the task's thread, when the port failed.
  void SetFailureCallback(std::function<void()> onFailure) { onFailure_ = std::move(onFailure); }
  bool portFailed() const { return portFailed_; }
  uint64_t updates() const { return updates_; }

 private:
  void AppendNmeaLine(std::string_view line) override;
  void ShowNavigation(const TNavRecord& display, DisplaySource source) override;
  void PortFailed() override;

  Options options_;
  Output output_;
  ReceiverStores stores_;
  std::function<void()> onFailure_;
  std::atomic<bool> portFailed_{false};
  std::atomic<uint64_t> updates_{0};
  std::string line_;
  std::unique_ptr<TViewTask> task_;  // last: its thread may call back as soon as it exists
};

// The echo of one line for a terminal: printable ASCII as is, other bytes as \xNN.
std::string PrintableEcho(std::string_view line);

}  // namespace vetra
