// The share server over real loopback sockets: clients that misbehave are dropped and never stop
// another client's stream; at most 16 clients; an address in use is refused with a clear reason.
#include "share/share_server.h"

#include <gtest/gtest.h>

#include <asio.hpp>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>

#include "share_test_support.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;
using asio::ip::tcp;

// A blocking-free test client: every read waits on its own io_context with a deadline.
class Client {
 public:
  explicit Client(const ListenAddress& at, int receiveBuffer = 0) {
    socket_.open(tcp::v4());
    if (receiveBuffer > 0)
      socket_.set_option(asio::socket_base::receive_buffer_size(receiveBuffer));
    socket_.connect(tcp::endpoint(asio::ip::make_address(at.address), at.port));
  }
  // Reads until text has arrived; false at the deadline or when the server closed.
  bool ReadUntil(std::string_view text, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (received_.find(text) == std::string::npos) {
      if (!ReadSome(deadline)) return false;
    }
    return true;
  }
  // True when the server closed the connection before the deadline.
  bool Closed(std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ReadSome(deadline)) {
    }
    return closed_;
  }
  // Sends until everything went or the server closed the connection.
  void SendAll(std::string_view bytes) {
    asio::error_code ec;
    asio::write(socket_, asio::buffer(bytes.data(), bytes.size()), ec);
  }
  const std::string& received() const { return received_; }

 private:
  bool ReadSome(std::chrono::steady_clock::time_point deadline) {
    if (closed_) return false;
    bool done = false;
    char buffer[65536];
    socket_.async_read_some(asio::buffer(buffer), [&](asio::error_code ec, size_t n) {
      done = true;
      if (ec) closed_ = true;
      received_.append(buffer, n);
    });
    io_.restart();
    io_.run_until(deadline);
    if (!done) {
      socket_.cancel();
      io_.restart();
      io_.run();
      return false;
    }
    return !closed_;
  }
  asio::io_context io_;
  tcp::socket socket_{io_};
  std::string received_;
  bool closed_ = false;
};

class ShareServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.SetListener([this](const ShareServer::Event& event) {
      std::lock_guard lock(mutex_);
      events_.push_back(event.kind);
      changed_.notify_all();
    });
    ShareServer::Options options;
    options.info = {"1.0", "/dev/ttyUSB0", 9600, 'N', {}};
    options.gpsd.port = 0;
    options.nmea->port = 0;
    std::string error;
    ASSERT_TRUE(server.Start(options, error)) << error;
  }
  bool WaitForEvents(ShareServer::EventKind kind, size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] {
      return static_cast<size_t>(std::count(events_.begin(), events_.end(), kind)) >= count;
    });
  }
  // A watcher of raw sentences on the gpsd address.
  std::unique_ptr<Client> NmeaWatcher() {
    auto client = std::make_unique<Client>(*server.gpsdAddress());
    client->SendAll("?WATCH={\"enable\":true,\"nmea\":true}\n");
    EXPECT_TRUE(client->ReadUntil("\"class\":\"WATCH\""));
    return client;
  }
  // One pass with a sentence marked n, padded to about `bytes`.
  void Feed(int n, size_t bytes = 80) {
    PassValue pass;
    const std::string padding(bytes > 40 ? bytes - 40 : 0, 'x');
    for (size_t sent = 0; sent < bytes; sent += 900) {
      pass.lines.push_back({Sentence("GPTXT,01,01,02,mark " + std::to_string(n) + " " +
                                     padding.substr(0, std::min<size_t>(padding.size(), 880))),
                            ParserKind::Nmea,
                            1,
                            {}});
    }
    server.ShowPass(pass);
  }
  static std::string Mark(int n) { return "mark " + std::to_string(n) + " "; }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ShareServer::EventKind> events_;
  // Last, so that it is destroyed first: its thread tells the events above until it has stopped.
  ShareServer server;
};

TEST_F(ShareServerTest, AHostileClientIsDroppedAndTheOthersStreamGoesOn) {
  std::mt19937 random(7);
  std::string garbage(10 * 1000 * 1000, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  struct Row {
    const char* what;
    std::string bytes;
  };
  const Row rows[] = {
      {"10 MB of garbage", garbage},
      {"a line over 4 KiB", "?" + std::string(5000, 'A')},
      {"a line that is no request", "GET / HTTP/1.1\r\n"},
  };
  auto watcher = NmeaWatcher();
  size_t dropped = 0;
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Client hostile(*server.gpsdAddress());
    hostile.SendAll(row.bytes);
    EXPECT_TRUE(WaitForEvents(ShareServer::EventKind::Dropped, ++dropped));
    EXPECT_TRUE(hostile.Closed());
    Feed(++n);
    EXPECT_TRUE(watcher->ReadUntil(Mark(n)));
  }
  EXPECT_EQ(server.clientCount(), 1);
}

TEST_F(ShareServerTest, AClientThatStopsReadingIsDroppedOnceAMebibyteWaits) {
  auto watcher = NmeaWatcher();
  Client stalled(*server.nmeaAddress(), 4096);  // never reads
  ASSERT_TRUE(WaitForEvents(ShareServer::EventKind::Connected, 2));
  int n = 0;
  while (server.clientCount() == 2 && n < 2000) {  // at most 128 MiB
    Feed(++n, 64 * 1024);
    ASSERT_TRUE(watcher->ReadUntil(Mark(n))) << "pass " << n;
  }
  EXPECT_TRUE(WaitForEvents(ShareServer::EventKind::Dropped, 1));
  Feed(++n);
  EXPECT_TRUE(watcher->ReadUntil(Mark(n)));
}

TEST_F(ShareServerTest, TheSeventeenthClientIsRefused) {
  std::vector<std::unique_ptr<Client>> clients;
  for (int i = 0; i < ShareServer::kMaxClients; ++i) {
    clients.push_back(
        std::make_unique<Client>(i % 2 ? *server.nmeaAddress() : *server.gpsdAddress()));
  }
  ASSERT_TRUE(WaitForEvents(ShareServer::EventKind::Connected, 16));
  Client extra(*server.gpsdAddress());
  EXPECT_TRUE(WaitForEvents(ShareServer::EventKind::Refused, 1));
  EXPECT_TRUE(extra.Closed());
  EXPECT_EQ(server.clientCount(), 16);
}

TEST_F(ShareServerTest, AnAddressInUseIsRefusedWithTheReason) {
  ShareServer second;
  ShareServer::Options options;
  options.gpsd = *server.gpsdAddress();
  options.nmea.reset();
  std::string error;
  EXPECT_FALSE(second.Start(options, error));
  EXPECT_EQ(error, "cannot listen on " + ToString(options.gpsd) + ": the address is in use");
  EXPECT_FALSE(second.running());
}

}  // namespace
}  // namespace vetra::testing
