#pragma once
// The start-up time test: restarts the receiver hot, warm or cold again and again and times each
// first fix in whole seconds, stepped once a second by the window's timer.
//
// One cycle, tick by tick (TtffState):
//   0 begin       counters to zero, cycle 1; on at once to 1
//   1 restart     "Restart....." in green, the restart frame (300 ms after it was built), then
//                 the monitoring restart
//   2 revision    waits for the receiver's revision sentence; after four ticks without one the
//                 restart is repeated (a frame every five ticks)
//   3 first RMC   waits for a speed; then "Fixing.....", Seconds := 1
//   4 counting    Seconds + 1 a tick until a fix: it counts when hot or at 10 s and more ("Fix" in
//                 red); a warm or cold fix under 10 s is not counted and the cycle starts again
//   5 pause       csWaitTime ticks
//   6 cycle end   the mode's field shows the running mean ("%5.1fs"); the next cycle or the end
//
// The test runs on the window thread and sends its requests to the receiver conversation through
// ITtffMonitor; the conversation writes the restart frame on its own thread. What the receiver
// says reaches the test as pass values (it is a display of passes like the View page): the NMEA
// parser's record read after the test's last monitoring restart decides each tick, and the last
// position shown goes into the restart frame. Passes read before that restart was taken, and the
// binary parser's records, decide nothing. ShowPass may run on another thread than Tick (the
// conversation's own, in `vetra ttff`), so what the passes said is kept under a lock of its own
// and each tick reads it once.
// Beyond the mean it keeps every restart (first-fix time or why it did not count) for the
// statistics and the CSV of ttff_statistics.h.

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <span>

#include "model/nav_record.h"
#include "session/pass_value.h"
#include "ttff/restart_frame.h"
#include "ttff/ttff_statistics.h"
#include "util/clock.h"

namespace vetra {

// What the test asks of the receiver conversation: its requests, and the queue that writes the
// restart frame.
class ITtffMonitor {
 public:
  virtual ~ITtffMonitor() = default;
  // The line reset and both parsers' records reset at the next pass; returns the request's number,
  // which the passes read after it carry (PassValue::monitoringRestarts).
  virtual uint64_t RestartMonitoring() = 0;
  // Queues the restart frame, to go no sooner than delayMs from now.
  virtual void SendRestart(std::span<const uint8_t> frame, int delayMs) = 0;
  // Why the restart frame sent last did not go out ("no port", the port's message); empty when
  // it went or is still on its way.
  virtual std::string RestartNotSent() = 0;
};

enum class TextColour { Default, Green, Red };

// The steps of one cycle, numbered as the test counts them.
enum class TtffState {
  Begin = 0,
  Restart = 1,
  Revision = 2,
  FirstRmc = 3,
  Counting = 4,
  Pause = 5,
  CycleEnd = 6,
};

// What the test panel pnTest shows; index 0, 1, 2 = hot, warm, cold.
struct TtffPanel {
  std::string gpsStatus;  // lbGPSstatus
  TextColour gpsStatusColour = TextColour::Default;
  std::string testStatus;  // lbTestStatus: seconds
  TextColour testStatusColour = TextColour::Default;
  std::string testCycle;                                                     // lbTestCycle
  std::string ttffMode;                                                      // lbTTFF
  std::array<std::string, 3> results{"     Hot", "     Warm", "     Cold"};  // edTestAvg*
  std::array<std::string, 3> captions{"Hot", "Warm", "Cold"};                // btHotStart ...
  std::array<bool, 3> visible{true, true, true};
  std::array<bool, 3> enabled{true, true, true};
  bool timerRunning = false;       // tmrTest
  std::string cyclesText = "1";    // csTestCycles, 1 to 10,000
  std::string waitTimeText = "3";  // csWaitTime, 3 to 20
  std::string lastSendError;       // why the last restart frame did not go out ("" when it went)
};

class TtffCampaign final : public IPassDisplay {
 public:
  static constexpr int kEarlyFixSeconds = 10;
  static constexpr int kRevisionTicks = 3;  // Seconds above this: restart again
  static constexpr int kSendDelayMs = 300;

  TtffCampaign(ITtffMonitor& monitor, IClock& clock) : monitor_(monitor), clock_(clock) {}

  // btHotStartClick, btWarmStartClick, btColdStartClick: start a test of the mode or stop the one
  // that runs.
  void ButtonClicked(TestType type);
  // tmrTestTimer: one step.
  void Tick();
  // Every pass of the receiver conversation, from any one thread.
  void ShowPass(const PassValue& pass) override;
  // The NMEA parser's record as the passes read after the test's last monitoring restart left it
  // (reset until one arrives).
  TNavRecord Heard() const;

  // Builds the restart frame and queues it to go 300 ms later. False when it is known not to have
  // gone (no port; with a fake monitor, a failed write); the panel's lastSendError says why. A
  // write that fails later is found on the next tick.
  bool SendTestRestart(TestType type);

  TtffPanel& panel() { return panel_; }
  const TtffPanel& panel() const { return panel_; }
  TtffState state() const { return state_; }
  int seconds() const { return seconds_; }
  int cycle() const { return cycle_; }
  TestType testType() const { return type_; }
  // Every restart of the current (or last) test, in order.
  const std::vector<TtffCycle>& cycles() const { return cycles_; }
  TtffStatistics statistics() const { return Summarise(cycles_); }

  // The spin edits' values: their text as a number within the limits, the default otherwise.
  static int CyclesFromText(std::string_view text);
  static int WaitTimeFromText(std::string_view text);

 private:
  static int Index(TestType type) { return static_cast<int>(type) - 1; }
  void Restart();
  void RestartMonitoring();
  void CountTick(const TNavRecord& heard);
  void EndCycle();
  void NoteRestartNotSent();
  TtffCycle* Current() { return cycles_.empty() ? nullptr : &cycles_.back(); }

  ITtffMonitor& monitor_;
  IClock& clock_;
  TtffPanel panel_;
  TestType type_ = TestType::Hot;
  TtffState state_ = TtffState::Begin;
  int seconds_ = 0;
  int cycle_ = 1;
  int totalSeconds_ = 0;
  int waitCount_ = 0;
  std::vector<TtffCycle> cycles_;

  // What the passes said.
  struct FromPasses {
    FromPasses() { ResetNavRecord(nmea); }
    TNavRecord nmea;              // the NMEA parser's record since the awaited restart
    TNavRecord shown;             // the last record any pass handed to the display: its position
    uint64_t awaitedRestart = 0;  // passes that carry less were read before the last restart
  };
  mutable std::mutex passesMutex_;
  FromPasses passes_;
};

}  // namespace vetra
