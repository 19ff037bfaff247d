#include "share/share_server.h"

#include <array>
#include <asio.hpp>
#include <chrono>
#include <cstdio>
#include <deque>
#include <future>
#include <thread>
#include <vector>

namespace vetra {
namespace {

using asio::ip::tcp;

constexpr int kSendBufferBytes = 64 * 1024;

// The host's clock as gpsd writes times: "2024-05-01T12:00:01.250Z".
std::string IsoTimeNow() {
  using namespace std::chrono;
  const auto now = floor<milliseconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int{date.year()},
                unsigned{date.month()}, unsigned{date.day()},
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()),
                static_cast<int>(time.subseconds().count()));
  return text;
}

std::string PeerOf(const tcp::socket& socket) {
  asio::error_code ec;
  const tcp::endpoint peer = socket.remote_endpoint(ec);
  if (ec) return "?";
  return ToString(ListenAddress{peer.address().to_string(), peer.port()});
}

// What a pass gives the server's thread: copies, so the pass value may go at once.
struct PassCopy {
  std::vector<Epoch> epochs;
  std::vector<std::string> sentences;
};

std::shared_ptr<const std::string> Joined(const std::vector<std::string>& lines) {
  if (lines.empty()) return nullptr;
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return std::make_shared<const std::string>(std::move(text));
}

std::string Plural(uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string ShareCountsText(const ShareCounts& c) {
  return Plural(c.clients(), "client", "clients") + " (" + std::to_string(c.gpsdClients) +
         " gpsd, " + std::to_string(c.nmeaClients) + " NMEA); " +
         Plural(c.connects, "connect", "connects") + ", " +
         Plural(c.disconnects, "disconnect", "disconnects") + " (" + std::to_string(c.closedIdle) +
         " closed idle, " + std::to_string(c.dropped) + " dropped), " + std::to_string(c.refused) +
         " refused";
}

class ShareServer::Impl {
 public:
  Impl(const Options& options, Listener listener)
      : info_(options.info),
        listener_(std::move(listener)),
        clock_(options.clock != nullptr ? *options.clock : SystemClock::instance()),
        reports_(options.info.device) {
    info_.activated = IsoTimeNow();
  }

  ~Impl() {
    io_.stop();
    if (thread_.joinable()) thread_.join();
  }

  bool Listen(const Options& options, std::string& error) {
    if (!Bind(gpsdAcceptor_, options.gpsd, gpsdAddress_, error)) return false;
    if (options.nmea) {
      nmeaAcceptor_.emplace(io_);
      ListenAddress bound;
      if (!Bind(*nmeaAcceptor_, *options.nmea, bound, error)) return false;
      nmeaAddress_ = bound;
    }
    Accept(gpsdAcceptor_, true);
    if (nmeaAcceptor_) Accept(*nmeaAcceptor_, false);
    ArmIdleCheck();
    thread_ = std::thread([this] { io_.run(); });
    return true;
  }

  void Feed(const PassValue& pass) {
    if (pass.epochs.empty() && pass.sentences.empty()) return;
    auto copy = std::make_shared<PassCopy>(PassCopy{pass.epochs, pass.sentences});
    asio::post(io_, [this, copy] {
      if (info_.paused.empty()) Broadcast(reports_.Take(copy->epochs, copy->sentences));
    });
  }

  void SetPaused(const std::string& reason) {
    asio::post(io_, [this, reason] {
      info_.paused = reason;
      if (!reason.empty()) reports_.Forget();
    });
  }

  void CheckIdleNow() {
    std::promise<void> done;
    asio::post(io_, [this, &done] {
      CheckIdle();
      done.set_value();
    });
    done.get_future().wait();
  }

  const ListenAddress& gpsdAddress() const { return gpsdAddress_; }
  const std::optional<ListenAddress>& nmeaAddress() const { return nmeaAddress_; }
  ShareCounts counts() const {
    std::lock_guard lock(countsMutex_);
    return counts_;
  }

 private:
  struct Client {
    Client(tcp::socket s, bool speaksGpsd) : socket(std::move(s)), gpsd(speaksGpsd) {}
    tcp::socket socket;
    bool gpsd;  // the gpsd address; false: the NMEA address
    std::string peer;
    GpsdResponder responder;
    std::array<char, 4096> input{};
    std::deque<std::shared_ptr<const std::string>> queue;
    size_t frontSent = 0;    // bytes of queue.front() already sent
    size_t queuedBytes = 0;  // not sent yet
    bool writing = false;
    bool closed = false;
    int64_t connectedMs = 0;
    int64_t unreadSinceMs = 0;  // while the queue holds bytes: since it last took any
  };
  using ClientPtr = std::shared_ptr<Client>;

  int64_t Now() { return clock_.nowMs(); }

  bool Bind(tcp::acceptor& acceptor, const ListenAddress& where, ListenAddress& bound,
            std::string& error) {
    asio::error_code ec;
    const tcp::endpoint endpoint(asio::ip::make_address(where.address, ec), where.port);
    if (!ec) acceptor.open(endpoint.protocol(), ec);
#ifndef _WIN32
    // A restart may bind again at once, past connections in TIME_WAIT. (On Windows the same
    // option would let two servers share the port.)
    if (!ec) acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
#endif
    if (!ec) acceptor.bind(endpoint, ec);
    if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
      error =
          "cannot listen on " + ToString(where) + ": " +
          (ec == asio::error::address_in_use ? std::string("the address is in use") : ec.message());
      return false;
    }
    const tcp::endpoint local = acceptor.local_endpoint(ec);
    bound = ListenAddress{local.address().to_string(), local.port()};
    return true;
  }

  void Accept(tcp::acceptor& acceptor, bool gpsd) {
    acceptor.async_accept([this, &acceptor, gpsd](asio::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted) return;
      if (!ec) Admit(std::move(socket), gpsd);
      Accept(acceptor, gpsd);
    });
  }

  void ArmIdleCheck() {
    idleTimer_.expires_after(std::chrono::seconds(1));
    idleTimer_.async_wait([this](asio::error_code ec) {
      if (ec == asio::error::operation_aborted) return;
      CheckIdle();
      ArmIdleCheck();
    });
  }

  // Since when the client is idle (see the header); nullopt while it is not.
  static std::optional<int64_t> IdleSince(const Client& client) {
    std::optional<int64_t> since;
    if (client.gpsd && !client.responder.askedToWatch()) since = client.connectedMs;
    if (!client.queue.empty()) {
      since = since ? std::min(*since, client.unreadSinceMs) : client.unreadSinceMs;
    }
    return since;
  }

  static std::string IdleReason(const Client& client) {
    return client.gpsd && !client.responder.askedToWatch() ? "did not ask to watch within 30 s"
                                                           : "read nothing for 30 s";
  }

  void CheckIdle() {
    const int64_t now = Now();
    const std::vector<ClientPtr> clients = clients_;  // closing leaves clients_
    for (const ClientPtr& client : clients) {
      const std::optional<int64_t> since = IdleSince(*client);
      if (since && now - *since >= kIdleMs) {
        Close(client, EventKind::ClosedIdle, IdleReason(*client));
      }
    }
  }

  // The longest-idle client of one address; null when none is idle.
  ClientPtr LongestIdle(bool gpsd) const {
    ClientPtr longest;
    std::optional<int64_t> longestSince;
    for (const ClientPtr& client : clients_) {
      if (client->gpsd != gpsd) continue;
      const std::optional<int64_t> since = IdleSince(*client);
      if (since && (!longestSince || *since < *longestSince)) {
        longest = client;
        longestSince = since;
      }
    }
    return longest;
  }

  int& ClientsOf(bool gpsd) { return gpsd ? counts_.gpsdClients : counts_.nmeaClients; }

  void Admit(tcp::socket socket, bool gpsd) {
    const std::string peer = PeerOf(socket);
    const char* service = gpsd ? "gpsd" : "NMEA";
    if (ClientsOf(gpsd) >= kMaxClientsPerService) {
      const ClientPtr idle = LongestIdle(gpsd);
      if (idle == nullptr) {
        asio::error_code ignored;
        socket.close(ignored);
        {
          std::lock_guard lock(countsMutex_);
          ++counts_.refused;
        }
        Tell({EventKind::Refused, peer,
              "already serving " + std::to_string(kMaxClientsPerService) + " " + service +
                  " clients, none idle",
              static_cast<int>(clients_.size())});
        return;
      }
      const int64_t idleSeconds = (Now() - *IdleSince(*idle)) / 1000;
      Close(idle, EventKind::ClosedIdle,
            "made way for a new client after " + std::to_string(idleSeconds) + " s idle");
    }
    asio::error_code ignored;
    socket.set_option(tcp::no_delay(true), ignored);
    // What the system holds for a client that does not read is bounded, so that such a client is
    // found idle within a minute or so rather than after megabytes (loopback grows buffers).
    socket.set_option(asio::socket_base::send_buffer_size(kSendBufferBytes), ignored);
    auto client = std::make_shared<Client>(std::move(socket), gpsd);
    client->peer = peer;
    client->connectedMs = Now();
    clients_.push_back(client);
    {
      std::lock_guard lock(countsMutex_);
      ++ClientsOf(gpsd);
      ++counts_.connects;
    }
    Tell({EventKind::Connected, peer, {}, static_cast<int>(clients_.size())});
    if (gpsd) Send(client, std::make_shared<const std::string>(GpsdResponder::Banner(info_)));
    Read(client);
  }

  void Read(const ClientPtr& client) {
    client->socket.async_read_some(asio::buffer(client->input),
                                   [this, client](asio::error_code ec, size_t count) {
                                     if (client->closed) return;
                                     if (ec) {
                                       Close(client, EventKind::Disconnected, {});
                                       return;
                                     }
                                     if (client->gpsd) Answer(client, count);
                                     if (!client->closed) Read(client);
                                   });
  }

  // What a gpsd client sent, one read; on the NMEA address what a client sends is read only so
  // that its sending never blocks it, and otherwise ignored.
  void Answer(const ClientPtr& client, size_t count) {
    std::string replies;
    const bool understood = client->responder.Answer(std::string_view(client->input.data(), count),
                                                     info_, reports_, IsoTimeNow(), replies);
    if (!understood) {
      Close(client, EventKind::Dropped,
            client->responder.overlong() ? "sent a request over 4 KiB" : "sent garbage");
    } else if (!replies.empty()) {
      Send(client, std::make_shared<const std::string>(std::move(replies)));
    }
  }

  void Broadcast(const SharedPass& shared) {
    const std::shared_ptr<const std::string> sentences = Joined(shared.sentences);
    const std::shared_ptr<const std::string> reports = Joined(shared.reports);
    // Sending may drop a client, which leaves clients_: walk a copy.
    const std::vector<ClientPtr> clients = clients_;
    for (const ClientPtr& client : clients) {
      const bool wantsSentences = !client->gpsd || client->responder.wantsSentences();
      if (sentences && wantsSentences) Send(client, sentences);
      if (reports && client->gpsd && client->responder.wantsReports()) Send(client, reports);
    }
  }

  void Send(const ClientPtr& client, std::shared_ptr<const std::string> text) {
    if (client->closed) return;
    if (client->queuedBytes + text->size() > kMaxQueuedBytes) {
      Close(client, EventKind::Dropped, "stopped reading (1 MiB waiting)");
      return;
    }
    if (client->queue.empty()) client->unreadSinceMs = Now();
    client->queuedBytes += text->size();
    client->queue.push_back(std::move(text));
    WriteNext(client);
  }

  // One write of what waits; each write that takes bytes counts as the client reading.
  void WriteNext(const ClientPtr& client) {
    if (client->writing || client->closed || client->queue.empty()) return;
    constexpr size_t kMaxBuffersPerWrite = 64;
    const size_t count = std::min(client->queue.size(), kMaxBuffersPerWrite);
    std::vector<asio::const_buffer> buffers;
    buffers.reserve(count);
    buffers.push_back(asio::buffer(*client->queue.front()) + client->frontSent);
    for (size_t i = 1; i < count; ++i) buffers.push_back(asio::buffer(*client->queue[i]));
    client->writing = true;
    client->socket.async_write_some(buffers, [this, client](asio::error_code ec, size_t sent) {
      client->writing = false;
      if (client->closed) return;
      if (ec) {
        Close(client, EventKind::Disconnected, {});
        return;
      }
      client->unreadSinceMs = Now();
      client->queuedBytes -= sent;
      while (sent > 0) {
        const size_t rest = client->queue.front()->size() - client->frontSent;
        if (sent < rest) {
          client->frontSent += sent;
          break;
        }
        sent -= rest;
        client->frontSent = 0;
        client->queue.pop_front();
      }
      WriteNext(client);
    });
  }

  void Close(const ClientPtr& client, EventKind kind, std::string reason) {
    if (client->closed) return;
    client->closed = true;
    asio::error_code ignored;
    client->socket.shutdown(tcp::socket::shutdown_both, ignored);
    client->socket.close(ignored);
    std::erase(clients_, client);
    {
      std::lock_guard lock(countsMutex_);
      --ClientsOf(client->gpsd);
      ++counts_.disconnects;
      if (kind == EventKind::ClosedIdle) ++counts_.closedIdle;
      if (kind == EventKind::Dropped) ++counts_.dropped;
    }
    Tell({kind, client->peer, std::move(reason), static_cast<int>(clients_.size())});
  }

  void Tell(const Event& event) {
    if (listener_) listener_(event);
  }

  // The io_context first: it is destroyed last, after the sockets that use it.
  asio::io_context io_;
  GpsdServerInfo info_;  // the server's thread only, once it runs
  Listener listener_;
  IClock& clock_;
  tcp::acceptor gpsdAcceptor_{io_};
  std::optional<tcp::acceptor> nmeaAcceptor_;
  asio::steady_timer idleTimer_{io_};
  ListenAddress gpsdAddress_;
  std::optional<ListenAddress> nmeaAddress_;
  std::vector<ClientPtr> clients_;  // the server's thread only
  GpsdReportMaker reports_;         // the server's thread only
  mutable std::mutex countsMutex_;  // counts_ is written on the server's thread, read anywhere
  ShareCounts counts_;
  std::thread thread_;
};

ShareServer::ShareServer() = default;

ShareServer::~ShareServer() { Stop(); }

bool ShareServer::Start(const Options& options, std::string& error) {
  Stop();
  Listener listener;
  Options serving = options;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
    serving.info.paused = paused_;
  }
  auto impl = std::make_shared<Impl>(serving, std::move(listener));
  if (!impl->Listen(options, error)) return false;
  std::lock_guard lock(mutex_);
  impl_ = std::move(impl);
  return true;
}

void ShareServer::Stop() {
  std::shared_ptr<Impl> impl;
  {
    std::lock_guard lock(mutex_);
    impl.swap(impl_);
  }
  impl.reset();  // stops the thread; a ShowPass in flight may hold the last reference
}

bool ShareServer::running() const {
  std::lock_guard lock(mutex_);
  return impl_ != nullptr;
}

std::optional<ListenAddress> ShareServer::gpsdAddress() const {
  std::lock_guard lock(mutex_);
  if (!impl_) return std::nullopt;
  return impl_->gpsdAddress();
}

std::optional<ListenAddress> ShareServer::nmeaAddress() const {
  std::lock_guard lock(mutex_);
  if (!impl_) return std::nullopt;
  return impl_->nmeaAddress();
}

int ShareServer::clientCount() const { return counts().clients(); }

ShareCounts ShareServer::counts() const {
  std::lock_guard lock(mutex_);
  return impl_ ? impl_->counts() : ShareCounts{};
}

void ShareServer::SetPaused(const std::string& reason) {
  std::lock_guard lock(mutex_);
  paused_ = reason;
  if (impl_) impl_->SetPaused(reason);
}

std::string ShareServer::pausedReason() const {
  std::lock_guard lock(mutex_);
  return paused_;
}

void ShareServer::CheckIdleNow() {
  std::shared_ptr<Impl> impl;
  {
    std::lock_guard lock(mutex_);
    impl = impl_;
  }
  if (impl) impl->CheckIdleNow();
}

void ShareServer::SetListener(Listener listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void ShareServer::ShowPass(const PassValue& pass) {
  std::shared_ptr<Impl> impl;
  {
    std::lock_guard lock(mutex_);
    if (!paused_.empty()) return;
    impl = impl_;
  }
  if (impl) impl->Feed(pass);
}

}  // namespace vetra
