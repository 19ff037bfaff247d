#pragma once
// ReferenceReceiver: a second receiver read live beside the module under test, as the reference of
// a comparison (the Statistics window's "second receiver"). It owns its line and reads it on a
// thread of its own; the bytes go through an EpochStream (any receiver: NMEA of any talker, the
// module's binary output), never through the monitoring parser, which reads the module's talker
// only.
//
// The line is one of:
//   a serial port   any receiver, read only: nothing is ever written to it;
//   host:port       a TCP source: an NMEA stream (another `vetra share`, a receiver's network
//                   port), or a gpsd server, recognised by its VERSION banner ("{" first) and
//                   asked once to watch with NMEA (?WATCH={"enable":true,"nmea":true}); its JSON
//                   lines are passed over by the epoch reader.
//
// What it reads leaves the thread as values (ReferenceUpdate): the epochs that closed, the line's
// health since it was opened, and, once, why it stopped (the port failed, the source closed the
// connection, the host does not answer). An update goes out whenever epochs closed and at least
// once a second. Stop ends the thread; no update goes out after it returns.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "epoch/epoch.h"
#include "session/pass_value.h"
#include "util/clock.h"

namespace vetra {

struct ReferenceSource {
  std::string device;  // a serial device path (a serial source)
  std::string host;    // a TCP source: host name or address, and port
  uint16_t port = 0;
  int baud = 4800;  // a serial source's line rate
  bool tcp() const { return !host.empty(); }
  std::string name() const;  // "host:port" or the device
};

// "host:port" ("[v6]:port" for an IPv6 address) is a TCP source; any other text a serial device
// (a port name is turned into its device by the caller). nullopt with error for an empty text or
// a port that is not 1..65535.
std::optional<ReferenceSource> ParseReferenceSource(std::string_view text, int baud,
                                                    std::string& error);

struct ReferenceUpdate {
  std::vector<Epoch> epochs;  // closed since the last update, in order
  LineHealth health;          // since the line was opened (sentences: the epoch reader's)
  bool ended = false;         // the reader stopped by itself: failure says why
  std::string failure;
};

class ReferenceReceiver {
 public:
  // Called on the reader's thread; it may block (a hand-off to the window thread).
  using Sink = std::function<void(ReferenceUpdate)>;
  static constexpr int kConnectTimeoutMs = 5000;

  ReferenceReceiver(ReferenceSource source, Sink sink, IClock& clock = SystemClock::instance());
  ~ReferenceReceiver();  // Stop
  ReferenceReceiver(const ReferenceReceiver&) = delete;
  ReferenceReceiver& operator=(const ReferenceReceiver&) = delete;

  void Start();
  // Ends the thread (within about 100 ms of reading); the sink is not called after this returns.
  void Stop();
  const ReferenceSource& source() const { return source_; }

 private:
  void Run(std::stop_token stop);

  ReferenceSource source_;
  Sink sink_;
  IClock& clock_;
  std::jthread thread_;
};

}  // namespace vetra
