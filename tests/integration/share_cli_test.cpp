// `vetra share` and `vetra monitor --gpsd` against the virtual receiver, with real gpsd clients as
// the peers: gpspipe, gpxlogger, the python3-gps stream loop, and a client whose request has no
// line end (node-gpsd's and go-gpsd's bytes). Each must take the server for a gpsd and get what
// the receiver sent: one TPV per epoch, with its heights.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>

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
#ifndef VETRA_GPXLOGGER
#error "VETRA_GPXLOGGER must name gpsd's gpxlogger client"
#endif
#ifndef VETRA_PYTHON3_GPS
#error "VETRA_PYTHON3_GPS must name a python3 with the gps module (python3-gps)"
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
  // Starts `vetra share` on free ports; gpsdPort and nmeaPort tell them.
  std::unique_ptr<CliProcess> StartShare() {
    auto share = std::make_unique<CliProcess>(ShareArgs("127.0.0.1:0"));
    const std::regex bound(
        "gpsd protocol on 127\\.0\\.0\\.1:(\\d+)\\n.*NMEA on 127\\.0\\.0\\.1:(\\d+)\\n");
    std::smatch ports;
    EXPECT_TRUE(share->WaitForOutput(
        [&](const std::string&, const std::string& err) {
          return std::regex_search(err, ports, bound);
        },
        20s))
        << share->err();
    if (ports.size() == 3) {
      gpsdPort = static_cast<unsigned short>(std::stoi(ports[1].str()));
      nmeaPort = static_cast<unsigned short>(std::stoi(ports[2].str()));
    }
    return share;
  }
  std::string GpsdAddress() const { return "127.0.0.1:" + std::to_string(gpsdPort); }
  std::unique_ptr<sim::VirtualReceiver> receiver;
  unsigned short gpsdPort = 0;
  unsigned short nmeaPort = 0;
};

TEST_F(ShareWithVirtualReceiver, GpspipeGetsThePositionsTheReceiverSentAndItsSentences) {
  const auto sharing = StartShare();
  CliProcess& share = *sharing;
  ASSERT_NE(gpsdPort, 0);
  const std::string gpsd = GpsdAddress();

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
  // One TPV per epoch: no two with the same time.
  std::map<std::string, int> tpvTimes;
  for (const std::string& object : objects) {
    const GpsdJson tpv = GpsdJson::parse(object);
    if (tpv["class"] == "TPV" && tpv.contains("time")) ++tpvTimes[tpv["time"].get<std::string>()];
  }
  for (const auto& [time, count] : tpvTimes) EXPECT_EQ(count, 1) << time;

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

TEST_F(ShareWithVirtualReceiver, GpxloggerWritesEveryTrackpointWithItsHeight) {
  const auto share = StartShare();
  ASSERT_NE(gpsdPort, 0);
  CliProcess logger(VETRA_GPXLOGGER, {"-e", "sockets", GpsdAddress()}, "");
  const auto points = [](const std::string& text) {
    size_t count = 0;
    for (size_t at = 0; (at = text.find("</trkpt>", at)) != std::string::npos; ++at) ++count;
    return count;
  };
  EXPECT_TRUE(logger.WaitForOutput(
      [&](const std::string& out, const std::string&) { return points(out) >= 5; }, 30s))
      << logger.err();
  logger.Signal(SIGINT);
  logger.WaitForExit(10s);
  const std::string& text = logger.out();
  const std::regex point("<trkpt[^>]*>([\\s\\S]*?)</trkpt>");
  int withHeight = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), point), end; it != end; ++it) {
    EXPECT_NE((*it)[1].str().find("<ele>"), std::string::npos) << (*it)[0].str();
    ++withHeight;
  }
  EXPECT_GE(withHeight, 5) << text;
}

TEST_F(ShareWithVirtualReceiver, PythonGpsStreamSeesTheHeightOfEveryThreeDFix) {
  const auto share = StartShare();
  ASSERT_NE(gpsdPort, 0);
  // The stream loop of the python3-gps documentation; it prints what it saw of 3D fixes.
  const std::string script = R"(
import math, sys, gps
session = gps.gps(host="127.0.0.1", port=sys.argv[1], mode=gps.WATCH_ENABLE | gps.WATCH_JSON)
fixes = nan = 0
for report in session:
    if report["class"] == "TPV" and report.get("mode") == 3:
        fixes += 1
        if not math.isfinite(session.fix.altitude) or not math.isfinite(session.fix.altMSL):
            nan += 1
        if fixes == 8:
            break
print("fixes", fixes, "nan", nan)
)";
  CliProcess python(VETRA_PYTHON3_GPS, {"-c", script, std::to_string(gpsdPort)}, "");
  EXPECT_EQ(python.WaitForExit(40s), 0) << python.err();
  EXPECT_EQ(python.out(), "fixes 8 nan 0\n") << python.err();
}

TEST_F(ShareWithVirtualReceiver, ARequestWithoutLineEndGetsTheReports) {
  const auto share = StartShare();
  ASSERT_NE(gpsdPort, 0);
  // go-gpsd's bytes: neither ';' nor a line end (node-gpsd's end with ';').
  asio::io_context io;
  asio::ip::tcp::socket socket(io);
  socket.connect({asio::ip::make_address("127.0.0.1"), gpsdPort});
  asio::write(socket, asio::buffer(std::string(R"(?WATCH={"enable":true,"json":true})")));
  timeval patience{30, 0};  // a read that gets nothing for 30 s fails instead of hanging
  setsockopt(socket.native_handle(), SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  asio::error_code ec;
  std::string text;
  while (!ec && text.find("\"altMSL\"") == std::string::npos) {
    char buffer[4096];
    text.append(buffer, socket.read_some(asio::buffer(buffer), ec));
  }
  EXPECT_FALSE(ec) << ec.message();
  EXPECT_NE(text.find("\"class\":\"WATCH\""), std::string::npos);
  EXPECT_NE(text.find("\"alt\":"), std::string::npos) << text;
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
  std::string previous;  // the class of the line before: TPV and SKY alternate, one each per epoch
  std::map<std::string, int> tpvTimes;
  for (const std::string& line : Lines(monitor.out())) {
    const GpsdJson object = GpsdJson::parse(line);
    EXPECT_TRUE(object["class"] == "TPV" || object["class"] == "SKY") << line;
    EXPECT_NE(object["class"], previous) << line;
    previous = object["class"].get<std::string>();
    EXPECT_EQ(object["device"], receiver->devicePath());
    if (object["class"] == "TPV" && object.contains("time"))
      ++tpvTimes[object["time"].get<std::string>()];
  }
  for (const auto& [time, count] : tpvTimes) EXPECT_EQ(count, 1) << time;
}

}  // namespace
}  // namespace vetra::testing
