#include "trace/trace_frames.h"

#include <gtest/gtest.h>

namespace vetra {
namespace {

struct FrameCase {
  const char* what;
  Frame frame;
  Frame expected;
};

TEST(TraceFrames, BytesOnTheWire) {
  MaintainTracePanel setup;
  setup.rgTraceStatus = kTraceSetupAction;
  setup.lbTraceDistance = "100";
  setup.lbTracePeriod = "5";
  setup.lbTraceSpeed = "36";
  MaintainTracePanel status;
  status.lbTraceDistance = "100";  // only the setup action carries the values

  const FrameCase cases[] = {
      {"Trace page Clear",
       TracePageClearFrame(),
       {0x25, 0x25, 0xF1, 0x1F, 0x01, 0x00, 0xEF, 0x0D, 0x0A}},
      {"Trace page Request",
       TracePageRequestFrame(),
       {0x25, 0x25, 0xF1, 0x1F, 0x00, 0x00, 0xEE, 0x0D, 0x0A}},
      {"tree Record Trace, Start log",
       EncodeTraceRecord({1}),
       {0x25, 0x25, 0xF1, 0x1D, 0x01, 0xED, 0x0D, 0x0A}},
      {"tree Read Trace, start at 115200",
       EncodeTraceRead({1, 5}),
       {0x25, 0x25, 0xF1, 0x1E, 0x01, 0x05, 0x00, 0xEB, 0x0D, 0x0A}},
      {"tree Maintain, Setup",
       EncodeTraceMaintain(setup),
       {0x25, 0x25, 0xF1, 0x1F, 0x03, 0x03, 0x64, 0x00, 0x05, 0x00, 0x63, 0x00, 0xEC, 0x0D, 0x0A}},
      {"tree Maintain, Read Status",
       EncodeTraceMaintain(status),
       {0x25, 0x25, 0xF1, 0x1F, 0x00, 0, 0, 0, 0, 0, 0, 0, 0xEE, 0x0D, 0x0A}},
      {"Trace page Record, start",
       TracePageRecordFrame(1, 0, 0, 65535),
       {0x25, 0x25, 0xF1, 0x1D, 0x03, 0x01, 0, 0, 0, 0, 0xFF, 0xFF, 0xEE, 0x0D, 0x0A}},
      {"Trace page Read, binary from 0 at 38400",
       TracePageReadFrame(2, true, 0, 3),
       {0x25, 0x25, 0xF1, 0x1E, 0x02, 0x01, 0x00, 0x00, 0x01, 0x03, 0x00, 0xEE, 0x0D, 0x0A}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.frame, c.expected) << c.what;
}

TEST(TraceFrames, ASetupFromTheReportedRulesSendsTheirFieldsBackUnchanged) {
  TraceStatus reported;
  reported.optionFlags = 0x05;
  reported.minTimeSeconds = 30;
  reported.minDistanceM = 500;
  reported.minSpeedRaw = 100;  // 36 km/h on screen, which would go back as 99
  reported.minSpeedKmh = 36;
  EXPECT_EQ(EncodeTraceSetup(TraceSetupFieldsOf(reported)),
            (Frame{0x25, 0x25, 0xF1, 0x1F, 0x03, 0x05, 0xF4, 0x01, 0x1E, 0x00, 0x64, 0x00, 0x67,
                   0x0D, 0x0A}));
}

TEST(TraceFrames, SpeedFieldTruncatesJustBelowAThirdOfTheKmh) {
  EXPECT_EQ(TraceSpeedField(36), 99);
  EXPECT_EQ(TraceSpeedField(1), 2);
  EXPECT_EQ(TraceSpeedField(0), 0);
  EXPECT_EQ(TraceSpeedField(-36), -99);
  for (int k = 1; k < 2000; ++k) EXPECT_EQ(TraceSpeedField(k), (50 * k - 1) / 18) << k;
}

TEST(TraceFrames, TextThatIsNoNumberCountsAsZero) {
  EXPECT_EQ(TraceIntegerOrZero("12"), 12);
  EXPECT_EQ(TraceIntegerOrZero("-7"), -7);
  EXPECT_EQ(TraceIntegerOrZero(""), 0);
  EXPECT_EQ(TraceIntegerOrZero("12a"), 0);
  EXPECT_EQ(TraceIntegerOrZero("abc"), 0);
}

TEST(TraceFrames, ReadRateFollowsTheSetupRate) {
  EXPECT_EQ(TracePageBaudIndex(2400), 0);
  EXPECT_EQ(TracePageBaudIndex(4800), 0);
  EXPECT_EQ(TracePageBaudIndex(9600), 1);
  EXPECT_EQ(TracePageBaudIndex(19200), 2);
  EXPECT_EQ(TracePageBaudIndex(38400), 3);
  EXPECT_EQ(TracePageBaudIndex(115200), 3);
}

}  // namespace
}  // namespace vetra
