#pragma once
// ShareServer: the receiver's output for other programs, while this program holds the port. One
// server in the core, fed with the receiver conversation's pass values (it is an IPassDisplay);
// `vetra share` and the desktop program's File > "Share on localhost" both run it.
//
//   gpsd address (default 127.0.0.1:2947)    the gpsd protocol as its clients use it: the VERSION
//                                            banner, then requests and their answers
//                                            (gpsd_responder.h), and for watchers the TPV/SKY
//                                            reports and/or the raw NMEA sentences
//   NMEA address (default 127.0.0.1:10110)   the NMEA sentences as they arrive, CR LF ended
//                                            ("NMEA over TCP", the common input of map programs)
//
// Safe by default: loopback unless another address is given; at most kMaxClients clients over
// both addresses (one more is accepted and closed at once); a client that sends a byte that is not
// printable ASCII, a gpsd line that is not a series of requests, a line over kMaxLineBytes, or
// that stops reading so that more than kMaxQueuedBytes wait for it, is disconnected without
// affecting the others. What clients send is only ever parsed here: nothing reaches the receiver.
//
// Threads: the server runs on its own thread (Asio's io_context). ShowPass copies what it needs
// from the pass and posts it there, so the conversation (or the window thread, in the desktop
// program) never waits for a client; the reports are made on the server's thread. Events (a
// client came, left, was dropped or refused) reach the listener on the server's thread.

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "monitor/pass_value.h"
#include "share/gpsd_responder.h"
#include "share/listen_address.h"

namespace vetra {

class ShareServer final : public IPassDisplay {
 public:
  struct Options {
    GpsdServerInfo info;  // release, device, line rate; "activated" is set when it starts
    ListenAddress gpsd = kDefaultGpsdAddress;
    std::optional<ListenAddress> nmea = kDefaultNmeaAddress;  // nullopt: no NMEA address
  };
  enum class EventKind { Connected, Disconnected, Dropped, Refused };
  struct Event {
    EventKind kind = EventKind::Connected;
    std::string peer;    // "127.0.0.1:50312"
    std::string reason;  // why a client was dropped or refused
    int clients = 0;     // connected after the event
  };
  using Listener = std::function<void(const Event& event)>;

  static constexpr int kMaxClients = 16;
  static constexpr size_t kMaxQueuedBytes = size_t{1} << 20;
  static constexpr size_t kMaxLineBytes = 4096;

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

  // Set before Start; called on the server's thread.
  void SetListener(Listener listener);

  // IPassDisplay: never waits for a client. Ignored while stopped.
  void ShowPass(const PassValue& pass) override;

 private:
  class Impl;
  mutable std::mutex mutex_;  // guards impl_ and listener_, never held while serving
  std::shared_ptr<Impl> impl_;
  Listener listener_;
};

}  // namespace vetra
