// `vetra stats` as a user runs it: the JSON object's keys and figures for a log of a receiver
// standing still, and the exit statuses of a log without a fix and of a reference that does not
// read.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

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
  CliProcess badReference({"stats", "--ref", "49.2", folder / "still.bin"});
  EXPECT_EQ(badReference.WaitForExit(10s), 2);
}

}  // namespace
}  // namespace vetra
