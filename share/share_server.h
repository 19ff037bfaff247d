#pragma once
// ShareServer: the receiver's output for other programs, while this program holds the port. One
// server in the core, fed with the receiver conversation's pass values (it is an IPassDisplay);
// `vetra share` and the desktop program's File > "Share on localhost" both run it.
//
//   gpsd address (default 127.0.0.1:2947)    the gpsd protocol as its clients use it: the VERSION
//                                            banner, then requests and their answers
//                                            (gpsd_responder.h), and for watchers one TPV and one
//                                            SKY per receiver epoch and/or the raw NMEA sentences
//   NMEA address (default 127.0.0.1:10110)   the NMEA sentences as they arrive, CR LF ended
//                                            ("NMEA over TCP", the common input of map programs)
//
// Safe by default: loopback unless another address is given; a client that sends a byte that is
// not printable ASCII, gpsd text that is not a series of requests, a request over 4 KiB, or that
// stops reading so that more than kMaxQueuedBytes wait for it, is disconnected without affecting
// the others. What clients send is only ever parsed here: nothing reaches the receiver.
//
// Nobody can lock sharing: each address serves at most kMaxClientsPerService clients of its own.
// A client is idle when it is a gpsd client that has not asked to watch (since it connected), or
// when something waits for it and it has read nothing of what it was sent (since it last read),
// as far as the system tells: once its socket's buffers are full (a 64 KiB send buffer, and the
// client's receive buffer), a write no longer takes any byte. A watching client that reads is
// never idle. A client idle for kIdleMs is closed; when an address
// is full, its longest-idle client makes way for the newcomer, and only when none is idle is the
// newcomer refused. "Now" comes from the injected clock (util/clock.h), so tests advance it
// instead of waiting; the check runs every second and at CheckIdleNow.
//
// Connects and disconnects are counted (ShareCounts): the desktop program's status bar and
// `vetra share --health` show the counts; events one by one go to the listener.
//
// Paused (SetPaused): no port is read, so there is nothing to share; gpsd clients are answered as
// by a gpsd without a device (gpsd_responder.h) and the last epoch is forgotten, so no stale report
// goes out. Passes are ignored until it is resumed.
//
// Threads: the server runs on its own thread (Asio's io_context). ShowPass copies what it needs
// from the pass and posts it there, so the conversation (or the window thread, in the desktop
// program) never waits for a client; the reports are made on the server's thread. Events (a
// client came, left, was dropped, closed idle or refused) reach the listener on the server's
// thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "session/pass_value.h"
#include "share/gpsd_responder.h"
#include "share/listen_address.h"
#include "util/clock.h"

namespace vetra {

// Since the server started; the clients now by address.
struct ShareCounts {
  int gpsdClients = 0;
  int nmeaClients = 0;
  uint64_t connects = 0;
  uint64_t disconnects = 0;  // every client gone, by itself or closed by the server
  uint64_t closedIdle = 0;   // of them: idle for 30 s, or made way for a newcomer
  uint64_t dropped = 0;      // of them: garbage, an overlong request, 1 MiB unread
  uint64_t refused = 0;      // not admitted: the address was full and nobody idle
  int clients() const { return gpsdClients + nmeaClients; }
};

// "2 clients (1 gpsd, 1 NMEA); 5 connects, 3 disconnects (1 closed idle, 1 dropped), 0 refused"
std::string ShareCountsText(const ShareCounts& counts);

class ShareServer final : public IPassDisplay {
 public:
  struct Options {
    GpsdServerInfo info;  // release, device, line rate; "activated" is set when it starts
    ListenAddress gpsd = kDefaultGpsdAddress;
    std::optional<ListenAddress> nmea = kDefaultNmeaAddress;  // nullopt: no NMEA address
    IClock* clock = nullptr;  // "now" of the idle rules; nullptr: the system's; must outlive
  };
  enum class EventKind { Connected, Disconnected, Dropped, ClosedIdle, Refused };
  struct Event {
    EventKind kind = EventKind::Connected;
    std::string peer;    // "127.0.0.1:50312"
    std::string reason;  // why a client was dropped, closed or refused
    int clients = 0;     // connected after the event, both addresses
  };
  using Listener = std::function<void(const Event& event)>;

  static constexpr int kMaxClientsPerService = 16;
  static constexpr int64_t kIdleMs = 30'000;
  static constexpr size_t kMaxQueuedBytes = size_t{1} << 20;

  ShareServer();
  ~ShareServer() override;  // stops
  ShareServer(const ShareServer&) = delete;
  ShareServer& operator=(const ShareServer&) = delete;

  // Binds the addresses and starts serving. False, nothing left open, and the reason in error
  // ("cannot listen on 127.0.0.1:2947: the address is in use") when an address cannot be bound.
  bool Start(const Options& options, std::string& error);
  // Closes every client and both addresses; returns when the server's thread has ended.
  void Stop();
  bool running() const;

  // The addresses bound (with the port the system chose for port 0); nullopt while stopped.
  std::optional<ListenAddress> gpsdAddress() const;
  std::optional<ListenAddress> nmeaAddress() const;
  int clientCount() const;
  ShareCounts counts() const;  // zero while stopped

  // Not empty: sharing is paused, and why ("no port is read: the Setup page is shown"). Kept
  // across Stop and Start.
  void SetPaused(const std::string& reason);
  std::string pausedReason() const;

  // Closes the clients idle for kIdleMs by the clock now; returns when done. (The server does the
  // same every second by itself.)
  void CheckIdleNow();

  // Set before Start; called on the server's thread.
  void SetListener(Listener listener);

  // IPassDisplay: never waits for a client. Ignored while stopped or paused.
  void ShowPass(const PassValue& pass) override;

 private:
  class Impl;
  mutable std::mutex mutex_;  // guards impl_, listener_ and paused_, never held while serving
  std::shared_ptr<Impl> impl_;
  Listener listener_;
  std::string paused_;
};

}  // namespace vetra
