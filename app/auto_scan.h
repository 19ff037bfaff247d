#pragma once
// The auto-scan: finds the receiver's baud rate by listening for NMEA text at each rate of the
// baud-rate table in turn.
//
//   open the port at 2400 ("Wrong com!" / "Open com port" when it does not open), "Scan..." blue;
//   for 2400 .. 115200 until found: reset the port to the rate (8 data bits, one stop bit, no
//   parity; even in host mode), drain (1024 bytes at a time until a read brings nothing), then six
//   polls 200 ms apart: each reads up to 1024 bytes and looks for "$GP" in them (the bytes as text,
//   ending at the first zero byte); a hit is "Found!" green;
//   none found: "Scan Fail!" red; the port is discarded in every case.
//
// A state machine: Step() does one step and says how long to wait before the next, so the desktop
// program can drive it from a timer and the terminal tool and tests from Run(). The window's
// events are processed in each wait (pumpEvents), so running() keeps a second scan from starting;
// the window disables the Scan button, the port and baud lists and the tabs while it runs.
//
// Beyond the plain rules: the drain stops after kMaxDrainReads reads (a receiver that never
// pauses would hold it for ever), and a port that fails (a read of -1, a reset that does not take)
// ends the scan at once with "Scan Fail!".

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "link/port.h"
#include "present/view_model.h"
#include "util/clock.h"
#include "util/messages.h"

namespace vetra {

inline constexpr char kScanningText[] = "Scan...";
inline constexpr char kFoundText[] = "Found!";
inline constexpr char kScanFailText[] = "Scan Fail!";

class AutoScan {
 public:
  // Creates the port for the chosen port index at baudRate and opens it; nullptr when it does not
  // open (without a message: the scan shows it).
  // The port opened at baudRate, or nullptr with problem saying what went wrong where.
  using PortFactory = std::function<std::unique_ptr<IPort>(int baudRate, std::string& problem)>;
  // lbAutoScan: the text and its colour.
  using StatusSink = std::function<void(const std::string& text, Rgb colour)>;

  enum class Outcome { Running, Found, Failed, PortFailed, NotOpened, Busy };
  struct Result {
    Outcome outcome = Outcome::Running;
    int baudIndex = -1;  // the rate found, an index into kBaudRates
    int baudRate = 0;
  };

  static constexpr int kReadSize = 1024;
  static constexpr int kPollIntervalMs = 200;
  static constexpr int kListenMs = 1000;  // polling ends when more than this was spent at a rate
  static constexpr int kMaxDrainReads = 64;

  AutoScan(IClock& clock, IMessages& messages) : clock_(clock), messages_(messages) {}

  // The whole scan on the caller's thread; pumpEvents runs in every wait. Busy when a scan runs.
  Result Run(PortFactory factory, StatusSink status, const std::function<void()>& pumpEvents);

  // Stepping by hand: Start (false when a scan runs), then Step until it returns -1; the value is
  // the wait in milliseconds before the next Step.
  bool Start(PortFactory factory, StatusSink status);
  int Step();
  bool running() const { return running_; }
  const Result& result() const { return result_; }
  int rateIndex() const { return rateIndex_; }  // the rate being tried

 private:
  enum class State { Open, Reset, Drain, Poll, AfterPoll, Finish, Done };
  void Finish(Outcome outcome);

  IClock& clock_;
  IMessages& messages_;
  PortFactory factory_;
  StatusSink status_;
  std::unique_ptr<IPort> port_;
  std::atomic<bool> running_{false};
  State state_ = State::Done;
  int rateIndex_ = 0;
  int spentMs_ = 0;
  bool found_ = false;
  Result result_;
};

// True when the bytes, read as text up to the first zero byte, hold "$GP".
bool HasGpsTalkerText(const uint8_t* bytes, int count);

}  // namespace vetra
