// The share server over real loopback sockets: clients that misbehave are dropped and never stop
// another client's stream; requests are answered without a line end; 16 clients per address, idle
// ones closed by the fake clock's 30 s and making way for newcomers; an address in use is refused
// with a clear reason.
#include "share/share_server.h"

#include <gtest/gtest.h>

#include <asio.hpp>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>

#include "share_test_support.h"
#include "support/fake_clock.h"

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
    options.info = {"1.0", "/dev/ttyUSB0", 9600, 'N', {}, {}};
    options.gpsd.port = 0;
    options.nmea->port = 0;
    options.clock = &clock;
    std::string error;
    ASSERT_TRUE(server.Start(options, error)) << error;
  }
  bool WaitForEvents(ShareServer::EventKind kind, size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] {
      return static_cast<size_t>(std::count(events_.begin(), events_.end(), kind)) >= count;
    });
  }
  size_t Events(ShareServer::EventKind kind) {
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(std::count(events_.begin(), events_.end(), kind));
  }
  // A watcher on the gpsd address: of raw sentences, or of the reports.
  std::unique_ptr<Client> Watcher(const char* stream = "nmea") {
    auto client = std::make_unique<Client>(*server.gpsdAddress());
    client->SendAll("?WATCH={\"enable\":true,\"" + std::string(stream) + "\":true}\n");
    EXPECT_TRUE(client->ReadUntil("\"class\":\"WATCH\""));
    return client;
  }
  std::unique_ptr<Client> NmeaWatcher() { return Watcher("nmea"); }
  // One pass with a sentence marked n, padded to about `bytes`.
  void Feed(int n, size_t bytes = 80) {
    PassValue pass;
    const std::string padding(bytes > 40 ? bytes - 40 : 0, 'x');
    for (size_t sent = 0; sent < bytes; sent += 900) {
      pass.sentences.push_back("$GPTXT,01,01,02,mark " + std::to_string(n) + " " +
                               padding.substr(0, std::min<size_t>(padding.size(), 880)) + "*00");
    }
    pass.sentences.push_back(End(n));
    server.ShowPass(pass);
  }
  static std::string End(int n) { return "$GPTXT,01,01,02,end " + std::to_string(n) + "*00"; }
  static std::string Mark(int n) { return "mark " + std::to_string(n) + " "; }

  test::FakeClock clock;
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
      {"a request over 4 KiB", "?WATCH={\"device\":\"" + std::string(5000, 'A')},
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

TEST_F(ShareServerTest, ARequestWithoutLineEndIsAnsweredAndEachEpochGivesATpvAndASky) {
  Client goGpsd(*server.gpsdAddress());
  goGpsd.SendAll(R"(?WATCH={"enable":true,"json":true})");  // neither ';' nor a line end
  ASSERT_TRUE(goGpsd.ReadUntil("\"class\":\"WATCH\""));
  PassValue pass;
  pass.epochs = {WholeEpoch()};
  server.ShowPass(pass);
  ASSERT_TRUE(goGpsd.ReadUntil("\"class\":\"SKY\""));
  const std::string& text = goGpsd.received();
  EXPECT_NE(text.find("{\"class\":\"TPV\",\"device\":\"/dev/ttyUSB0\""), std::string::npos);
  EXPECT_LT(text.find("\"class\":\"TPV\""), text.find("\"class\":\"SKY\""));
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(ShareServerTest, EachAddressServesSixteenClientsOfItsOwn) {
  std::vector<std::unique_ptr<Client>> clients;
  for (int i = 0; i < ShareServer::kMaxClientsPerService; ++i) {
    clients.push_back(Watcher());  // watching: never idle
    clients.push_back(std::make_unique<Client>(*server.nmeaAddress()));
  }
  ASSERT_TRUE(WaitForEvents(ShareServer::EventKind::Connected, 32));
  Client extraGpsd(*server.gpsdAddress());
  EXPECT_TRUE(WaitForEvents(ShareServer::EventKind::Refused, 1));
  EXPECT_TRUE(extraGpsd.Closed());
  Client extraNmea(*server.nmeaAddress());
  EXPECT_TRUE(WaitForEvents(ShareServer::EventKind::Refused, 2));
  EXPECT_TRUE(extraNmea.Closed());
  const ShareCounts counts = server.counts();
  EXPECT_EQ(counts.gpsdClients, 16);
  EXPECT_EQ(counts.nmeaClients, 16);
  EXPECT_EQ(counts.connects, 32u);
  EXPECT_EQ(counts.refused, 2u);
  EXPECT_EQ(counts.disconnects, 0u);
}

TEST_F(ShareServerTest, TheLongestIdleClientMakesWayForANewcomer) {
  std::vector<std::unique_ptr<Client>> clients;
  for (int i = 0; i < ShareServer::kMaxClientsPerService - 2; ++i) clients.push_back(Watcher());
  auto older = std::make_unique<Client>(*server.gpsdAddress());  // never asks to watch
  ASSERT_TRUE(WaitForEvents(ShareServer::EventKind::Connected, 15));
  clock.advanceSeconds(5);
  auto newer = std::make_unique<Client>(*server.gpsdAddress());
  ASSERT_TRUE(WaitForEvents(ShareServer::EventKind::Connected, 16));
  Client newcomer(*server.gpsdAddress());
  EXPECT_TRUE(WaitForEvents(ShareServer::EventKind::Connected, 17));
  EXPECT_TRUE(older->Closed());
  EXPECT_EQ(Events(ShareServer::EventKind::ClosedIdle), 1u);
  EXPECT_EQ(Events(ShareServer::EventKind::Refused), 0u);
  EXPECT_EQ(server.counts().gpsdClients, 16);
  EXPECT_EQ(server.counts().closedIdle, 1u);
}

TEST_F(ShareServerTest, ClientsIdleForThirtySecondsAreClosedAndReadersNeverAre) {
  auto watcher = NmeaWatcher();
  Client reader(*server.nmeaAddress());
  Client silent(*server.gpsdAddress());         // never asks to watch
  Client stalled(*server.nmeaAddress(), 4096);  // never reads
  ASSERT_TRUE(WaitForEvents(ShareServer::EventKind::Connected, 4));
  clock.advanceSeconds(29);
  server.CheckIdleNow();
  EXPECT_EQ(Events(ShareServer::EventKind::ClosedIdle), 0u);
  clock.advanceSeconds(1);
  server.CheckIdleNow();
  EXPECT_TRUE(WaitForEvents(ShareServer::EventKind::ClosedIdle, 1));
  EXPECT_TRUE(silent.Closed());
  // The stalled client's buffers fill; from then on it reads nothing of what it is sent.
  int n = 0;
  while (Events(ShareServer::EventKind::ClosedIdle) < 2 && n < 60) {
    Feed(++n, 16 * 1024);
    ASSERT_TRUE(watcher->ReadUntil(End(n)));  // all of it: no write to the readers waits
    ASSERT_TRUE(reader.ReadUntil(End(n)));
    server.CheckIdleNow();  // the server has seen those writes complete
    clock.advanceSeconds(31);
    server.CheckIdleNow();
  }
  EXPECT_TRUE(stalled.Closed());
  EXPECT_EQ(Events(ShareServer::EventKind::ClosedIdle), 2u);
  EXPECT_EQ(Events(ShareServer::EventKind::Dropped), 0u);  // idle, long before 1 MiB waited
  EXPECT_EQ(server.clientCount(), 2);                      // the readers stay
}

TEST_F(ShareServerTest, WhilePausedNothingIsSentAndNoStaleEpochIsPolled) {
  auto watcher = Watcher("json");
  PassValue pass;
  pass.epochs = {WholeEpoch()};
  server.ShowPass(pass);
  ASSERT_TRUE(watcher->ReadUntil("\"class\":\"SKY\""));
  auto nmea = NmeaWatcher();
  server.SetPaused("no port is read");
  EXPECT_EQ(server.pausedReason(), "no port is read");
  Feed(1);
  server.ShowPass(pass);
  watcher->SendAll("?POLL;");
  ASSERT_TRUE(watcher->ReadUntil("\"class\":\"POLL\""));
  EXPECT_NE(watcher->received().find("\"active\":0,\"tpv\":[],\"sky\":[]"), std::string::npos);
  server.SetPaused("");
  Feed(2);
  ASSERT_TRUE(nmea->ReadUntil(Mark(2)));
  EXPECT_EQ(nmea->received().find(Mark(1)), std::string::npos);
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
