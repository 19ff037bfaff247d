// The module's own output over made-up time: epochs, fix, motion, host mode, restarts.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "sim/receiver_module.h"
#include "sim_test_support.h"

namespace vetra::sim {
namespace {

using test::Fields;
using test::ModuleDriver;
using test::Sentences;

constexpr int64_t kStartUtcMs = 1710419719400;  // 0.6 s before a whole second

std::vector<std::string> Addresses(const std::vector<std::string>& lines) {
  std::vector<std::string> a;
  for (const std::string& l : lines) a.push_back(Fields(l)[0]);
  return a;
}

std::vector<std::string> OfKind(const std::vector<std::string>& lines, const std::string& kind) {
  std::vector<std::string> out;
  for (const std::string& l : lines) {
    if (Fields(l)[0] == kind) out.push_back(l);
  }
  return out;
}

TEST(ReceiverOutput, OneEpochPerSecondInTheModulesOrder) {
  SimOptions options;
  ReceiverModule module(options, kStartUtcMs);
  ModuleDriver driver(module);
  const auto lines = Sentences(driver.RunUntil(3.0));
  const auto a = Addresses(lines);
  ASSERT_GE(a.size(), 1u + 3 * 7);
  EXPECT_EQ(a[0], "MXTR");  // the revision sentence of power-on
  EXPECT_EQ(Fields(lines[0])[1], "REV");
  const std::vector<std::string> epoch = {"GPGGA", "GPGSA", "GPGSV", "GPGSV",
                                          "GPGSV", "GPRMC", "GPVTG"};
  for (size_t e = 0; e < 3; ++e) {
    for (size_t k = 0; k < epoch.size(); ++k) EXPECT_EQ(a[1 + e * 7 + k], epoch[k]) << e << k;
  }
  for (const std::string& l : lines) EXPECT_TRUE(test::ChecksumOk(l)) << l;
  // Epochs on whole UTC seconds, one second apart.
  const auto gga = OfKind(lines, "GPGGA");
  ASSERT_EQ(gga.size(), 3u);
  EXPECT_EQ(Fields(gga[0])[1], "123520.000");
  EXPECT_EQ(Fields(gga[1])[1], "123521.000");
  EXPECT_EQ(Fields(gga[2])[1], "123522.000");
}

TEST(ReceiverOutput, FixComesAfterTheFirstFixTimeWithConsistentSatellites) {
  SimOptions options;
  options.firstFixSeconds = 4.0;
  ReceiverModule module(options, kStartUtcMs);
  ModuleDriver driver(module);
  const auto lines = Sentences(driver.RunUntil(12.0));
  const auto gga = OfKind(lines, "GPGGA");
  ASSERT_GE(gga.size(), 11u);
  EXPECT_EQ(Fields(gga[0])[6], "0");  // no fix at first
  EXPECT_EQ(Fields(gga.back())[6], "1");
  EXPECT_TRUE(module.hasFix());

  // In the last epoch: GSA's PRNs are satellites in view with a C/N0 in GSV.
  std::map<int, std::string> snrByPrn;
  int inView = 0;
  const auto gsv = OfKind(lines, "GPGSV");
  for (size_t i = gsv.size() - 3; i < gsv.size(); ++i) {
    const auto f = Fields(gsv[i]);
    inView = std::stoi(f[3]);
    for (size_t k = 4; k + 3 < f.size(); k += 4) snrByPrn[std::stoi(f[k])] = f[k + 3];
  }
  EXPECT_GE(inView, 9);
  EXPECT_LE(inView, 12);
  EXPECT_EQ(static_cast<int>(snrByPrn.size()), inView);
  const auto gsa = Fields(OfKind(lines, "GPGSA").back());
  int used = 0;
  for (int i = 3; i < 15; ++i) {
    if (gsa[i].empty()) continue;
    ++used;
    const int prn = std::stoi(gsa[i]);
    ASSERT_TRUE(snrByPrn.count(prn)) << prn;
    EXPECT_FALSE(snrByPrn[prn].empty()) << prn;
  }
  EXPECT_GE(used, 4);
  EXPECT_EQ(std::stoi(Fields(gga.back())[7]), used);
}

TEST(ReceiverOutput, PositionAndSkyMoveSlowly) {
  SimOptions options;
  options.firstFixSeconds = 0;
  ReceiverModule module(options, kStartUtcMs);
  const EpochReport a = module.ReportAt(100.0, kStartUtcMs + 100000);
  const EpochReport b = module.ReportAt(101.0, kStartUtcMs + 101000);
  // 36 km/h: 10 m in a second, about 9e-5 degrees.
  const double north = (b.position.latitudeDeg - a.position.latitudeDeg) * 111320;
  const double east = (b.position.longitudeDeg - a.position.longitudeDeg) * 111320 *
                      std::cos(a.position.latitudeDeg * 3.14159265 / 180);
  EXPECT_NEAR(std::hypot(north, east), 10.0, 0.5);
  EXPECT_NEAR(a.position.speedKmh, 36.0, 1e-9);
  // Each satellite moves less than a degree a second; C/N0 within 25..55 dB-Hz.
  for (const ChannelReport& c : a.channels) {
    for (const ChannelReport& d : b.channels) {
      if (c.prn != d.prn) continue;
      EXPECT_LE(std::abs(c.elevationDeg - d.elevationDeg), 1) << c.prn;
      EXPECT_LE(std::abs(c.azimuthDeg - d.azimuthDeg) % 359, 2) << c.prn;
    }
    EXPECT_GE(c.cn0DbHz, 25);
    EXPECT_LE(c.cn0DbHz, 55);
  }
  // Over ten minutes the sky changes: some satellites set and others rise.
  const EpochReport later = module.ReportAt(700.0, kStartUtcMs + 700000);
  std::set<int> before, after;
  for (const ChannelReport& c : a.channels) before.insert(c.prn);
  for (const ChannelReport& c : later.channels) after.insert(c.prn);
  EXPECT_NE(before, after);
  EXPECT_GE(later.channels.size(), 9u);
  EXPECT_LE(later.channels.size(), 12u);
}

TEST(ReceiverOutput, SameSeedSameSkyOtherSeedOtherSky) {
  SimOptions one;
  SimOptions again;
  SimOptions other;
  other.seed = 7;
  const auto prns = [](const SimOptions& o) {
    ReceiverModule m(o, kStartUtcMs);
    std::vector<int> p;
    for (const ChannelReport& c : m.ReportAt(50, kStartUtcMs + 50000).channels) p.push_back(c.prn);
    return p;
  };
  EXPECT_EQ(prns(one), prns(again));
  EXPECT_NE(prns(one), prns(other));
}

// Two receivers on one antenna: the same path at the same UTC time, whenever each was started,
// each off by its own seed's error.
TEST(ReceiverOutput, OtherSeedOtherPositionErrorOnTheSameAntenna) {
  SimOptions one;
  SimOptions other;
  other.seed = 7;
  const auto at = [](const SimOptions& o, int64_t startMs, int64_t utcMs) {
    return ReceiverModule(o, startMs)
        .ReportAt(static_cast<double>(utcMs - startMs) / 1000.0, utcMs)
        .position;
  };
  const int64_t t = kStartUtcMs + 60000;
  const AntennaPosition a = at(one, kStartUtcMs, t);
  const AntennaPosition again = at(one, kStartUtcMs - 17000, t);
  const AntennaPosition b = at(other, kStartUtcMs, t);
  EXPECT_EQ(a.latitudeDeg, again.latitudeDeg);
  EXPECT_EQ(a.longitudeDeg, again.longitudeDeg);
  EXPECT_EQ(a.altitudeM, again.altitudeM);
  const double north = (b.latitudeDeg - a.latitudeDeg) * 111320;
  const double east =
      (b.longitudeDeg - a.longitudeDeg) * 111320 * std::cos(a.latitudeDeg * 3.14159265 / 180);
  const double apartM = std::hypot(north, east, b.altitudeM - a.altitudeM);
  EXPECT_GT(apartM, 0.1);
  EXPECT_LT(apartM, 8.0);
}

TEST(ReceiverOutput, BinaryOutputPerChip) {
  struct Row {
    Chip chip;
    bool mps;
    std::vector<uint8_t> ids;
  } rows[] = {{Chip::K700, false, {0xD0, 0xD2, 0xD3, 0xD4}},
              {Chip::K900, false, {0xD0, 0xD5, 0xD6, 0xD4}},
              {Chip::K700, true, {0xD1, 0xD2, 0xD3, 0xD4}}};
  for (const Row& row : rows) {
    SimOptions options;
    options.binaryOutput = true;
    options.chip = row.chip;
    options.binarySpeedInMps = row.mps;
    ReceiverModule module(options, kStartUtcMs);
    ModuleDriver driver(module);
    int bad = 0;
    const auto frames = test::ScanFrames(driver.RunUntil(2.0), &bad);
    EXPECT_EQ(bad, 0);
    ASSERT_EQ(frames.size(), 8u);
    for (size_t i = 0; i < frames.size(); ++i) {
      EXPECT_EQ(frames[i].frameClass, 0xF2);
      EXPECT_EQ(frames[i].id, row.ids[i % 4]) << i;
    }
  }
}

TEST(ReceiverOutput, HostModeOffersALoneUUntilAnswered) {
  SimOptions options;
  options.hostMode = true;
  ReceiverModule module(options, kStartUtcMs);
  ModuleDriver driver(module);
  const auto before = driver.RunUntil(3.0);
  EXPECT_EQ(before, std::vector<uint8_t>(3, 'U'));  // one a second, nothing else
  EXPECT_FALSE(module.handshakeDone());
  driver.Send({'U'});
  EXPECT_TRUE(module.handshakeDone());
  const auto after = Sentences(driver.RunUntil(5.0));
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(Fields(after[0])[0], "MXTR");
  EXPECT_FALSE(OfKind(after, "GPGGA").empty());
}

TEST(ReceiverOutput, ATooSlowLineSkipsEpochs) {
  SimOptions options;
  options.baud = 2400;
  ReceiverModule module(options, kStartUtcMs);
  // Nobody takes the bytes: the second epoch finds the buffer still full.
  module.Advance(0.7);
  module.Advance(1.7);
  EXPECT_EQ(module.epochsSent(), 1u);
  EXPECT_EQ(module.epochsSkipped(), 1u);
}

TEST(ReceiverOutput, HotRestartRebootsAndFixesWithinSeconds) {
  SimOptions options;
  options.firstFixSeconds = 0;
  ReceiverModule module(options, kStartUtcMs);
  ModuleDriver driver(module);
  driver.RunUntil(3.0);
  ASSERT_TRUE(module.hasFix());
  // The start-up time test's hot restart: mode 00 00.
  driver.Send(test::CommandBytes(
      0xF1, 0x01, {0, 0, 0xE8, 0x07, 3, 14, 12, 0, 0, 0, 0x21, 0x13, 0x6E, 0x2F, 0, 0}));
  const auto reboot = driver.RunUntil(3.9);
  const auto frames = test::ScanFrames(reboot);
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames[0].frameClass, 0x06);  // ACK before the reboot
  EXPECT_EQ(frames[0].id, 0x01);
  EXPECT_EQ(reboot.size(), 7u);  // nothing else while it reboots
  const auto lines = Sentences(driver.RunUntil(10.0));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(Fields(lines[0])[1], "REV");
  const auto rmc = OfKind(lines, "GPRMC");
  ASSERT_GE(rmc.size(), 5u);
  EXPECT_EQ(Fields(rmc[0])[2], "V");
  EXPECT_EQ(Fields(rmc.back())[2], "A");
  int noFix = 0;
  for (const auto& l : rmc) noFix += Fields(l)[2] == "V";
  EXPECT_LE(noFix, 4);  // hot: 1 to 3 s, plus the wait for the next whole second
  EXPECT_EQ(module.restarts(), 1u);
}

TEST(ReceiverOutput, RestartKindsDrawTheirFirstFixTimes) {
  struct Row {
    uint8_t flag, mode;
    bool early;
    double lowS, highS;
  } rows[] = {{1, 2, false, 25, 40},
              {1, 3, false, 30, 60},
              {1, 7, false, 30, 60},
              {1, 2, true, 4, 7},
              {0, 1, false, 1, 3}};
  for (const Row& row : rows) {
    SimOptions options;
    options.firstFixSeconds = 0;
    FaultSwitches faults;
    ReceiverModule withFaults(options, kStartUtcMs, &faults);
    faults.earlyFix = row.early;
    ModuleDriver driver(withFaults);
    driver.RunUntil(2.0);
    driver.Send(test::CommandBytes(
        0xF1, 0x01, {row.flag, row.mode, 0xD4, 0x07, 2, 14, 0, 0, 0, 0, 24, 0, 13, 0, 0, 0}));
    const double restartS = driver.now();
    double fixS = -1;
    for (double t = restartS; t < restartS + 70 && fixS < 0; t += 0.5) {
      driver.RunUntil(t, 0.5);
      if (withFaults.mode() == ReceiverModule::Mode::Running && withFaults.hasFix()) fixS = t;
    }
    ASSERT_GT(fixS, 0) << int(row.mode);
    const double ttff = fixS - restartS - options.rebootSeconds;
    EXPECT_GE(ttff, row.lowS - 0.01) << int(row.mode);
    EXPECT_LE(ttff, row.highS + 1.6) << int(row.mode);  // epochs fall on whole seconds
  }
}

}  // namespace
}  // namespace vetra::sim
