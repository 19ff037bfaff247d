// The epoch stream over small logs made here: how epochs are cut (midnight, GLL last, a receiver
// without a time), line ends, the $GN receiver with GST and many satellites, a sentence cut off
// without checksum, the module's binary navigation output, chunking, and what a log without a fix
// says.
#include "epoch/epoch_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "epoch_test_support.h"
#include "link/frame.h"

namespace vetra {
namespace {

using test::RunLog;
using test::Sentence;

// One epoch of a GPS receiver: GGA, GSA, RMC (with its date) and, last, GLL.
std::string GpsEpoch(const std::string& time, const std::string& date, const char* end = "\r\n") {
  return Sentence("GPGGA," + time + ",4807.038123,N,01131.000456,E,1,08,0.9,545.4,M,46.9,M,,",
                  end) +
         Sentence("GPGSA,A,3,04,05,09,12,,,,,,,,,2.5,1.3,2.1", end) +
         Sentence("GPRMC," + time + ",A,4807.038123,N,01131.000456,E,022.4,084.4," + date + ",,",
                  end) +
         Sentence("GPGLL,4807.038123,N,01131.000456,E," + time + ",A", end);
}

TEST(EpochStream, SentencesOfOneTimeMakeOneEpochWithGllLast) {
  const auto run = RunLog(GpsEpoch("123519.00", "230394") + GpsEpoch("123520.00", "230394"));
  ASSERT_EQ(run.epochs.size(), 2u);
  const Epoch& e = run.epochs[0];
  EXPECT_EQ(e.UtcText(), "1994-03-23T12:35:19.000Z");
  EXPECT_EQ(e.mode, FixMode::ThreeD);
  EXPECT_EQ(e.talker, "GP");
  EXPECT_DOUBLE_EQ(e.latitudeDeg, 48 + 7.038123 / 60);
  EXPECT_DOUBLE_EQ(e.longitudeDeg, 11 + 31.000456 / 60);
  EXPECT_DOUBLE_EQ(e.altitudeMslM, 545.4);
  EXPECT_DOUBLE_EQ(e.EllipsoidHeightM(), 545.4 + 46.9);
  EXPECT_NEAR(e.speedMs, 22.4 * 1852 / 3600, 1e-12);
  EXPECT_DOUBLE_EQ(e.trackDeg, 84.4);
  EXPECT_DOUBLE_EQ(e.pdop, 2.5);
  EXPECT_DOUBLE_EQ(e.hdop, 1.3);
  EXPECT_DOUBLE_EQ(e.vdop, 2.1);
  EXPECT_EQ(e.satellitesUsed, 8);
  EXPECT_DOUBLE_EQ(run.epochs[1].climbMs, 0.0);
  EXPECT_EQ(run.counts.sentences, 8u);
  EXPECT_EQ(run.counts.epochsWithFix, 2u);
  EXPECT_EQ(run.sentences.front().substr(0, 7), "$GPGGA,");
  EXPECT_EQ(run.sentences.front().back() != '\n', true);
}

TEST(EpochStream, MidnightMovesTheCarriedDateToTheNextDay) {
  const std::string gga0 =
      Sentence("GPGGA,000000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
  const auto run = RunLog(GpsEpoch("235959.00", "310524") + gga0 + GpsEpoch("000001.00", "010624"));
  ASSERT_EQ(run.epochs.size(), 3u);
  EXPECT_EQ(run.epochs[0].UtcText(), "2024-05-31T23:59:59.000Z");
  EXPECT_EQ(run.epochs[1].UtcText(), "2024-06-01T00:00:00.000Z");
  EXPECT_EQ(run.epochs[2].UtcText(), "2024-06-01T00:00:01.000Z");
}

TEST(EpochStream, ALeapSecondKeepsItsName) {
  const auto run = RunLog(GpsEpoch("235960.50", "311216"));
  ASSERT_EQ(run.epochs.size(), 1u);
  EXPECT_EQ(run.epochs[0].UtcText(), "2016-12-31T23:59:60.500Z");
}

TEST(EpochStream, NoDateUntilOneIsKnown) {
  const auto run = RunLog(Sentence("GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,"));
  ASSERT_EQ(run.epochs.size(), 1u);
  EXPECT_EQ(run.epochs[0].UtcText(), "12:00:00.000Z");
  EXPECT_TRUE(std::isnan(run.epochs[0].EllipsoidHeightM()));  // no geoid separation given
}

TEST(EpochStream, AnyLineEndGivesTheSameEpochs) {
  const auto crlf = RunLog(GpsEpoch("123519.00", "230394") + GpsEpoch("123520.00", "230394"));
  for (const char* end : {"\n", "\r"}) {
    const auto run =
        RunLog(GpsEpoch("123519.00", "230394", end) + GpsEpoch("123520.00", "230394", end));
    ASSERT_EQ(run.epochs.size(), 2u) << "line end " << int(end[0]);
    EXPECT_EQ(run.epochs[1].UtcText(), crlf.epochs[1].UtcText());
    EXPECT_EQ(run.epochs[1].latitudeDeg, crlf.epochs[1].latitudeDeg);
    EXPECT_EQ(run.counts.sentences, crlf.counts.sentences);
  }
}

// A multi-system receiver: GN talker, GSA with the system id of NMEA 4.10, 20 satellites in view
// over GP, GL (PRNs above 64), GA and GB, and GST with its own error figures.
std::string MultiSystemEpoch(const std::string& time) {
  std::string log =
      Sentence("GNRMC," + time + ",A,4332.69262,S,17235.48549,E,0.013,,090120,,,A,V") +
      Sentence("GNGGA," + time + ",4332.69262,S,17235.48549,E,4,18,0.61,25.63,M,11.24,M,1.0,0000") +
      Sentence("GNGSA,A,3,05,10,13,15,16,20,21,27,,,,,1.05,0.61,0.83,1") +
      Sentence("GNGSA,A,3,66,81,82,,,,,,,,,,1.05,0.61,0.83,2") +
      Sentence("GNGSA,A,3,07,12,,,,,,,,,,,1.05,0.61,0.83,3") +
      Sentence("GNGSA,A,3,13,,,,,,,,,,,,1.05,0.61,0.83,4");
  log += Sentence("GPGSV,3,1,10,05,06,110,19,10,24,284,34,13,37,124,29,15,63,083,11,1") +
         Sentence("GPGSV,3,2,10,16,11,248,10,20,52,273,34,21,79,231,30,24,07,045,,1") +
         Sentence("GPGSV,3,3,10,27,15,218,31,29,24,004,13,1") +
         Sentence("GLGSV,1,1,04,65,53,144,,66,58,305,32,81,06,313,,82,09,137,40,1") +
         Sentence("GAGSV,1,1,04,07,11,134,11,12,09,227,,19,30,100,20,33,40,200,30,7") +
         Sentence("GBGSV,1,1,02,13,40,050,33,22,10,300,,1");
  log += Sentence("GNGST," + time + ",11,0.012,0.010,45.0,0.011,0.009,0.021");
  return log;
}

TEST(EpochStream, MultiSystemReceiverWithGstAndManySatellites) {
  const auto run = RunLog(MultiSystemEpoch("014035.00") + MultiSystemEpoch("014036.00"));
  ASSERT_EQ(run.epochs.size(), 2u);
  const Epoch& e = run.epochs[0];
  EXPECT_EQ(e.talker, "GN");
  EXPECT_EQ(e.quality, FixQuality::RtkFixed);
  EXPECT_DOUBLE_EQ(e.latitudeDeg, -(43 + 32.69262 / 60));
  EXPECT_DOUBLE_EQ(e.geoidSeparationM, 11.24);
  ASSERT_EQ(e.satellites.size(), 20u);
  int used = 0;
  for (const EpochSatellite& s : e.satellites) used += s.used;
  EXPECT_EQ(used, 8 + 2 + 1 + 1);  // GSA lists 14; GLONASS 81 and Galileo 12 are not heard
  const auto find = [&](GnssSystem system, int svid) {
    for (const EpochSatellite& s : e.satellites)
      if (s.system == system && s.svid == svid) return s;
    return EpochSatellite{};
  };
  EXPECT_EQ(find(GnssSystem::Glonass, 17).prn, 81);
  EXPECT_FALSE(find(GnssSystem::Glonass, 17).used);  // listed, but no C/N0 in its GSV
  EXPECT_TRUE(find(GnssSystem::Glonass, 18).used);
  EXPECT_EQ(find(GnssSystem::Galileo, 12).prn, 312);
  EXPECT_FALSE(find(GnssSystem::Galileo, 12).used);
  EXPECT_TRUE(find(GnssSystem::Galileo, 7).used);
  EXPECT_FALSE(find(GnssSystem::Galileo, 19).used);
  EXPECT_EQ(find(GnssSystem::Beidou, 13).prn, 413);
  EXPECT_TRUE(find(GnssSystem::Beidou, 13).used);
  EXPECT_TRUE(find(GnssSystem::Gps, 13).used);
  EXPECT_FALSE(find(GnssSystem::Gps, 24).used);  // listed nowhere
  EXPECT_EQ(find(GnssSystem::Gps, 5).signalId, 1);
  // GST: the receiver's own sigmas for epx, epy and epv; eph from the HDOP (a quarter of a plain
  // fix's with RTK), as gpsd has them.
  EXPECT_DOUBLE_EQ(e.epx, 0.009);
  EXPECT_DOUBLE_EQ(e.epy, 0.011);
  EXPECT_DOUBLE_EQ(e.epv, 0.021);
  EXPECT_DOUBLE_EQ(e.eph, 0.61 * 19 / 4);
  EXPECT_FALSE(std::isnan(e.xdop));
  EXPECT_FALSE(std::isnan(e.gdop));
}

TEST(EpochStream, ASentenceCutOffWithoutChecksumGivesNoPosition) {
  std::string cut = "$GPRMC,000346.03,A,4808";
  cut += std::string(12, '\0') + std::string(18, ' ') + "\r\n";
  const auto run = RunLog(GpsEpoch("000345.03", "070419") + cut + "$PLCS,REV,PLN012054S07\r\n" +
                          GpsEpoch("000347.03", "070419"));
  ASSERT_EQ(run.epochs.size(), 2u);
  EXPECT_EQ(run.epochs[0].UtcText(), "2019-04-07T00:03:45.030Z");
  EXPECT_EQ(run.epochs[1].UtcText(), "2019-04-07T00:03:47.030Z");
  EXPECT_EQ(run.counts.malformed, 1u);
  EXPECT_EQ(run.counts.sentences, 9u);  // the proprietary one is read, not used
}

TEST(EpochStream, AtTheEndOfALogOnlyASentenceWithItsChecksumIsReadWithoutALineEnd) {
  const std::string gga = "$GPGGA,120001.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
  const auto cut = RunLog(GpsEpoch("120000.00", "010124") + gga);
  EXPECT_EQ(cut.epochs.size(), 1u);
  EXPECT_EQ(cut.counts.malformed, 1u);
  const std::string whole = Sentence(gga.substr(1));
  const auto run = RunLog(GpsEpoch("120000.00", "010124") + whole.substr(0, whole.size() - 2));
  EXPECT_EQ(run.epochs.size(), 2u);
}

TEST(EpochStream, ASentenceCutByTheNextOneIsCountedNotRead) {
  const auto run = RunLog("$GPRMC,000346.03,A,48" + GpsEpoch("000347.03", "070419"));
  ASSERT_EQ(run.epochs.size(), 1u);
  EXPECT_EQ(run.counts.malformed, 1u);
}

TEST(EpochStream, TooFewFieldsAndBadChecksumsAreCounted) {
  std::string bad = Sentence("GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
  bad[10] = '1';
  const auto run = RunLog(bad + Sentence("GPGSA,A,3,04") + std::string(130, 'x') + "\r\n" + "$GP" +
                          std::string(130, 'A') + "\r\n");
  EXPECT_EQ(run.counts.checksumErrors, 1u);
  EXPECT_EQ(run.counts.malformed, 2u);  // the short GSA and the sentence over 120 characters
  EXPECT_EQ(run.counts.unrecognisedBytes, 130u);
  EXPECT_TRUE(run.epochs.empty());
  EXPECT_EQ(NoFixReason(run.counts),
            "no fix: 0 sentences read, 1 rejected by checksum, 0 epochs without a fix");
}

TEST(EpochStream, NoFixReasonInNumbers) {
  EpochCounts counts;
  counts.bytes = 4096;
  EXPECT_EQ(NoFixReason(counts),
            "no fix: nothing that looks like NMEA or the module's binary output in 4,096 bytes");
  counts.sentences = 1234;
  counts.checksumErrors = 12;
  counts.epochs = 56;
  EXPECT_EQ(NoFixReason(counts),
            "no fix: 1,234 sentences read, 12 rejected by checksum, 56 epochs without a fix");
  counts.epochsWithFix = 1;
  EXPECT_EQ(NoFixReason(counts), "");
}

TEST(EpochStream, LiveTheFirstSentenceAfterAPauseBeginsTheEpoch) {
  // A receiver that sends its satellites first: the pause before them tells.
  const auto cycle = [](const std::string& time, const std::string& cn0) {
    return Sentence("GPGSA,A,3,04,05,09,12,,,,,,,,,2.5,1.3,2.1") +
           Sentence("GPGSV,1,1,04,04,40,045," + cn0 + ",05,30,135,40,09,50,225,41,12,20,315,42") +
           Sentence("GPGGA," + time + ",4807.038,N,01131.000,E,1,04,1.3,545.4,M,46.9,M,,") +
           Sentence("GPRMC," + time + ",A,4807.038,N,01131.000,E,0.0,0.0,010124,,");
  };
  EpochStream stream;
  std::vector<Epoch> epochs;
  int64_t nowMs = 0;
  for (int i = 0; i < 3; ++i) {
    const std::string bytes = cycle("12000" + std::to_string(i) + ".00", std::to_string(31 + i));
    stream.Feed(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), epochs);
    stream.Idle(nowMs += 100, epochs);
    stream.Idle(nowMs += 900, epochs);  // the pause between epochs
  }
  // Then the same bytes without pauses, as a log: the order learned keeps the cut.
  const std::string rest = cycle("120003.00", "34") + cycle("120004.00", "35");
  stream.Feed(std::span(reinterpret_cast<const uint8_t*>(rest.data()), rest.size()), epochs);
  stream.Finish(epochs);
  ASSERT_EQ(epochs.size(), 5u);
  for (size_t i = 0; i < epochs.size(); ++i) {
    ASSERT_EQ(epochs[i].satellites.size(), 4u) << i;
    EXPECT_EQ(epochs[i].satellites[0].cn0DbHz, 31.0 + static_cast<double>(i)) << i;
    EXPECT_EQ(epochs[i].timeOfDayMs, 12 * 3600'000 + static_cast<int64_t>(i) * 1000) << i;
  }
}

TEST(EpochStream, AReceiverWithoutTimeIsCutWhereItsCycleComesRound) {
  const std::string cycle = Sentence("GPGGA,,,,,,0,00,,,M,,M,,") + Sentence("GPVTG,,T,,M,,N,,K,N") +
                            Sentence("GPGSA,A,1,,,,,,,,,,,,,,,");
  const auto run = RunLog(cycle + cycle + cycle);
  ASSERT_EQ(run.epochs.size(), 3u);
  EXPECT_FALSE(run.epochs[0].hasFix());
  EXPECT_EQ(NoFixReason(run.counts),
            "no fix: 9 sentences read, 0 rejected by checksum, 3 epochs without a fix");
}

// F2 D0: a fix on 12 July 2008 at 15:30:45, then F2 D2 with two channels.
std::string BinaryEpoch(uint8_t second) {
  std::vector<uint8_t> p(37, 0);
  p[6] = 0x12, p[7] = 0x07, p[8] = 0x08, p[9] = 0x20, p[10] = second, p[11] = 0x30, p[12] = 0x15;
  const float lat = 48.117302f, lon = -11.516667f;
  std::memcpy(&p[14], &lat, 4);
  std::memcpy(&p[18], &lon, 4);
  p[22] = 0x21, p[23] = 0x02;  // 545 m
  p[24] = 84;                  // heading
  p[26] = 115;                 // 11.5 m/s
  p[28] = 0, p[29] = 2, p[30] = 9, p[31] = 7, p[33] = 25, p[34] = 13, p[35] = 21;
  std::vector<uint8_t> ch(6 + 8 * 12, 0);
  ch[6] = 5, ch[6 + 2] = 110, ch[6 + 4] = 6, ch[6 + 5] = 19, ch[6 + 7] = 1;  // used
  ch[14] = 33, ch[14 + 2] = 44, ch[14 + 4] = 30, ch[14 + 5] = 40;            // SBAS
  uint8_t out[kMaxFrameSize];
  std::string log(reinterpret_cast<const char*>(out), BuildFrame(kClassReply, 0xD0, p, out));
  log.append(reinterpret_cast<const char*>(out), BuildFrame(kClassReply, 0xD2, ch, out));
  return log;
}

TEST(EpochStream, TheModulesBinaryOutputGivesEpochs) {
  const auto run = RunLog(BinaryEpoch(0x45) + Sentence("GPTXT,01,01,02,hello") + BinaryEpoch(0x46));
  ASSERT_EQ(run.epochs.size(), 2u);
  EXPECT_EQ(run.counts.binaryFrames, 4u);
  const Epoch& e = run.epochs[0];
  EXPECT_EQ(e.source, EpochSource::Binary);
  EXPECT_EQ(e.UtcText(), "2008-07-12T15:30:45.000Z");
  EXPECT_EQ(e.mode, FixMode::ThreeD);
  EXPECT_DOUBLE_EQ(e.latitudeDeg, double{48.117302f});
  EXPECT_DOUBLE_EQ(e.longitudeDeg, double{-11.516667f});
  EXPECT_DOUBLE_EQ(e.altitudeMslM, 545);
  EXPECT_DOUBLE_EQ(e.speedMs, 11.5);
  EXPECT_DOUBLE_EQ(e.trackDeg, 84);
  EXPECT_NEAR(e.pdop, 2.5, 1e-6);
  EXPECT_NEAR(e.vdop, 2.1, 1e-6);
  EXPECT_EQ(e.satellitesUsed, 7);
  EXPECT_TRUE(std::isnan(e.geoidSeparationM));
  EXPECT_TRUE(std::isnan(e.EllipsoidHeightM()));
  EXPECT_TRUE(std::isnan(e.eph));
  ASSERT_EQ(e.satellites.size(), 2u);
  EXPECT_TRUE(e.satellites[0].used);
  EXPECT_EQ(e.satellites[1].system, GnssSystem::Sbas);
  EXPECT_FALSE(e.satellites[1].used);
  EXPECT_EQ(e.satellites[1].svid, 120);
}

bool SameEpochs(const std::vector<Epoch>& a, const std::vector<Epoch>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    if (a[i].UtcText() != b[i].UtcText() || a[i].mode != b[i].mode ||
        !same(a[i].latitudeDeg, b[i].latitudeDeg) || !same(a[i].altitudeMslM, b[i].altitudeMslM) ||
        !same(a[i].eph, b[i].eph) || a[i].satellites.size() != b[i].satellites.size())
      return false;
  }
  return true;
}

TEST(EpochStream, AnyChunkingGivesTheSameEpochs) {
  const std::string log = GpsEpoch("235959.00", "310524") + BinaryEpoch(0x45) +
                          MultiSystemEpoch("000000.00") + "$GPRMC,0003" +
                          GpsEpoch("000001.00", "010624", "\n");
  const auto whole = RunLog(log);
  ASSERT_EQ(whole.epochs.size(), 4u);
  for (size_t piece : {1u, 7u}) {
    const auto run = RunLog(log, piece);
    EXPECT_TRUE(SameEpochs(run.epochs, whole.epochs)) << piece << "-byte pieces";
    EXPECT_EQ(run.sentences, whole.sentences);
  }
}

TEST(EpochStream, IdleClosesTheOpenEpochAfterASilence) {
  EpochStream stream;
  std::vector<Epoch> epochs;
  const std::string log = GpsEpoch("120000.00", "010124");
  stream.Feed(std::span(reinterpret_cast<const uint8_t*>(log.data()), log.size()), epochs);
  stream.Idle(10'000, epochs);  // bytes came in this pass
  stream.Idle(10'100, epochs);
  EXPECT_TRUE(epochs.empty());
  stream.Idle(10'600, epochs);
  ASSERT_EQ(epochs.size(), 1u);
  EXPECT_EQ(stream.counts().epochs, 1u);
  stream.Finish(epochs);
  EXPECT_EQ(epochs.size(), 1u);
}

}  // namespace
}  // namespace vetra
