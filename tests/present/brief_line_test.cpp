// The one table of fix modes (the record's number, the short and the View's texts) and the brief
// line of an epoch, as `vetra decode --brief` and `vetra monitor` print it.
#include <gtest/gtest.h>

#include "epoch/fix_mode_text.h"
#include "present/decode_format.h"

namespace vetra {
namespace {

TEST(FixModeTable, RecordNumbersTextsAndCorrections) {
  struct Row {
    int32_t record;
    FixKind kind;
    const char* shortText;
    const char* label;
  };
  for (const Row& row :
       std::initializer_list<Row>{{0, {FixMode::None, FixQuality::Invalid}, "no fix", "No fix"},
                                  {1, {FixMode::TwoD, FixQuality::Autonomous}, "2D", "2D"},
                                  {2, {FixMode::ThreeD, FixQuality::Autonomous}, "3D", "3D"},
                                  {3, {FixMode::ThreeD, FixQuality::Differential}, "3D+", "3D+"}}) {
    ASSERT_EQ(FixOfRecordMode(row.record), row.kind) << row.record;
    EXPECT_STREQ(FixShortText(row.kind), row.shortText);
    EXPECT_STREQ(FixLabelText(row.kind), row.label);
  }
  EXPECT_FALSE(FixOfRecordMode(-1));
  EXPECT_FALSE(FixOfRecordMode(4));
  EXPECT_STREQ(FixShortText({FixMode::ThreeD, FixQuality::RtkFixed}), "3D+");
  EXPECT_STREQ(FixShortText({FixMode::ThreeD, FixQuality::DeadReckoning}), "3D");
  EXPECT_STREQ(FixShortText({FixMode::TwoD, FixQuality::Differential}), "2D");
}

Epoch FixEpoch() {
  Epoch e;
  e.timeOfDayMs = (3 * 3600 + 1) * 1000LL;
  e.date = UtcDate{2008, 7, 12};
  e.mode = FixMode::ThreeD;
  e.quality = FixQuality::Autonomous;
  e.latitudeDeg = 49.225;
  e.longitudeDeg = 121.5;
  e.altitudeMslM = 105.24;
  e.speedMs = 5.0;
  e.trackDeg = 87.2;
  e.satellitesUsed = 8;
  e.hasSky = true;
  e.satellites.resize(12);
  return e;
}

TEST(BriefLine, OneLinePerEpochWithItsDateOrItsTimeAlone) {
  struct Case {
    const char* what;
    void (*change)(Epoch&);
    const char* line;
  };
  const Case cases[] = {
      {"whole", [](Epoch&) {},
       "2008-07-12 03:00:01 UTC  3D  49.225000 N  121.500000 E  alt 105.2 m  18 km/h  hdg 87  "
       "sats 8/12\n"},
      {"no date yet: the time alone", [](Epoch& e) { e.date.reset(); },
       "03:00:01 UTC  3D  49.225000 N  121.500000 E  alt 105.2 m  18 km/h  hdg 87  sats 8/12\n"},
      {"south, west, differential",
       [](Epoch& e) {
         e.latitudeDeg = -33.5;
         e.longitudeDeg = -0.25;
         e.quality = FixQuality::Differential;
       },
       "2008-07-12 03:00:01 UTC  3D+  33.500000 S  0.250000 W  alt 105.2 m  18 km/h  hdg 87  "
       "sats 8/12\n"},
      {"no fix, nothing known",
       [](Epoch& e) {
         e = Epoch{};
         e.timeOfDayMs = 59'000;
       },
       "00:00:59 UTC  no fix  -  -  alt - m  - km/h  hdg -  sats -/-\n"},
      {"used counted from the sky",
       [](Epoch& e) {
         e.satellitesUsed = -1;
         e.satellites[0].used = e.satellites[3].used = true;
       },
       "2008-07-12 03:00:01 UTC  3D  49.225000 N  121.500000 E  alt 105.2 m  18 km/h  hdg 87  "
       "sats 2/12\n"},
  };
  for (const Case& c : cases) {
    Epoch epoch = FixEpoch();
    c.change(epoch);
    std::string out;
    BriefLineWriter().Append(out, epoch);
    EXPECT_EQ(out, c.line) << c.what;
  }
}

TEST(BriefLine, MillisecondsOnceAnEpochHadAFraction) {
  BriefLineWriter writer;
  std::string out;
  Epoch epoch = FixEpoch();
  writer.Append(out, epoch);
  epoch.timeOfDayMs += 100;
  writer.Append(out, epoch);
  epoch.timeOfDayMs += 900;
  writer.Append(out, epoch);
  EXPECT_EQ(out.substr(0, 24), "2008-07-12 03:00:01 UTC ");
  const size_t second = out.find('\n') + 1;
  EXPECT_EQ(out.substr(second, 28), "2008-07-12 03:00:01.100 UTC ");
  EXPECT_EQ(out.substr(out.find('\n', second) + 1, 28), "2008-07-12 03:00:02.000 UTC ");
}

}  // namespace
}  // namespace vetra
