#include "present/reports.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vetra {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

RevisionBlock Revision(const char* label, uint32_t date, uint32_t time, uint16_t crc) {
  RevisionBlock rev;
  std::memcpy(rev.label, label, sizeof rev.label);
  rev.date = date;
  rev.time = time;
  rev.crc = crc;
  return rev;
}

TEST(RevisionReport, DateZeroEmptiesEverything) {
  for (bool secondChip : {false, true}) {
    const RevisionView v =
        MakeRevisionView(Revision("K700_ABC_123", 0, 0x153045, 0xBEEF), secondChip);
    EXPECT_EQ(v.revision, "");
    EXPECT_EQ(v.date, "");
    EXPECT_EQ(v.time, "");
    EXPECT_EQ(v.crc, "");
  }
}

TEST(RevisionReport, FirstChipShowsBcdBytes) {
  // Date bytes 12 07 08 00 and time bytes 45 30 15 00, little-endian.
  const RevisionView v =
      MakeRevisionView(Revision("K700_ABC_123", 0x00080712, 0x00153045, 0x0A1), false);
  EXPECT_EQ(v.revision, "K700_ABC_123");
  EXPECT_EQ(v.date, "08/07/12");
  EXPECT_EQ(v.time, "15:30:45");
  EXPECT_EQ(v.crc, "00a1");
}

TEST(RevisionReport, SecondChipShowsDecimalDigits) {
  const RevisionView v = MakeRevisionView(Revision("K900R01xx0A3", 20080712, 153045, 0xBEEF), true);
  EXPECT_EQ(v.revision, "K900R010A3");  // characters 7 and 8 left out
  EXPECT_EQ(v.date, "2008/07/12");
  EXPECT_EQ(v.time, "15:30:45");
  EXPECT_EQ(v.crc, "beef");
  // Short numbers are padded with zeros before they are cut into fields.
  const RevisionView early = MakeRevisionView(Revision("K900R01xx0A3", 990101, 5, 0), true);
  EXPECT_EQ(early.date, "0099/01/01");
  EXPECT_EQ(early.time, "00:00:05");
}

TEST(RevisionReport, LabelEndsAtAZero) {
  const char label[12] = {'R', 'E', 'V', '1', 0, 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(MakeRevisionView(Revision(label, 1, 1, 1), false).revision, "REV1");
}

TEST(ClockOffsetReport, ZeroShowsNothing) {
  EXPECT_EQ(MakeClockOffsetText(0), "");
  EXPECT_EQ(MakeClockOffsetText(1234), "1234");
  EXPECT_EQ(MakeClockOffsetText(65535), "65535");
}

TEST(SelfTestReport, VerdictRule) {
  struct Case {
    const char* what;
    int32_t results[4];
    int testItem;
    std::optional<SelfTestVerdict> verdict;
  };
  const Case cases[] = {
      {"all three words good, word 3 ignored",
       {100, 100, 0, 100},
       2,
       SelfTestVerdict{"Connection OK", kGreen}},
      {"word 2 off", {100, 99, 100, 100}, 2, SelfTestVerdict{"Connection FAIL", kRed}},
      {"word 4 off", {100, 100, 100, 0}, 2, SelfTestVerdict{"Connection FAIL", kRed}},
      {"cleared before the reply", {-1, -1, -1, -1}, 2, SelfTestVerdict{"", std::nullopt}},
      {"cleared word 1 but others present",
       {-1, 100, 100, 100},
       2,
       SelfTestVerdict{"", std::nullopt}},
      {"another test item leaves the verdict", {100, 100, 100, 100}, 3, std::nullopt},
      {"another test item, failing results", {1, 2, 3, 4}, 1, std::nullopt},
  };
  for (const Case& c : cases) {
    const SelfTestView v = MakeSelfTestView(c.results, c.testItem);
    ASSERT_EQ(v.verdict.has_value(), c.verdict.has_value()) << c.what;
    if (c.verdict) {
      EXPECT_EQ(v.verdict->text, c.verdict->text) << c.what;
      EXPECT_EQ(v.verdict->background, c.verdict->background) << c.what;
    }
  }
}

TEST(SelfTestReport, ResultTexts) {
  const int32_t results[4] = {100, -1, 0, 65535};
  const SelfTestView v = MakeSelfTestView(results, 2);
  EXPECT_EQ(v.results, (std::array<std::string, 4>{"100", "", "0", "65535"}));
}

TEST(IdReports, ModuleAndCustomizedId) {
  ReceiverStores stores;
  stores.SetModuleId(0, 123456);
  stores.SetModuleId(1, -7);
  stores.SetCustomizedId("FLEET-7");
  EXPECT_EQ(MakeModuleIdText({stores.moduleId(0), stores.moduleId(1)}, 0), "123456");
  EXPECT_EQ(MakeModuleIdText({stores.moduleId(0), stores.moduleId(1)}, 1), "-7");
  EXPECT_EQ(MakeModuleIdText({stores.moduleId(0), stores.moduleId(1)}, -1), "");
  EXPECT_EQ(MakeCustomizedIdText(stores), "FLEET-7");
}

Bytes NavSettings() { return {1, 2, 50, 40, 30, 5, 1, 1, 2, 5, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}; }

TEST(SettingsReports, NavigationSettings) {
  EXPECT_EQ(MakeNavSettingsReport(NavSettings()), (Lines{
                                                      "Position Update Rate= 1",
                                                      "DOP Mask= Pdop",
                                                      "GDOP=50, PDOP=40, HDOP=30",
                                                      "Elevation Mask= 5 degree",
                                                      "DGPS= WAAS",
                                                      "1PPS= ON, Pulse Width= 100 us",
                                                      "Power save = sleep",
                                                  }));
}

TEST(SettingsReports, NavigationCodesWithoutAWord) {
  struct Case {
    size_t offset;
    std::vector<uint8_t> bytes;
    size_t line;
    const char* text;
  };
  const Case cases[] = {
      {6, {7}, 4, "DGPS= Unknown"},
      {6, {2}, 4, "DGPS= RTCM"},
      {6, {0xFF}, 4, "DGPS= Unknown"},
      {1, {4}, 1, "DOP Mask= Unknown"},
      {1, {0}, 1, "DOP Mask= No Mask"},
      {7, {0, 3, 3}, 5, "1PPS= OFF, Pulse Width= 3 us"},
      {7, {1, 0, 2}, 5, "1PPS= ON, Pulse Width= 40000 us"},
      {7, {1, 1, 0xFE}, 5, "1PPS= ON, Pulse Width= -2000 us"},
      {7, {1, 4, 9}, 5, "1PPS= ON, Pulse Width= 0 us"},
      {10, {0, 0}, 6, "Power save = disable"},
      {10, {0x2C, 0x01}, 6, "Power Save = 300"},
      {0, {0xFB}, 0, "Position Update Rate= -5"},
  };
  for (const Case& c : cases) {
    Bytes p = NavSettings();
    std::copy(c.bytes.begin(), c.bytes.end(), p.begin() + static_cast<long>(c.offset));
    EXPECT_EQ(MakeNavSettingsReport(p).at(c.line), c.text);
  }
}

Bytes SysSettings() {
  Bytes p(48, 0);
  const uint8_t head[] = {5, 3, 1, 1, 0, 1, 1, 5, 0, 0xFF, 1, 8, 30, 0, 1, 1};
  std::copy(std::begin(head), std::end(head), p.begin());
  p[16] = 23;  // ellipsoid index
  const double a = 6378137.0, inverseF = 298.257223563;
  std::memcpy(&p[18], &a, 8);
  std::memcpy(&p[26], &inverseF, 8);
  const int16_t deltas[] = {-87, -98, -121};
  std::memcpy(&p[34], deltas, 6);
  return p;
}

TEST(SettingsReports, SystemSettings) {
  EXPECT_EQ(MakeSysSettingsReport(SysSettings()), (Lines{
                                                      "Baudrate: COM1=5, COM2=3",
                                                      "NMEA check sum=ON",
                                                      "Period: RMC=1, VTG=0, GGA=1, GSA=1",
                                                      "            GSV=5, GLL=0, ZDA=-1",
                                                      "Output= NMEA",
                                                      "Locale: H=8,M=30,S=0,Adjust=1",
                                                      "            Time Localized=ON",
                                                      "Ellipsoid Index= 23",
                                                      "            A= 6378137.000000",
                                                      "            1/F= 298.257224",
                                                      "Datum Delta X= -87",
                                                      "            Delta Y= -98",
                                                      "            Delta Z= -121",
                                                  }));
}

TEST(SettingsReports, SystemOutputFormats) {
  const std::pair<uint8_t, const char*> cases[] = {
      {0, "Output= Disable"},
      {1, "Output= NMEA"},
      {2, "Output= Binary (temporary)"},
      {3, "Output= Binary (Permanent)"},
      {4, "Output= Unknown"},
      {0xFF, "Output= Unknown"},
  };
  for (const auto& [code, text] : cases) {
    Bytes p = SysSettings();
    p[10] = code;
    EXPECT_EQ(MakeSysSettingsReport(p).at(4), text);
  }
}

TEST(SettingsReports, ShortPayloadReadsAsZeros) {
  const Lines lines = MakeSysSettingsReport(Bytes{5});
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[0], "Baudrate: COM1=5, COM2=0");
  EXPECT_EQ(lines[12], "            Delta Z= 0");
  EXPECT_EQ(MakeNavSettingsReport({}).size(), 7u);
}

TraceStatus Status(int state) {
  TraceStatus s;
  s.state = state;
  s.totalSizeBytes = 114688;
  s.usedPercent = 57;
  s.recordsLogged = 12345;
  s.optionFlags = 0x05;
  s.minTimeSeconds = 30;
  s.minDistanceM = 500;
  s.minSpeedKmh = 36;
  return s;
}

TEST(TraceReports, Full) {
  const TraceReport r = MakeFullTraceReport(Status(1), "Stop");
  EXPECT_EQ(r.trcStatus, "Recording...");
  EXPECT_EQ(r.traceStatus, "Recording...");
  EXPECT_FALSE(r.traceStatusFont.has_value());
  EXPECT_EQ(r.usedPercent, "57");
  EXPECT_EQ(r.recordsLogged, "12345");
  ASSERT_TRUE(r.config.has_value());
  EXPECT_EQ(*r.config, (Lines{
                           "Total size= 114688 Byte",
                           "Stop on Full= ON",
                           "Log on Poweron= OFF",
                           "Extended= ON",
                           "min time = 30 second",
                           "min distance = 500 meter",
                           "min speed = 36 KMH",
                       }));
}

TEST(TraceReports, StateTexts) {
  const std::pair<int, const char*> cases[] = {
      {0, "Stop"},         {1, "Recording..."},  {2, "Reading..."},
      {3, "shown before"}, {-1, "shown before"},
  };
  for (const auto& [state, text] : cases) {
    EXPECT_EQ(MakeFullTraceReport(Status(state), "shown before").trcStatus, text);
    const TraceReport shortReport = MakeShortTraceReport(Status(state), "shown before");
    EXPECT_EQ(shortReport.trcStatus, text);
    EXPECT_EQ(shortReport.traceStatus, text);
  }
}

TEST(TraceReports, ShortTurnsTheStatusGreenAndLeavesTheConfiguration) {
  const TraceReport r = MakeShortTraceReport(Status(2), "");
  EXPECT_EQ(r.traceStatusFont, kGreen);
  EXPECT_FALSE(r.config.has_value());
  EXPECT_EQ(r.usedPercent, "57");
  EXPECT_EQ(r.recordsLogged, "12345");
}

TEST(TestResultReport, Verdict) {
  EXPECT_EQ(MakeTestResultView(true).text, "TEST FAIL!");
  EXPECT_EQ(MakeTestResultView(true).font, kRed);
  EXPECT_EQ(MakeTestResultView(false).text, "TEST OK!");
  EXPECT_EQ(MakeTestResultView(false).font, kGreen);
}

}  // namespace
}  // namespace vetra
