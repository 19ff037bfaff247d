// The program's own decoders read the virtual receiver's output as the receiver means it: no
// rejected sentence or frame, and the decoded fix is the one the module reported.
#include <gtest/gtest.h>

#include <cmath>

#include "decode/binary.h"
#include "decode/nmea.h"
#include "sim/receiver_module.h"
#include "sim_test_support.h"

namespace vetra::sim {
namespace {

using Bytes = std::vector<uint8_t>;
using test::CommandBytes;
using test::ModuleDriver;

constexpr int64_t kStartUtcMs = 1710419719400;

void FeedNmea(TNmea& nmea, const Bytes& bytes, int chunk) {
  for (size_t start = 0; start < bytes.size(); start += static_cast<size_t>(chunk)) {
    const int count = static_cast<int>(std::min<size_t>(chunk, bytes.size() - start));
    int used = 0;
    while (used < count) used += nmea.Feed(bytes.data() + start + used, count - used).consumed;
  }
}

void FeedBinary(TBinary& binary, const Bytes& bytes) {
  int used = 0;
  while (used < static_cast<int>(bytes.size())) {
    used += binary.Feed(bytes.data() + used, static_cast<int>(bytes.size()) - used).consumed;
  }
}

TEST(DecoderAgreement, TheNmeaParserTakesEverySentence) {
  for (int chunk : {1, 7, 4096}) {
    SimOptions options;
    options.firstFixSeconds = 2;
    ReceiverModule module(options, kStartUtcMs);
    ModuleDriver driver(module);
    const Bytes bytes = driver.RunUntil(10.0);
    TNmea nmea;
    FeedNmea(nmea, bytes, chunk);
    EXPECT_EQ(nmea.errorCount(), 0u) << chunk;
    const TNavRecord& r = nmea.record();
    const EpochReport last = module.ReportAt(driver.now(), kStartUtcMs + 10000);
    EXPECT_EQ(r.restartCounter, 1);  // the revision sentence of power-on
    EXPECT_EQ(r.fixMode, 2);
    EXPECT_EQ(r.fixIndicator, 0);
    EXPECT_EQ(r.latitudeHemisphere, 'N');
    EXPECT_EQ(r.longitudeHemisphere, 'W');
    EXPECT_NEAR(r.latitudeDeg, std::fabs(last.position.latitudeDeg), 3e-4);
    EXPECT_NEAR(r.longitudeDeg, std::fabs(last.position.longitudeDeg), 3e-4);
    EXPECT_EQ(r.year, 2024);
    EXPECT_EQ(r.month, 3);
    EXPECT_EQ(r.day, 14);
    EXPECT_GE(r.satellitesInView, 9);
    EXPECT_EQ(r.satellitesUsed, last.satellitesUsed);
    for (int i = 0; i < r.satellitesInView; ++i) {
      const int prn = r.prnList[i];
      EXPECT_EQ(prn, last.channels[i].prn);
      EXPECT_EQ(r.satellites[prn - 1].used, last.channels[i].used ? 1 : 0) << prn;
    }
    EXPECT_NEAR(r.speedKmh, 36, 1);
  }
}

TEST(DecoderAgreement, TheBinaryParserTakesEveryFrame) {
  for (Chip chip : {Chip::K700, Chip::K900}) {
    SimOptions options;
    options.firstFixSeconds = 0;
    options.binaryOutput = true;
    options.chip = chip;
    ReceiverModule module(options, kStartUtcMs);
    ModuleDriver driver(module);
    const Bytes bytes = driver.RunUntil(5.0);
    ReceiverStores stores;
    TBinary binary(stores);
    FeedBinary(binary, bytes);
    EXPECT_EQ(binary.framesBadChecksum(), 0u);
    EXPECT_EQ(binary.framesGood(), 4u * 5);
    const TNavRecord& r = binary.record();
    EXPECT_EQ(r.fixMode, 2);
    EXPECT_EQ(r.latitudeHemisphere, 'N');
    EXPECT_EQ(r.longitudeHemisphere, 'W');
    EXPECT_NEAR(r.latitudeDeg, 49.28, 0.01);
    EXPECT_NEAR(r.longitudeDeg, 123.12, 0.01);
    EXPECT_EQ(r.speedKmh, 36);
    EXPECT_GE(r.satellitesInView, 9);
    EXPECT_EQ(r.year, 2024);
    EXPECT_NE(r.channels[0].pseudorange, 0);
  }
}

TEST(DecoderAgreement, QueryRepliesDecodeIntoTheReportFields) {
  ReceiverModule module(SimOptions{}, kStartUtcMs);
  ModuleDriver driver(module);
  driver.Send(CommandBytes(0xF1, 0x05, {1, 1}));
  driver.Send(CommandBytes(0xF1, 0x06, {0, 0, 0, 0}));
  driver.Send(CommandBytes(0xF1, 0x07, {2}));
  driver.Send(CommandBytes(0xF1, 0x0E, {0}));
  driver.Send(CommandBytes(0xF1, 0x16, Bytes(34, 0)));
  const Bytes bytes = driver.RunUntil(0.2);
  ReceiverStores stores;
  TBinary binary(stores);
  FeedBinary(binary, bytes);
  EXPECT_EQ(binary.framesBadChecksum(), 0u);
  EXPECT_EQ(std::string(binary.replies().revision.label, 12), "K700FW V1.5 ");
  EXPECT_EQ(binary.replies().revision.date, 0x00231114u);
  EXPECT_EQ(binary.replies().clockOffset, 0x5C41);
  EXPECT_EQ(binary.replies().selfTest[0], 100);
  EXPECT_EQ(binary.replies().selfTest[1], 100);
  EXPECT_EQ(binary.replies().selfTest[3], 100);
  EXPECT_EQ(stores.moduleId(0), 70012345);
  EXPECT_EQ(stores.customizedId(), "VETRA-SIM");
}

TEST(DecoderAgreement, LoaderRepliesGiveTheResultCodesTheLoaderWaitsFor) {
  ReceiverModule module(SimOptions{}, kStartUtcMs);
  ModuleDriver driver(module);
  driver.RunUntil(1.0);
  driver.Send(CommandBytes(0xF1, 0x72, {0x06, 0x00, 0x20, 32, 0}));
  Bytes bytes = driver.RunUntil(1.5);
  driver.Send({0x25, 0x25, 0xF1, 0x73, 0x82, 0x0D, 0x0A});
  const Bytes erase = driver.RunUntil(3.1);
  bytes.insert(bytes.end(), erase.begin(), erase.end());
  driver.Send(Bytes(16384, 0xFF));
  const Bytes request = driver.RunUntil(3.2, 0.01);
  bytes.insert(bytes.end(), request.begin(), request.end());
  std::vector<int> codes;
  TNmea nmea;
  for (int used = 0; used < static_cast<int>(bytes.size());) {
    const NmeaFeed f = nmea.Feed(bytes.data() + used, static_cast<int>(bytes.size()) - used);
    used += f.consumed;
    if (f.result > 1) codes.push_back(f.result);
  }
  EXPECT_EQ(codes, (std::vector<int>{kNmeaStartAck, kNmeaEraseDone, kNmeaDataRequest}));
}

}  // namespace
}  // namespace vetra::sim
