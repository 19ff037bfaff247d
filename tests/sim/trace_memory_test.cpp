// The receiver's position log, from the commands of the tree and of the Trace page.
#include "sim/trace_memory.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sim/receiver_module.h"
#include "sim_test_support.h"

namespace vetra::sim {
namespace {

using Bytes = std::vector<uint8_t>;
using test::CommandBytes;
using test::ModuleDriver;

constexpr int64_t kStartUtcMs = 1710419719400;

int32_t I32(const Bytes& p, size_t at) {
  return static_cast<int32_t>(p[at] | p[at + 1] << 8 | p[at + 2] << 16 |
                              static_cast<uint32_t>(p[at + 3]) << 24);
}

TEST(TraceMemory, RecordHoldsDateTimeAndEarthCentredPosition) {
  EpochReport r;
  r.utcMs = 1230804000000;  // 2009-01-01 10:00:00
  r.fix = true;
  r.fixMode = 2;
  r.position = {0.0, 0.0, 0.0, 0, 0};
  r.geoidSeparationM = 0;
  r.hdop = 1.2;
  r.satellitesUsed = 7;
  const TraceRecord rec = TraceMemory::MakeRecord(r);
  EXPECT_EQ(rec[0] | rec[1] << 8, 0x3A21);  // day 1, month 1, 29 years after 1980
  EXPECT_EQ(rec[2] | rec[3] << 8, 18000);   // 10:00:00 in units of 2 s
  const Bytes b(rec.begin(), rec.end());
  EXPECT_EQ(I32(b, 4), 6378137);
  EXPECT_EQ(I32(b, 8), 0);
  EXPECT_EQ(I32(b, 12), 0);
  EXPECT_EQ(rec[16], 7);
  EXPECT_EQ((rec[18] | rec[19] << 8) & 0x02FF, 12);
  EXPECT_TRUE((rec[18] | rec[19] << 8) & 0x2000);

  double x = 0, y = 0, z = 0;
  TraceMemory::ToEcef(90.0, 0.0, 0.0, x, y, z);
  EXPECT_NEAR(z, 6356752.314, 0.001);
}

TEST(TraceMemory, RecordsUnderTheSetupRulesAndReadsBack) {
  SimOptions options;
  options.firstFixSeconds = 0;
  ReceiverModule module(options, kStartUtcMs);
  ModuleDriver driver(module);
  // Setup: stop on full, every 2 s, no distance or speed rule; then start.
  driver.Send(CommandBytes(0xF1, 0x1F, {3, 0x01, 0, 0, 2, 0, 0, 0}));
  driver.Send(CommandBytes(0xF1, 0x1D, {1}));
  driver.RunUntil(20.0);
  const size_t logged = module.traceMemory().recordCount();
  EXPECT_GE(logged, 9u);
  EXPECT_LE(logged, 11u);
  driver.Send(CommandBytes(0xF1, 0x1D, {0}));  // stop
  driver.RunUntil(24.0);
  EXPECT_EQ(module.traceMemory().recordCount(), logged);

  driver.Send(CommandBytes(0xF1, 0x1F, {2, 0, 0, 0, 0, 0, 0, 0}));
  auto frames = test::ScanFrames(driver.RunUntil(24.1));
  ASSERT_EQ(frames.size(), 2u);
  const Bytes& status = frames[1].payload;
  EXPECT_EQ(status[0], 0);     // stopped
  EXPECT_EQ(status[1], 0x22);  // memory size code
  EXPECT_EQ(I32(status, 3), static_cast<int32_t>(logged));
  EXPECT_EQ(status[11], 0x01);
  EXPECT_EQ(status[12] | status[13] << 8, 2);

  // Read back at 115200 (tree form), mixed with the usual sentences.
  driver.Send(CommandBytes(0xF1, 0x1E, {1, 5, 0}));
  const Bytes out = driver.RunUntil(30.0, 0.01);
  std::vector<Bytes> records;
  for (const auto& f : test::ScanFrames(out)) {
    if (f.id == 0x88) records.push_back(f.payload);
  }
  ASSERT_EQ(records.size(), logged);
  for (size_t i = 0; i < logged; ++i) {
    const auto& kept = module.traceMemory().records()[i];
    EXPECT_EQ(records[i], Bytes(kept.begin(), kept.end()));
  }
  EXPECT_FALSE(test::Sentences(out).empty());
  EXPECT_EQ(module.traceMemory().state(), TraceMemory::State::Reading);

  // The Trace page's read frame toggles: this one stops the read.
  driver.Send(CommandBytes(0xF1, 0x1E, {2, 1, 0, 0, 1, 3, 0}));
  EXPECT_EQ(module.traceMemory().state(), TraceMemory::State::Stopped);
  driver.Send(CommandBytes(0xF1, 0x1F, {1, 0}));  // clear
  EXPECT_EQ(module.traceMemory().recordCount(), 0u);
}

TEST(TraceMemory, TracePageRecordFrameSetsDistanceAndTimeToLog) {
  SimOptions options;
  options.firstFixSeconds = 0;
  ReceiverModule module(options, kStartUtcMs);
  ModuleDriver driver(module);
  // Start (03), 01, distance 50 m, period 0 s, time to log 6 s.
  driver.Send(CommandBytes(0xF1, 0x1D, {3, 1, 50, 0, 0, 0, 6, 0}));
  driver.RunUntil(15.0);
  const auto& records = module.traceMemory().records();
  // 10 m/s with a 50 m rule: one record every 5 s, and none after 6 s.
  EXPECT_GE(records.size(), 1u);
  EXPECT_LE(records.size(), 2u);
  EXPECT_EQ(module.traceMemory().state(), TraceMemory::State::Stopped);
}

TEST(TraceMemory, StopOnFullOrOverwriteTheOldest) {
  EpochReport r;
  r.utcMs = kStartUtcMs;
  r.fix = true;
  for (uint8_t flags : {0x01, 0x00}) {
    TraceMemory trace;
    TraceSetup setup;
    setup.flags = flags;
    setup.minTimeS = 0;
    trace.Configure(setup);
    trace.StartRecording();
    for (size_t i = 0; i < TraceMemory::kCapacityRecords + 5; ++i) {
      r.utcMs = kStartUtcMs + static_cast<int64_t>(i) * 2000;
      trace.OnEpoch(r, static_cast<double>(i));
    }
    EXPECT_EQ(trace.recordCount(), TraceMemory::kCapacityRecords);
    EXPECT_EQ(trace.usedPercent(), 100);
    EXPECT_EQ(trace.state(), flags ? TraceMemory::State::Stopped : TraceMemory::State::Recording);
  }
}

}  // namespace
}  // namespace vetra::sim
