#pragma once
// The start-up time test under test: the fake receiver conversation (a parser record the scripted
// receiver fills and that is handed to the test as a pass value before each tick, monitoring
// restarts taken at once, and a queue that writes the restart frame at once after its delay to
// the scripted port), the fake clock, and a receiver that answers each restart frame tick by tick.

#include <deque>
#include <exception>
#include <string>
#include <vector>

#include "support/fake_clock.h"
#include "support/loader_port.h"
#include "ttff/ttff_campaign.h"

namespace vetra::test {

class FakeMonitor final : public ITtffMonitor {
 public:
  FakeMonitor() { ResetNavRecord(parser); }
  uint64_t RestartMonitoring() override {
    ResetNavRecord(parser);
    return ++restarts;
  }
  // The pass the conversation hands over: the NMEA parser's record, after every restart so far.
  PassValue Pass() const {
    PassValue pass;
    pass.navigation = NavigationUpdate{parser, DisplaySource::Nmea};
    pass.monitoringRestarts = restarts;
    return pass;
  }
  // As the conversation writes it: after its delay, whole, or why not.
  void SendRestart(std::span<const uint8_t> frame, int delayMs) override {
    if (clock != nullptr) clock->sleepMs(delayMs);
    notSent.clear();
    if (port == nullptr) {
      notSent = "no port";
      return;
    }
    try {
      if (port->txData(frame.data(), static_cast<int>(frame.size())) !=
          static_cast<int>(frame.size()))
        notSent = "written in part";
    } catch (const std::exception& error) {
      notSent = error.what();
    }
  }
  std::string RestartNotSent() override { return notSent; }

  TNavRecord parser;  // what the NMEA parser has decoded since its last reset
  uint64_t restarts = 0;
  IClock* clock = nullptr;
  IPort* port = nullptr;
  std::string notSent;
};

// A receiver that restarts on each restart frame: on the next tick it has sent its revision
// sentence and its first RMC, and it reports a fix firstFixSeconds - 1 ticks later, so that the
// test counts exactly firstFixSeconds. Scripted per restart: the fix times in order (the last one
// repeats); 0 for never.
struct ScriptedReceiver {
  bool sendsRevision = true;
  std::deque<int> firstFixSeconds{30};
  float latitudeDeg = 49.225f;
  char latitudeHemisphere = 'N';
  float longitudeDeg = 123.1f;
  char longitudeHemisphere = 'W';

  void Restarted(int tick) {
    restartTick = tick;
    revisionSent = false;
    fixAfter = firstFixSeconds.front() - 1;
    if (firstFixSeconds.size() > 1) firstFixSeconds.pop_front();
  }
  // What the receiver has sent by this tick lands in the parser's record.
  void BeforeTick(int tick, TNavRecord& parser) {
    if (restartTick < 0 || tick <= restartTick) return;
    const int since = tick - restartTick - 1;
    if (sendsRevision && !revisionSent) {
      parser.restartCounter++;
      revisionSent = true;
    }
    if (!sendsRevision) return;
    parser.speedKmh = 0;
    if (fixAfter >= 0 && since >= fixAfter) {
      parser.fixIndicator = 0;
      parser.latitudeDeg = latitudeDeg;
      parser.latitudeHemisphere = latitudeHemisphere;
      parser.longitudeDeg = longitudeDeg;
      parser.longitudeHemisphere = longitudeHemisphere;
    } else {
      parser.fixIndicator = 5;
    }
  }

  int restartTick = -1;
  bool revisionSent = false;
  int fixAfter = -1;
};

struct TtffBench {
  TtffBench() {
    monitor.clock = &clock;
    monitor.port = &port;
    port.onWrite = [this](const std::vector<uint8_t>& bytes) {
      if (bytes.size() == kTestRestartFrameSize) {
        frameTicks.push_back(tick);
        receiver.Restarted(tick);
      }
    };
  }
  // One timer tick, with what the receiver sent during the second before it.
  void Tick() {
    receiver.BeforeTick(tick, monitor.parser);
    test.ShowPass(monitor.Pass());
    test.Tick();
    ++tick;
  }
  void Ticks(int count) {
    for (int i = 0; i < count; ++i) Tick();
  }
  // Ticks until the test stops or limit ticks passed; false on the limit.
  bool RunToEnd(int limit = 10'000) {
    for (int i = 0; i < limit && test.panel().timerRunning; ++i) Tick();
    return !test.panel().timerRunning;
  }

  FakeClock clock{1'709'618'828};  // 2024-03-05 06:07:08 UTC
  LoaderPort port;
  FakeMonitor monitor;
  ScriptedReceiver receiver;
  TtffCampaign test{monitor, clock};
  int tick = 0;
  std::vector<int> frameTicks;  // the ticks on which a restart frame went out
};

}  // namespace vetra::test
