// The figures beside the mean and the CSV of every restart.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_path.h"
#include "ttff/ttff_statistics.h"

namespace vetra {
namespace {

TtffCycle Cycle(int number, CycleOutcome outcome, int fix = -1) {
  TtffCycle c;
  c.cycle = number;
  c.mode = TestType::Warm;
  c.restartUtc = 1'709'618'828 + number * 60;
  c.outcome = outcome;
  c.firstFixSeconds = fix;
  c.latitudeDeg = 49.2251234567;
  c.longitudeDeg = -123.1000000126;
  return c;
}

TEST(TtffStatistics, FiguresOverCountedCyclesOnly) {
  const std::vector<TtffCycle> cycles = {
      Cycle(1, CycleOutcome::NoRevision),  Cycle(1, CycleOutcome::EarlyFix, 6),
      Cycle(1, CycleOutcome::Counted, 31), Cycle(2, CycleOutcome::Counted, 45),
      Cycle(3, CycleOutcome::Counted, 33), Cycle(4, CycleOutcome::Counted, 40),
      Cycle(5, CycleOutcome::NotSent),     Cycle(5, CycleOutcome::Stopped, 38),
  };
  const TtffStatistics s = Summarise(cycles);
  EXPECT_EQ(s.counted, 4);
  EXPECT_EQ(s.restartsSent, 7);
  EXPECT_EQ(ValidCountText(s), "4 of 7");
  EXPECT_DOUBLE_EQ(*s.mean, 37.25);
  EXPECT_EQ(FormatSeconds(*s.mean), " 37.2s");  // printf rounding of 37.25, as the field shows it
  EXPECT_DOUBLE_EQ(*s.minimum, 31);
  EXPECT_DOUBLE_EQ(*s.median, 36.5);  // even count: the middle two averaged
  EXPECT_DOUBLE_EQ(*s.maximum, 45);
  // Sample deviation of 31, 33, 40, 45 about 37.25: sqrt(124.75 / 3).
  EXPECT_NEAR(*s.standardDeviation, 6.4485, 1e-4);
}

TEST(TtffStatistics, NothingCountedGivesNoFiguresAndOneGivesNoDeviation) {
  TtffStatistics s = Summarise({Cycle(1, CycleOutcome::Pending)});
  EXPECT_FALSE(s.mean);
  EXPECT_EQ(ValidCountText(s), "0 of 1");
  EXPECT_NE(SummaryText(s).find("mean        -"), std::string::npos);
  s = Summarise({Cycle(1, CycleOutcome::Counted, 2)});
  EXPECT_DOUBLE_EQ(*s.median, 2);
  EXPECT_FALSE(s.standardDeviation);
}

TEST(TtffStatistics, MeanFormatHasItsLeadingBlanks) {
  EXPECT_EQ(FormatSeconds(2), "  2.0s");
  EXPECT_EQ(FormatSeconds(35), " 35.0s");
  EXPECT_EQ(FormatSeconds(123.45), "123.5s");
}

TEST(TtffCsv, OneLinePerRestartWithWhyItCountedOrNot) {
  std::vector<TtffCycle> cycles = {Cycle(1, CycleOutcome::EarlyFix, 6),
                                   Cycle(1, CycleOutcome::Counted, 31),
                                   Cycle(2, CycleOutcome::NotSent)};
  cycles[2].detail = "WriteFile Failed 1, port gone";
  cycles[1].latitudeDeg = -cycles[1].latitudeDeg;
  cycles[1].longitudeDeg = -cycles[1].longitudeDeg;
  EXPECT_EQ(CsvText(cycles),
            "cycle,mode,restart_utc,first_fix_s,counted,reason,latitude,longitude\n"
            "1,warm,2024-03-05T06:08:08Z,6,no,\"fix under 10 s, cycle repeated\",49.225123457,"
            "-123.100000013\n"
            "1,warm,2024-03-05T06:08:08Z,31,yes,counted,-49.225123457,123.100000013\n"
            "2,warm,2024-03-05T06:09:08Z,,no,\"restart not sent: WriteFile Failed 1, port gone\",,"
            "\n");
}

TEST(TtffCsv, WritesTheFileWholeOrNotAtAll) {
  const auto folder = test::UniqueTempPath("vetra-ttff-csv");
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "ttff.csv").string();
  const std::vector<TtffCycle> cycles = {Cycle(1, CycleOutcome::Counted, 31)};
  ASSERT_TRUE(WriteCsv(path, cycles));
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary)
              .rdbuf();  // closed again: Windows removes no open file
  EXPECT_EQ(text.str(), CsvText(cycles));
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
  EXPECT_FALSE(WriteCsv((folder / "missing" / "ttff.csv").string(), cycles));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vetra
