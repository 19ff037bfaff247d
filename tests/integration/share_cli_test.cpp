// `vetra share` and `vetra monitor --gpsd` against the virtual receiver, with gpsd's own client,
// gpspipe, as the peer: it must take the server for a gpsd and get what the receiver sent.
#include <gtest/gtest.h>
#include <signal.h>

#include <asio.hpp>
#include <chrono>
#include <cmath>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "cli_process.h"
#include "share/gpsd_reports.h"
#include "sim/virtual_receiver.h"

#ifndef VETRA_GPSPIPE
#error "VETRA_GPSPIPE must name gpsd's gpspipe client"
#endif

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string Field(const std::string& sentence, int index) {
  std::istringstream in(sentence);
  std::string field;
  for (int i = 0; i <= index + 1 && std::getline(in, field, ',');) ++i;
  return field;
}

// "4916.9620","N" -> 49.2827 (degreeDigits 2)
double Degrees(const std::string& angle, const std::string& hemisphere, int degreeDigits) {
  const double value =
      std::stoi(angle.substr(0, degreeDigits)) + std::stod(angle.substr(degreeDigits)) / 60.0;
  return hemisphere == "S" || hemisphere == "W" ? -value : value;
}

class ShareWithVirtualReceiver : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SimOptions options;
    options.baud = 9600;
    options.firstFixSeconds = 0;
    receiver = std::make_unique<sim::VirtualReceiver>(options);
    ASSERT_TRUE(receiver->Start()) << receiver->error();
  }
  std::vector<std::string> ShareArgs(const std::string& listen) {
    return {"share",    "--port", receiver->devicePath(), "--baud",     "9600",
            "--listen", listen,   "--nmea-listen",        "127.0.0.1:0"};
  }
  std::unique_ptr<sim::VirtualReceiver> receiver;
};

TEST_F(ShareWithVirtualReceiver, GpspipeGetsThePositionsTheReceiverSentAndItsSentences) {
  CliProcess share(ShareArgs("127.0.0.1:0"));
  const std::regex bound(
      "gpsd protocol on 127\\.0\\.0\\.1:(\\d+)\\n.*NMEA on 127\\.0\\.0\\.1:(\\d+)\\n");
  std::smatch ports;
  ASSERT_TRUE(share.WaitForOutput(
      [&](const std::string&, const std::string& err) {
        return std::regex_search(err, ports, bound);
      },
      20s))
      << share.err();
  const std::string gpsd = "127.0.0.1:" + ports[1].str();
  const unsigned short nmeaPort = static_cast<unsigned short>(std::stoi(ports[2].str()));

  CliProcess raw(VETRA_GPSPIPE, {"-r", "-n", "40", gpsd}, "");
  CliProcess json(VETRA_GPSPIPE, {"-w", "-n", "12", gpsd}, "");
  EXPECT_EQ(json.WaitForExit(30s), 0) << json.err();
  EXPECT_EQ(raw.WaitForExit(30s), 0) << raw.err();

  // The receiver's sentences by their UTC time ("120001.000"): GGA and RMC carry the position.
  std::map<std::string, std::string> positionSentences;
  for (const std::string& line : Lines(raw.out())) {
    if (line.front() == '{') continue;  // gpspipe -r shows the VERSION, DEVICES and WATCH too
    ASSERT_EQ(line.rfind("$GP", 0), 0u) << line;
    if (line.rfind("$GPGGA", 0) == 0 || line.rfind("$GPRMC", 0) == 0) {
      positionSentences[Field(line, 0)] = line;
    }
  }
  const std::vector<std::string> objects = Lines(json.out());
  ASSERT_EQ(objects.size(), 12u) << json.out();
  EXPECT_EQ(GpsdJson::parse(objects[0])["class"], "VERSION");
  int matched = 0;
  for (const std::string& object : objects) {
    const GpsdJson tpv = GpsdJson::parse(object);
    if (tpv["class"] != "TPV" || !tpv.contains("lat") || !tpv.contains("time")) continue;
    EXPECT_EQ(tpv["device"], receiver->devicePath());
    std::string time = tpv["time"].get<std::string>().substr(11, 12);  // "12:00:01.000"
    std::erase(time, ':');
    const auto sent = positionSentences.find(time);
    if (sent == positionSentences.end()) continue;  // sent before gpspipe -r listened
    const bool gga = sent->second.rfind("$GPGGA", 0) == 0;
    const int first = gga ? 1 : 2;
    EXPECT_NEAR(tpv["lat"].get<double>(),
                Degrees(Field(sent->second, first), Field(sent->second, first + 1), 2), 1e-9);
    EXPECT_NEAR(tpv["lon"].get<double>(),
                Degrees(Field(sent->second, first + 2), Field(sent->second, first + 3), 3), 1e-9);
    ++matched;
  }
  EXPECT_GT(matched, 0) << json.out() << raw.out();

  // The NMEA address: sentences as they arrive, without a request.
  asio::io_context io;
  asio::ip::tcp::socket socket(io);
  socket.connect({asio::ip::make_address("127.0.0.1"), nmeaPort});
  asio::streambuf received;
  asio::read_until(socket, received, "\r\n");
  EXPECT_EQ(
      std::string(asio::buffers_begin(received.data()), asio::buffers_begin(received.data()) + 3),
      "$GP");

  share.Signal(SIGINT);
  EXPECT_EQ(share.WaitForExit(20s), 0) << share.err();
}

TEST_F(ShareWithVirtualReceiver, AnAddressInUseEndsItWithStatusOne) {
  asio::io_context io;
  asio::ip::tcp::acceptor holder(io, {asio::ip::make_address("127.0.0.1"), 0});
  const std::string taken = "127.0.0.1:" + std::to_string(holder.local_endpoint().port());
  CliProcess share(ShareArgs(taken));
  EXPECT_EQ(share.WaitForExit(20s), 1);
  EXPECT_NE(share.err().find("cannot listen on " + taken + ": the address is in use"),
            std::string::npos)
      << share.err();
}

TEST_F(ShareWithVirtualReceiver, MonitorGpsdPrintsTpvAndSkyObjects) {
  CliProcess monitor({"monitor", "--gpsd", "--port", receiver->devicePath(), "--baud", "9600"});
  ASSERT_TRUE(monitor.WaitForOutput(
      [](const std::string& out, const std::string&) {
        return out.find("\"class\":\"SKY\"") != out.npos && out.find("\"lat\"") != out.npos;
      },
      30s))
      << monitor.err();
  monitor.Signal(SIGINT);
  EXPECT_EQ(monitor.WaitForExit(20s), 0) << monitor.err();
  for (const std::string& line : Lines(monitor.out())) {
    const GpsdJson object = GpsdJson::parse(line);
    EXPECT_TRUE(object["class"] == "TPV" || object["class"] == "SKY") << line;
    EXPECT_EQ(object["device"], receiver->devicePath());
  }
}

}  // namespace
}  // namespace vetra::testing
