// The reference receiver read live: a virtual receiver on a pseudo-terminal (listened to, never
// written to), an NMEA stream and a gpsd server on TCP that close, a host:port that does not
// answer, and the real servers a user points it at: another `vetra share` and gpsd itself.
#include "compare/reference_receiver.h"

#include <gtest/gtest.h>

#include <asio.hpp>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <regex>
#include <thread>

#include "cli_process.h"
#include "epoch/epoch_stream.h"
#include "sim/virtual_receiver.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

// The updates as the reader hands them out, waited for with a deadline.
class Updates {
 public:
  ReferenceReceiver::Sink sink() {
    return [this](ReferenceUpdate update) {
      std::lock_guard lock(mutex_);
      for (Epoch& e : update.epochs) epochs_.push_back(std::move(e));
      last_ = std::move(update);
      changed_.notify_all();
    };
  }
  bool WaitFor(const std::function<bool(const std::vector<Epoch>&, const ReferenceUpdate&)>& done) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 20s, [&] { return done(epochs_, last_); });
  }
  std::vector<Epoch> epochs() {
    std::lock_guard lock(mutex_);
    return epochs_;
  }
  ReferenceUpdate last() {
    std::lock_guard lock(mutex_);
    return last_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Epoch> epochs_;
  ReferenceUpdate last_;
};

size_t Fixes(const std::vector<Epoch>& epochs) {
  size_t n = 0;
  for (const Epoch& e : epochs) n += e.hasFix() ? 1 : 0;
  return n;
}

// A TCP source on loopback that sends its bytes to the first client and closes. A gpsd server
// greets first and sends the sentences only after the client's request, which it keeps.
class OneShotServer {
 public:
  OneShotServer(std::string greeting, std::string sentences)
      : acceptor_(io_, {asio::ip::make_address("127.0.0.1"), 0}) {
    thread_ = std::thread([this, greeting, sentences] {
      asio::ip::tcp::socket socket = acceptor_.accept();
      if (!greeting.empty()) {
        asio::write(socket, asio::buffer(greeting));
        asio::streambuf line;
        asio::error_code ignored;
        asio::read_until(socket, line, '\n', ignored);
        request_.assign(std::istreambuf_iterator<char>(&line), {});
      }
      asio::write(socket, asio::buffer(sentences));
      socket.shutdown(asio::ip::tcp::socket::shutdown_both);
    });
  }
  ~OneShotServer() { thread_.join(); }
  uint16_t port() const { return acceptor_.local_endpoint().port(); }
  const std::string& request() const { return request_; }  // after the reader ended

 private:
  asio::io_context io_;
  asio::ip::tcp::acceptor acceptor_;
  std::string request_;
  std::thread thread_;
};

std::string RealCapture() {
  std::ifstream in(VETRA_TESTDATA "/nmea-real/bu353-glonass.log", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ReferenceReceiver, ReadsASerialReceiverWithoutWritingToIt) {
  sim::SimOptions options;
  options.baud = 9600;
  options.firstFixSeconds = 0;
  sim::VirtualReceiver sim(options);
  ASSERT_TRUE(sim.Start()) << sim.error();
  Updates updates;
  ReferenceReceiver reader({sim.devicePath(), "", 0, 9600}, updates.sink());
  reader.Start();
  ASSERT_TRUE(updates.WaitFor([](const auto& epochs, const auto&) { return Fixes(epochs) >= 2; }));
  reader.Stop();
  const ReferenceUpdate last = updates.last();
  EXPECT_FALSE(last.ended) << last.failure;
  EXPECT_GT(last.health.bytesRead, 0u);
  EXPECT_GT(last.health.sentencesAccepted, 0u);
  EXPECT_EQ(sim.bytesReceived(), 0u);
}

TEST(ReferenceReceiver, TcpSourcesThatCloseGiveTheirEpochsAndSaySo) {
  const std::string capture = RealCapture();
  const size_t expected = [&] {
    std::vector<Epoch> epochs;
    EpochStream stream;
    stream.Feed({reinterpret_cast<const uint8_t*>(capture.data()), capture.size()}, epochs);
    stream.Finish(epochs);
    return epochs.size();
  }();
  ASSERT_GT(expected, 3u);
  struct Row {
    const char* what;
    std::string greeting;
  };
  for (const Row& row :
       {Row{"NMEA stream", ""}, Row{"gpsd", "{\"class\":\"VERSION\",\"release\":\"3.25\"}\r\n"}}) {
    OneShotServer server(row.greeting, capture);
    Updates updates;
    ReferenceReceiver reader({"", "127.0.0.1", server.port(), 0}, updates.sink());
    reader.Start();
    ASSERT_TRUE(updates.WaitFor([](const auto&, const auto& last) { return last.ended; }))
        << row.what;
    reader.Stop();
    EXPECT_EQ(updates.last().failure,
              "127.0.0.1:" + std::to_string(server.port()) + " closed the connection")
        << row.what;
    EXPECT_EQ(updates.epochs().size(), expected) << row.what;
    if (!row.greeting.empty()) {
      EXPECT_EQ(server.request(), "?WATCH={\"enable\":true,\"nmea\":true}\n");
    }
  }
}

// A virtual receiver shared by `vetra share`; the second receiver is read from share's gpsd
// port, and from a real gpsd that reads share's NMEA feed as its device (tcp://).
TEST(ReferenceReceiver, ReadsAnotherVetraShareAndARealGpsd) {
  sim::SimOptions options;
  options.baud = 9600;
  options.firstFixSeconds = 0;
  sim::VirtualReceiver receiver(options);
  ASSERT_TRUE(receiver.Start()) << receiver.error();
  CliProcess share({"share", "--port", receiver.devicePath(), "--baud", "9600", "--listen",
                    "127.0.0.1:0", "--nmea-listen", "127.0.0.1:0"});
  const std::regex bound(
      "gpsd protocol on 127\\.0\\.0\\.1:(\\d+)\\n.*NMEA on 127\\.0\\.0\\.1:(\\d+)\\n");
  std::smatch ports;
  ASSERT_TRUE(share.WaitForOutput(
      [&](const std::string&, const std::string& err) {
        return std::regex_search(err, ports, bound);
      },
      20s))
      << share.err();
  const uint16_t sharePort = static_cast<uint16_t>(std::stoi(ports[1].str()));
  const std::string nmeaFeed = "tcp://127.0.0.1:" + ports[2].str();
  // gpsd takes a port number; a free one is asked of the system and handed on.
  const uint16_t gpsdPort = [] {
    asio::io_context io;
    asio::ip::tcp::acceptor probe(io, {asio::ip::make_address("127.0.0.1"), 0});
    return probe.local_endpoint().port();
  }();
  CliProcess gpsd(VETRA_GPSD,
                  {"-N", "-n", "-b", "-D", "3", "-S", std::to_string(gpsdPort), nmeaFeed}, "");
  ASSERT_TRUE(gpsd.WaitForOutput(
      [&](const std::string&, const std::string& err) {
        return err.find("listening on port " + std::to_string(gpsdPort)) != std::string::npos;
      },
      20s))
      << gpsd.err();

  struct Row {
    const char* what;
    uint16_t port;
  };
  for (const Row& row : {Row{"vetra share", sharePort}, Row{"gpsd", gpsdPort}}) {
    Updates updates;
    ReferenceReceiver reader({"", "127.0.0.1", row.port, 0}, updates.sink());
    reader.Start();
    EXPECT_TRUE(updates.WaitFor(
        [](const auto& epochs, const auto& last) { return last.ended || Fixes(epochs) >= 2; }));
    reader.Stop();
    ASSERT_GE(Fixes(updates.epochs()), 2u) << row.what << ": " << updates.last().failure;
    for (const Epoch& epoch : updates.epochs()) {
      if (epoch.hasFix()) {
        EXPECT_NEAR(epoch.latitudeDeg, 49.28, 0.05) << row.what;  // the virtual receiver's circle
      }
    }
  }
}

TEST(ReferenceReceiver, AHostPortThatDoesNotAnswerSaysSo) {
  uint16_t port = 0;
  {
    asio::io_context io;
    asio::ip::tcp::acceptor closed(io, {asio::ip::make_address("127.0.0.1"), 0});
    port = closed.local_endpoint().port();
  }
  Updates updates;
  ReferenceReceiver reader({"", "127.0.0.1", port, 0}, updates.sink());
  reader.Start();
  ASSERT_TRUE(updates.WaitFor([](const auto&, const auto& last) { return last.ended; }));
  EXPECT_EQ(
      updates.last().failure.rfind("127.0.0.1:" + std::to_string(port) + " does not answer", 0), 0u)
      << updates.last().failure;
}

TEST(ReferenceReceiver, SourceTextsAreSerialPortsOrHostPort) {
  std::string error;
  auto tcp = ParseReferenceSource(" localhost:2947 ", 4800, error);
  ASSERT_TRUE(tcp && tcp->tcp());
  EXPECT_EQ(tcp->name(), "localhost:2947");
  auto v6 = ParseReferenceSource("[::1]:10110", 4800, error);
  ASSERT_TRUE(v6 && v6->tcp());
  EXPECT_EQ(v6->host, "::1");
  auto serial = ParseReferenceSource("/dev/ttyUSB1", 38400, error);
  ASSERT_TRUE(serial && !serial->tcp());
  EXPECT_EQ(serial->baud, 38400);
  for (const char* bad : {"", "host:0", "host:70000", ":2947", "host:x"}) {
    EXPECT_FALSE(ParseReferenceSource(bad, 4800, error)) << bad;
  }
}

}  // namespace
}  // namespace vetra::testing
