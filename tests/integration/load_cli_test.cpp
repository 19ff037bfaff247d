// `vetra load` as a user runs it, against the virtual receiver: a termination request in the
// middle of a load stops it between pieces, as the Upgrade page's Write does, prints the verdict
// and ends with a non-zero status.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <string>

#include "cli_files.h"
#include "cli_process.h"
#include "sim/virtual_receiver.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

TEST(LoadCli, ATerminationRequestStopsTheLoadBetweenPiecesAndPrintsTheVerdict) {
  sim::SimOptions options;
  options.baud = 9600;
  sim::VirtualReceiver receiver(options);
  ASSERT_TRUE(receiver.Start()) << receiver.error();
  TempFolder folder;
  const std::string image = folder / "fw.bin";
  std::ofstream(image, std::ios::binary) << std::string(64 * 1024, '\x5A');

  CliProcess load({"load", "--port", receiver.devicePath(), "--baud", "9600", image});
  ASSERT_TRUE(load.WaitForOut("Sending data\n", 20s)) << load.out() << load.err();
  load.Signal(SIGTERM);
  EXPECT_EQ(load.WaitForExit(20s), 1) << load.err();
  EXPECT_NE(load.out().find("STOP!\n"), std::string::npos) << load.out();
  EXPECT_EQ(load.out().find("PASS!"), std::string::npos) << load.out();
}

TEST(LoadCli, AReceiverThatVanishesMidImageIsToldAsThePortFailingWithTheReason) {
  sim::SimOptions options;
  options.baud = 9600;
  sim::VirtualReceiver receiver(options);
  ASSERT_TRUE(receiver.Start()) << receiver.error();
  TempFolder folder;
  const std::string image = folder / "fw.bin";
  std::ofstream(image, std::ios::binary) << std::string(64 * 1024, '\x5A');

  CliProcess load({"load", "--port", receiver.devicePath(), "--baud", "9600", image});
  ASSERT_TRUE(load.WaitForOut("Sending data\n", 20s)) << load.out() << load.err();
  receiver.Stop();
  EXPECT_EQ(load.WaitForExit(30s), 1) << load.err();
  EXPECT_EQ(load.out().find("PASS!"), std::string::npos) << load.out();
  const std::string told = "vetra load: the receiver's port failed (unplugged?): ";
  const size_t at = load.err().find(told);
  ASSERT_NE(at, std::string::npos) << load.err();
  EXPECT_GT(load.err().size(), at + told.size() + 1) << "no reason given: " << load.err();
}

}  // namespace
}  // namespace vetra::testing
