// `vetra stats` and `vetra decode --brief` as a user runs them: the JSON object's keys and
// figures for a log of a receiver standing still, the exit statuses of a log without a fix (with
// the reason in numbers) and of a reference that does not read; logs of any receiver ($GN
// talkers, LF line ends; a real capture whose GGA is longer than 80 characters gives heights);
// one brief line per epoch, dated only once the receiver gave a date.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_files.h"
#include "cli_process.h"
#include "support/static_log.h"

namespace vetra {
namespace {

using namespace std::chrono_literals;
using testing::CliProcess;

TEST(StatsCli, JsonFiguresAndExitStatuses) {
  testing::TempFolder folder;
  std::ofstream(folder / "still.bin", std::ios::binary) << test::StaticLog({.epochs = 60}, nullptr);
  std::ofstream(folder / "nofix.bin", std::ios::binary)
      << test::NmeaSentence("GPGSA,A,1,,,,,,,,,,,,,,,");

  CliProcess stats({"stats", "--json", "--ref=49.26872428,-123.11872011", folder / "still.bin"});
  ASSERT_EQ(stats.WaitForExit(10s), 0) << stats.err();
  const nlohmann::json figures = nlohmann::json::parse(stats.out());
  EXPECT_EQ(figures["fixes"], 60);
  EXPECT_EQ(figures["fixes_by_mode"]["3D"], 60);
  EXPECT_TRUE(figures["reference_given"]);
  EXPECT_DOUBLE_EQ(figures["reference"]["latitude"], 49.26872428);
  for (const char* key : {"cep50_m", "cep95_m", "2drms_m", "horizontal_rms_m", "vertical_rms_m",
                          "max_horizontal_error_m"}) {
    ASSERT_TRUE(figures[key].is_number()) << key;
    EXPECT_LT(figures[key].get<double>(), 3.0) << key;  // 1.5 m of noise each way
  }
  EXPECT_LE(figures["cep50_m"], figures["cep95_m"]);

  CliProcess none({"stats", folder / "nofix.bin"});
  EXPECT_EQ(none.WaitForExit(10s), 1);
  EXPECT_NE(none.err().find("no 2D or 3D fix"), std::string::npos);
  EXPECT_NE(none.err().find("1 sentence"), std::string::npos) << none.err();
  CliProcess badReference({"stats", "--ref", "49.2", folder / "still.bin"});
  EXPECT_EQ(badReference.WaitForExit(10s), 2);
}

TEST(StatsCli, ALogWithNothingLikeNmeaSaysSo) {
  testing::TempFolder folder;
  std::ofstream(folder / "noise.bin", std::ios::binary) << std::string(4096, '\x55');
  CliProcess stats({"stats", folder / "noise.bin"});
  EXPECT_EQ(stats.WaitForExit(10s), 1);
  EXPECT_NE(stats.err().find("nothing that looks like NMEA"), std::string::npos) << stats.err();
}

// Today's multi-constellation receivers: $GN talker, LF-only line ends.
std::string GnLfLog(int epochs) {
  std::string log;
  for (int k = 0; k < epochs; ++k) {
    char time[32];
    std::snprintf(time, sizeof time, "1200%02d.00", k);
    std::string epoch = test::NmeaSentence(std::string("GNGGA,") + time +
                                           ",4717.6140,N,00832.5020,E,1,12,0.8,410.0,M,48.0,M,,") +
                        test::NmeaSentence(std::string("GNRMC,") + time +
                                           ",A,4717.6140,N,00832.5020,E,0.0,0.0,081226,,,A");
    for (size_t at; (at = epoch.find("\r\n")) != std::string::npos;) epoch.erase(at, 1);
    log += epoch;
  }
  return log;
}

TEST(StatsCli, GnTalkerWithLfLineEndsGivesFixesWithHeights) {
  testing::TempFolder folder;
  std::ofstream(folder / "gn.log", std::ios::binary) << GnLfLog(30);
  CliProcess stats({"stats", "--json", folder / "gn.log"});
  ASSERT_EQ(stats.WaitForExit(10s), 0) << stats.err();
  const nlohmann::json figures = nlohmann::json::parse(stats.out());
  EXPECT_EQ(figures["fixes"], 30);
  EXPECT_NEAR(figures["mean"]["height_m"].get<double>(), 458.0, 1e-6);  // 410 + 48
  EXPECT_TRUE(figures["vertical_rms_m"].is_number());
}

TEST(StatsCli, RealCaptureWithLongGgaGivesVerticalFigures) {
  const std::string capture = std::string(VETRA_TESTDATA) + "/nmea-real/mt3339.log";
  CliProcess stats({"stats", "--json", capture});
  ASSERT_EQ(stats.WaitForExit(10s), 0) << stats.err();
  const nlohmann::json figures = nlohmann::json::parse(stats.out());
  EXPECT_GT(figures["fixes"].get<int>(), 0);
  EXPECT_TRUE(figures["vertical_rms_m"].is_number()) << stats.out();
  EXPECT_NEAR(figures["mean"]["height_m"].get<double>(), 1127.7 - 19.6, 1.0);
}

TEST(DecodeBriefCli, OneLinePerEpochDatedOnceTheReceiverGaveADate) {
  // An epoch of GGA alone (no date yet), then epochs of GGA and RMC.
  testing::TempFolder folder;
  const std::string log =
      test::NmeaSentence("GPGGA,235958.00,4717.6140,N,00832.5020,E,1,09,0.9,410.0,M,48.0,M,,") +
      test::NmeaSentence("GPGGA,235959.00,4717.6140,N,00832.5020,E,1,09,0.9,410.0,M,48.0,M,,") +
      test::NmeaSentence("GPRMC,235959.00,A,4717.6140,N,00832.5020,E,0.0,0.0,081226,,,A") +
      test::NmeaSentence("GPGGA,000000.00,4717.6140,N,00832.5020,E,1,09,0.9,410.0,M,48.0,M,,") +
      test::NmeaSentence("GPRMC,000000.00,A,4717.6140,N,00832.5020,E,0.0,0.0,091226,,,A");
  std::ofstream(folder / "epochs.log", std::ios::binary) << log;
  CliProcess decode({"decode", "--brief", folder / "epochs.log"});
  ASSERT_EQ(decode.WaitForExit(10s), 0) << decode.err();
  std::istringstream out(decode.out());
  std::vector<std::string> lines;
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u) << decode.out();
  EXPECT_EQ(lines[0].rfind("23:59:58 UTC  3D  47.293567 N  8.541700 E  alt 410.0 m", 0), 0u)
      << lines[0];
  EXPECT_EQ(lines[1].rfind("2026-12-08 23:59:59 UTC  3D  ", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("2026-12-09 00:00:00 UTC  3D  ", 0), 0u) << lines[2];
  EXPECT_EQ(decode.out().find("0000-00-00"), std::string::npos);
}

}  // namespace
}  // namespace vetra
