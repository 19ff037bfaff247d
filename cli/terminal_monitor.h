#pragma once
// The receiver conversation without a window, for `vetra monitor`: the conversation runs on its
// own thread with the open port; each pass value's lines and display update become text lines.
//
//   plain   one line per epoch of the receiver (any receiver: the pass value's epochs), as
//           `vetra decode --brief` writes it
//   json    one object per display update: {"source": "nmea"|"binary", "record": {...}} with the
//           module's record as `vetra decode` writes it
//   echo    also every echoed line (as the NMEA view shows it): plain, with bytes outside
//           printable ASCII as \xNN; json, {"line": "..."}
//   gpsd    the gpsd protocol's objects, one per line (share/gpsd_reports.h): a TPV and a SKY per
//           receiver epoch, when it closes, naming the device given
//
// Without an output function nothing is written (`vetra share`, whose pass values go to the
// share server: alsoShowTo sees every pass after the terminal has).
//
// The hand-off runs inline on the conversation's thread, so the lines are written from there; a
// failure of the port (the receiver unplugged) stops the reading, closes the log with every byte
// received, and calls the failure callback once.

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/byte_sink.h"
#include "link/port.h"
#include "model/receiver_stores.h"
#include "present/decode_format.h"
#include "session/line_health.h"
#include "session/receiver_conversation.h"
#include "share/gpsd_reports.h"
#include "util/clock.h"

namespace vetra {

class TerminalMonitor final : private IPassDisplay {
 public:
  struct Options {
    bool json = false;
    bool echo = false;
    bool hostMode = false;  // answer the receiver's lone 'U'
    bool gpsd = false;
    std::string device;                  // the device that TPV and SKY name
    IPassDisplay* alsoShowTo = nullptr;  // e.g. a ShareServer; must outlive the monitor
  };
  using Output = std::function<void(std::string_view lines)>;

  TerminalMonitor(Options options, Output output, IClock& clock = SystemClock::instance());
  ~TerminalMonitor() override;  // stops reading, closes the log and the port

  // Hands a log file to the conversation: every byte received is written to it, unchanged.
  bool AttachLog(std::unique_ptr<IByteSink> file) {
    return conversation_->AttachLog(std::move(file));
  }
  // Starts reading the open port, which the conversation owns from now on.
  void Start(std::unique_ptr<IPort> port);
  // Stops reading, closes the log and the port; every byte received is in the log.
  void Stop();

  // Called once, on the conversation's thread, when the port failed.
  void SetFailureCallback(std::function<void()> onFailure) { onFailure_ = std::move(onFailure); }
  bool portFailed() const { return portFailed_; }
  // Called once, on the conversation's thread, with the system's reason when the log could not be
  // written: the log is closed with what was written before, the monitoring goes on.
  void SetLogFailureCallback(std::function<void(const std::string& reason)> onLogFailure) {
    onLogFailure_ = std::move(onLogFailure);
  }
  bool logFailed() const { return logFailed_; }
  uint64_t updates() const { return updates_; }
  // The line's health since Start, as `vetra monitor --health` prints it (session/line_health.h):
  // "health: 480 B/s, ...", with a hint when something is wrong.
  std::string HealthLine();

 private:
  void ShowPass(const PassValue& pass) override;
  void AppendEcho(std::string_view line);
  void AppendNavigation(const NavigationUpdate& update);
  void AppendGpsd(const PassValue& pass);

  Options options_;
  Output output_;
  IClock& clock_;
  LineHealthMeter health_;
  ReceiverStores stores_;
  std::function<void()> onFailure_;
  std::function<void(const std::string&)> onLogFailure_;
  std::atomic<bool> portFailed_{false};
  std::atomic<bool> logFailed_{false};
  std::atomic<uint64_t> updates_{0};
  std::string lines_;
  BriefLineWriter brief_;
  GpsdReportMaker gpsdReports_;
  std::unique_ptr<ReceiverConversation> conversation_;  // last: its thread may call back at once
};

// The echo of one line for a terminal: printable ASCII as is, other bytes as \xNN.
std::string PrintableEcho(std::string_view line);

}  // namespace vetra
