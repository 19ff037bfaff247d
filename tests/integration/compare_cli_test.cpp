// `vetra compare` as a user runs it on two constructed logs with known answers
// (support/compare_drive.h): its exit statuses, the JSON object's keys, the CSV's rows, and a plot
// page that is well-formed XML holding its three plots.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli_files.h"
#include "cli_process.h"
#include "support/compare_drive.h"

namespace vetra {
namespace {

using namespace std::chrono_literals;
using testing::CliProcess;

std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
    if (line.ends_with(',')) cells.emplace_back();
    rows.push_back(cells);
  }
  return rows;
}

TEST(CompareCli, FiguresRowsAndPlotOfTwoLogs) {
  testing::TempFolder folder;
  const test::DriveLogs logs = test::Drive();
  std::ofstream(folder / "test.log", std::ios::binary) << logs.test;
  std::ofstream(folder / "ref.log", std::ios::binary) << logs.reference;

  CliProcess compare({"compare", "--json", "--csv", folder / "rows.csv", "--plot",
                      folder / "plot.svg", folder / "test.log", folder / "ref.log"});
  ASSERT_EQ(compare.WaitForExit(30s), 0) << compare.err();
  const nlohmann::json figures = nlohmann::json::parse(compare.out());
  EXPECT_EQ(figures["test_epochs"], 590);
  EXPECT_EQ(figures["compared"], 585);
  for (const char* group : {"horizontal", "vertical", "along_track", "cross_track", "ttff_s"}) {
    EXPECT_TRUE(figures[group].is_object()) << group;
  }
  EXPECT_EQ(figures["ttff_s"]["test"], 3.0);

  const auto rows = CsvRows(testing::ReadText(folder / "rows.csv"));
  ASSERT_EQ(rows.size(), 1 + logs.known.size());
  ASSERT_EQ(rows[0].size(), 20u);
  EXPECT_EQ(rows[0][7], "east_m");
  for (size_t i = 0; i < logs.known.size(); ++i) {
    const test::KnownError& k = logs.known[i];
    const auto& row = rows[i + 1];
    ASSERT_EQ(row.size(), 20u) << k.second;
    if (!k.compared) {
      EXPECT_TRUE(row[19] == "no test fix" || row[19] == "reference gap") << k.second;
      continue;
    }
    EXPECT_TRUE(row[19] == "exact" || row[19] == "interpolated") << k.second;
    EXPECT_NEAR(std::stod(row[7]), k.eastM, 1e-3) << k.second;
    EXPECT_NEAR(std::stod(row[8]), k.northM, 1e-3) << k.second;
    EXPECT_NEAR(std::stod(row[9]), k.upM, 1e-3) << k.second;
  }

  CliProcess xmllint(VETRA_XMLLINT, {"--noout", folder / "plot.svg"}, "");
  EXPECT_EQ(xmllint.WaitForExit(30s), 0) << xmllint.err();
  const std::string svg = testing::ReadText(folder / "plot.svg");
  for (const char* plot :
       {"id=\"error-over-time\"", "id=\"horizontal-distribution\"", "id=\"east-north-scatter\""}) {
    EXPECT_NE(svg.find(plot), std::string::npos) << plot;
  }
}

TEST(CompareCli, ExitStatuses) {
  testing::TempFolder folder;
  const test::DriveLogs logs = test::Drive({.seconds = 20});
  std::ofstream(folder / "test.log", std::ios::binary) << logs.test;
  std::ofstream(folder / "ref.log", std::ios::binary) << logs.reference;
  std::ofstream(folder / "nofix.log", std::ios::binary)
      << test::NmeaSentence("GPGGA,120000.00,,,,,0,00,,,M,,M,,");
  test::LogEpoch later;
  later.timeOfDayS = 12 * 3600;
  later.position = test::DrivePosition(0);
  std::ofstream(folder / "later.log", std::ios::binary) << test::NmeaEpoch("GN", later);

  CliProcess text({"compare", folder / "test.log", folder / "ref.log"});
  EXPECT_EQ(text.WaitForExit(10s), 0) << text.err();
  EXPECT_NE(text.out().find("CEP95"), std::string::npos);
  CliProcess noFix({"compare", folder / "nofix.log", folder / "ref.log"});
  EXPECT_EQ(noFix.WaitForExit(10s), 1);
  EXPECT_NE(noFix.err().find("no fix"), std::string::npos) << noFix.err();
  CliProcess apart({"compare", folder / "test.log", folder / "later.log"});
  EXPECT_EQ(apart.WaitForExit(10s), 1);
  EXPECT_NE(apart.err().find("do not overlap"), std::string::npos) << apart.err();
  CliProcess badLever({"compare", "--lever", "1,2", folder / "test.log", folder / "ref.log"});
  EXPECT_EQ(badLever.WaitForExit(10s), 2);
  CliProcess missing({"compare", folder / "none.log", folder / "ref.log"});
  EXPECT_EQ(missing.WaitForExit(10s), 2);
}

}  // namespace
}  // namespace vetra
