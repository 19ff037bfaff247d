// `vetra monitor` against the virtual receiver: how it ends. Ctrl-C is the user's normal end
// (status 0); a receiver that goes away ends it with the port-failure message (status 1).
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>

#include "cli_process.h"
#include "sim/virtual_receiver.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

class MonitorWithVirtualReceiver : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SimOptions options;
    options.baud = 4800;  // the tool's own default rate
    receiver = std::make_unique<sim::VirtualReceiver>(options);
    ASSERT_TRUE(receiver->Start()) << receiver->error();
  }
  // Waits for the first position line.
  static bool Following(CliProcess& run) {
    return run.WaitForOutput(
        [](const std::string& out, const std::string&) { return out.find('\n') != out.npos; }, 30s);
  }
  std::unique_ptr<sim::VirtualReceiver> receiver;
};

TEST_F(MonitorWithVirtualReceiver, CtrlCEndsItWithStatusZero) {
  CliProcess run({"monitor", "--port", receiver->devicePath()});
  ASSERT_TRUE(Following(run)) << run.err();
  run.Signal(SIGINT);
  EXPECT_EQ(run.WaitForExit(20s), 0) << run.err();
}

TEST_F(MonitorWithVirtualReceiver, AReceiverThatGoesEndsItWithThePortFailure) {
  CliProcess run({"monitor", "--port", receiver->devicePath()});
  ASSERT_TRUE(Following(run)) << run.err();
  receiver->Stop();
  EXPECT_EQ(run.WaitForExit(20s), 1) << run.err();
  EXPECT_NE(run.err().find("the receiver's port failed"), std::string::npos) << run.err();
}

}  // namespace
}  // namespace vetra::testing
