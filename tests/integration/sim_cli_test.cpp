// `vetra sim` as a user starts it: it names the rate the module answers at.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>

#include "cli_process.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

TEST(SimCli, NamesTheRateTheModuleAnswersAt) {
  // In its ROM loader the module talks at 115200, whatever --baud says.
  CliProcess boot({"sim", "--boot-monitor", "--baud", "9600"});
  ASSERT_TRUE(boot.WaitForErr("Ctrl-C stops it", 20s)) << boot.err();
  EXPECT_NE(boot.err().find(" at 115200 baud on "), std::string::npos) << boot.err();
  boot.Signal(SIGINT);
  EXPECT_EQ(boot.WaitForExit(20s), 0);

  CliProcess running({"sim", "--baud", "19200"});
  ASSERT_TRUE(running.WaitForErr("Ctrl-C stops it", 20s)) << running.err();
  EXPECT_NE(running.err().find(" at 19200 baud on "), std::string::npos) << running.err();
  running.Signal(SIGINT);
  EXPECT_EQ(running.WaitForExit(20s), 0);
}

}  // namespace
}  // namespace vetra::testing
