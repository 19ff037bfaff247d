#include "share/share_server.h"

#include <array>
#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>
#include <vector>

#include "share/gpsd_request.h"

namespace vetra {
namespace {

using asio::ip::tcp;

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
  std::vector<EchoedLine> lines;
  std::optional<NavigationUpdate> navigation;
};

}  // namespace

class ShareServer::Impl {
 public:
  Impl(const Options& options, Listener listener)
      : info_(options.info), listener_(std::move(listener)), reports_(options.info.device) {
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
    thread_ = std::thread([this] { io_.run(); });
    return true;
  }

  void Feed(const PassValue& pass) {
    if (pass.lines.empty() && !pass.navigation) return;
    auto copy = std::make_shared<PassCopy>(PassCopy{pass.lines, pass.navigation});
    asio::post(io_, [this, copy] { Broadcast(reports_.Take(copy->lines, copy->navigation)); });
  }

  const ListenAddress& gpsdAddress() const { return gpsdAddress_; }
  const std::optional<ListenAddress>& nmeaAddress() const { return nmeaAddress_; }
  int clientCount() const { return clientCount_; }

 private:
  struct Client {
    Client(tcp::socket s, bool speaksGpsd) : socket(std::move(s)), gpsd(speaksGpsd) {}
    tcp::socket socket;
    bool gpsd;  // the gpsd address; false: the NMEA address
    std::string peer;
    GpsdResponder responder;
    std::string line;       // the request line so far (gpsd)
    size_t lineLength = 0;  // bytes since the last line end
    std::array<char, 4096> input{};
    std::deque<std::shared_ptr<const std::string>> queue;
    size_t queuedBytes = 0;
    bool writing = false;
    bool closed = false;
  };
  using ClientPtr = std::shared_ptr<Client>;

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

  void Admit(tcp::socket socket, bool gpsd) {
    const std::string peer = PeerOf(socket);
    if (static_cast<int>(clients_.size()) >= kMaxClients) {
      asio::error_code ignored;
      socket.close(ignored);
      Tell({EventKind::Refused, peer, "already serving 16 clients", clientCount_});
      return;
    }
    asio::error_code ignored;
    socket.set_option(tcp::no_delay(true), ignored);
    auto client = std::make_shared<Client>(std::move(socket), gpsd);
    client->peer = peer;
    clients_.push_back(client);
    clientCount_ = static_cast<int>(clients_.size());
    Tell({EventKind::Connected, peer, {}, clientCount_});
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
                                     Take(client, count);
                                     if (!client->closed) Read(client);
                                   });
  }

  // What a client sent: request lines on the gpsd address; on the NMEA address it is read only
  // so that the client's sending never blocks it, and otherwise ignored.
  void Take(const ClientPtr& client, size_t count) {
    for (size_t i = 0; i < count && !client->closed; ++i) {
      const char c = client->input[i];
      if (c == '\n') {
        client->lineLength = 0;
        if (client->gpsd) Answer(client);
        continue;
      }
      if (++client->lineLength > kMaxLineBytes) {
        Close(client, EventKind::Dropped, "sent a line over 4 KiB");
      } else if (client->gpsd && !IsRequestByte(static_cast<unsigned char>(c))) {
        Close(client, EventKind::Dropped, "sent garbage");
      } else if (client->gpsd) {
        client->line.push_back(c);
      }
    }
  }

  void Answer(const ClientPtr& client) {
    std::string replies;
    const bool understood =
        client->responder.Answer(client->line, info_, reports_, IsoTimeNow(), replies);
    client->line.clear();
    if (!understood) {
      Close(client, EventKind::Dropped, "sent garbage");
    } else if (!replies.empty()) {
      Send(client, std::make_shared<const std::string>(std::move(replies)));
    }
  }

  void Broadcast(const SharedPass& shared) {
    std::shared_ptr<const std::string> sentences;
    if (!shared.sentences.empty()) {
      std::string text;
      for (const std::string& sentence : shared.sentences) text += sentence + "\r\n";
      sentences = std::make_shared<const std::string>(std::move(text));
    }
    std::shared_ptr<const std::string> reports;
    if (shared.tpv || shared.sky) {
      std::string text;
      if (shared.tpv) text += *shared.tpv + "\r\n";
      if (shared.sky) text += *shared.sky + "\r\n";
      reports = std::make_shared<const std::string>(std::move(text));
    }
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
    client->queuedBytes += text->size();
    client->queue.push_back(std::move(text));
    WriteNext(client);
  }

  void WriteNext(const ClientPtr& client) {
    if (client->writing || client->closed || client->queue.empty()) return;
    constexpr size_t kMaxBuffersPerWrite = 64;
    const size_t count = std::min(client->queue.size(), kMaxBuffersPerWrite);
    std::vector<asio::const_buffer> buffers;
    buffers.reserve(count);
    for (size_t i = 0; i < count; ++i) buffers.push_back(asio::buffer(*client->queue[i]));
    client->writing = true;
    asio::async_write(client->socket, buffers, [this, client, count](asio::error_code ec, size_t) {
      client->writing = false;
      if (client->closed) return;
      if (ec) {
        Close(client, EventKind::Disconnected, {});
        return;
      }
      for (size_t i = 0; i < count; ++i) {
        client->queuedBytes -= client->queue.front()->size();
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
    clientCount_ = static_cast<int>(clients_.size());
    Tell({kind, client->peer, std::move(reason), clientCount_});
  }

  void Tell(const Event& event) {
    if (listener_) listener_(event);
  }

  // The io_context first: it is destroyed last, after the sockets that use it.
  asio::io_context io_;
  GpsdServerInfo info_;
  Listener listener_;
  tcp::acceptor gpsdAcceptor_{io_};
  std::optional<tcp::acceptor> nmeaAcceptor_;
  ListenAddress gpsdAddress_;
  std::optional<ListenAddress> nmeaAddress_;
  std::vector<ClientPtr> clients_;  // the server's thread only
  GpsdReportMaker reports_;         // the server's thread only
  std::atomic<int> clientCount_{0};
  std::thread thread_;
};

ShareServer::ShareServer() = default;

ShareServer::~ShareServer() { Stop(); }

bool ShareServer::Start(const Options& options, std::string& error) {
  Stop();
  Listener listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  auto impl = std::make_shared<Impl>(options, std::move(listener));
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

int ShareServer::clientCount() const {
  std::lock_guard lock(mutex_);
  return impl_ ? impl_->clientCount() : 0;
}

void ShareServer::SetListener(Listener listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void ShareServer::ShowPass(const PassValue& pass) {
  std::shared_ptr<Impl> impl;
  {
    std::lock_guard lock(mutex_);
    impl = impl_;
  }
  if (impl) impl->Feed(pass);
}

}  // namespace vetra
