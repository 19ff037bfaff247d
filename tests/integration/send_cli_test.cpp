// `vetra encode` and `vetra send` as a user runs them against the virtual receiver: a value the
// panel would not take is refused before anything is sent, ephemeris and almanac files go out of
// and back into the receiver, --sync takes the receiver's fix, and waiting for an answer sleeps.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli_files.h"
#include "cli_process.h"
#include "sim/virtual_receiver.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

bool Has(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(EncodeCli, RefusesWhatThePanelWouldNotTakeAndLevelsThatDoNotExist) {
  CliProcess typo({"encode", "20h", "lbUpdateRate=5Hz"});
  EXPECT_EQ(typo.WaitForExit(20s), 1);
  EXPECT_EQ(typo.out(), "");
  EXPECT_TRUE(Has(typo.err(),
                  "lbUpdateRate: '5Hz' is not accepted; it takes a whole number from "
                  "1 to 5"))
      << typo.err();
  CliProcess level({"encode", "--level", "7", "5"});
  EXPECT_EQ(level.WaitForExit(20s), 2) << level.err();
}

TEST(SendCli, ListShowsTheCommandsAndOneCommandsControls) {
  CliProcess all({"send", "--list"});
  EXPECT_EQ(all.WaitForExit(20s), 0) << all.err();
  EXPECT_TRUE(Has(all.out(), " 1  Restart(01h)\n 2  Configure IO (02h)\n")) << all.out();
  EXPECT_EQ(Count(all.out(), "\n"), 34u);

  CliProcess one({"send", "--list", "set dop"});
  EXPECT_EQ(one.WaitForExit(20s), 0) << one.err();
  EXPECT_TRUE(Has(one.out(), "Set DOP mask (0Fh), number 15, answered by ACK\n")) << one.out();
  EXPECT_TRUE(Has(one.out(), "  edHdop     integer: a whole number from 0 to 255; default"))
      << one.out();

  CliProcess slip({"send", "--list", "Set DOP Msk"});
  EXPECT_EQ(slip.WaitForExit(20s), 2);
  EXPECT_TRUE(Has(slip.err(), "did you mean 'Set DOP mask (0Fh)'?")) << slip.err();
}

class SendWithVirtualReceiver : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SimOptions options;
    options.baud = 4800;  // the tool's default rate
    options.firstFixSeconds = 0;
    receiver = std::make_unique<sim::VirtualReceiver>(options);
    ASSERT_TRUE(receiver->Start()) << receiver->error();
  }
  int Send(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
    args.insert(args.begin(), {"send", "--port", receiver->devicePath()});
    CliProcess run(args);
    const int status = run.WaitForExit(30s);
    if (out != nullptr) *out = run.out();
    if (err != nullptr) *err = run.err();
    return status;
  }
  size_t CommandsWithId(uint8_t id) const {
    size_t n = 0;
    for (const sim::CommandFrame& frame : receiver->commands()) n += frame.id == id ? 1 : 0;
    return n;
  }

  std::unique_ptr<sim::VirtualReceiver> receiver;
  TempFolder folder;
};

TEST_F(SendWithVirtualReceiver, ARefusedValueSendsNothing) {
  std::string err;
  EXPECT_EQ(Send({"0Fh", "edPdop=300"}, nullptr, &err), 1);
  EXPECT_TRUE(Has(err, "edPdop: '300' is not accepted")) << err;
  EXPECT_EQ(receiver->commandCount(), 0u);
}

TEST_F(SendWithVirtualReceiver, StoresGoToFilesAndBackIntoTheReceiver) {
  // The receiver tracks its satellites from the start (first fix at 0 s): it sends their
  // ephemerides.
  const std::string ephemeris = folder / "ephemeris.bin";
  std::string out;
  ASSERT_EQ(Send({"Read Ephemeris (09h)", "--save", ephemeris}, &out), 0) << out;
  EXPECT_TRUE(Has(out, "Saved " + ephemeris)) << out;
  const std::vector<uint8_t> saved = ReadBytes(ephemeris);
  ASSERT_EQ(saved.size(), 3840u);
  size_t valid = 0;
  for (size_t slot = 0; slot < 32; ++slot) valid += saved[slot * 120] & 1;
  ASSERT_GT(valid, 0u);

  ASSERT_EQ(Send({"0Ah", "--from", ephemeris}, &out), 0) << out;
  EXPECT_EQ(Count(out, ": ACK\n"), valid) << out;
  EXPECT_EQ(CommandsWithId(0x0A), valid);

  const std::string almanac = folder / "almanac.bin";
  ASSERT_EQ(Send({"0Bh", "--save", almanac}, &out), 0) << out;
  EXPECT_EQ(ReadBytes(almanac).size(), 1536u);
  ASSERT_EQ(Send({"0Ch", "--from", almanac}, &out), 0) << out;
  EXPECT_GT(CommandsWithId(0x0C), 0u);

  // A short file and one without a valid record are refused before the port opens.
  const std::string shortFile = folder / "short.bin";
  std::ofstream(shortFile, std::ios::binary)
      .write(reinterpret_cast<const char*>(saved.data()), 3000);
  const std::string empty = folder / "empty.bin";
  std::ofstream(empty, std::ios::binary) << std::string(3840, '\0');
  const uint64_t before = receiver->commandCount();
  std::string err;
  EXPECT_EQ(Send({"0Ah", "--from", shortFile}, nullptr, &err), 1);
  EXPECT_TRUE(Has(err, "is 3000 bytes, short of the 3840 bytes")) << err;
  EXPECT_EQ(Send({"0Ah", "--from", empty}, nullptr, &err), 1);
  EXPECT_TRUE(Has(err, "holds no record marked valid")) << err;
  EXPECT_EQ(Send({"0Ah", "--from", "/dev/zero"}, nullptr, &err), 1);
  EXPECT_TRUE(Has(err, "'/dev/zero' is a character device, not a file to read")) << err;
  EXPECT_EQ(receiver->commandCount(), before);
  EXPECT_EQ(Send({"05h", "--save", ephemeris}, nullptr, &err), 2) << err;
}

TEST_F(SendWithVirtualReceiver, SyncTakesThePositionOfTheReceiversFix) {
  std::string out;
  ASSERT_EQ(Send({"1", "--sync"}, &out), 0) << out;
  const std::vector<sim::CommandFrame> commands = receiver->commands();
  ASSERT_FALSE(commands.empty());
  const std::vector<uint8_t>& payload = commands.back().payload;
  ASSERT_EQ(payload.size(), 16u);
  // The receiver circles around 49 16.96' N, 123 07.24' W; the fields are hundredths of a degree
  // from whole minutes: 4916 -> 4926, -12307 -> -12311.
  const auto field = [&](size_t at) {
    return static_cast<int16_t>(payload[at] | payload[at + 1] << 8);
  };
  EXPECT_NEAR(field(10), 4926, 3);
  EXPECT_NEAR(field(12), -12311, 3);
}

TEST_F(SendWithVirtualReceiver, WaitingForASilentReceiverSleeps) {
  // The receiver talks at 4800; at 9600 the tool hears garbage and no answer.
  CliProcess run(
      {"send", "--port", receiver->devicePath(), "--baud", "9600", "--timeout", "2", "05h"});
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(run.WaitForExit(20s), 1);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - started;
  EXPECT_TRUE(Has(run.err(),
                  "no answer within 2 s; bytes arrive but no valid sentence: wrong baud rate? "
                  "Try `vetra scan`"))
      << run.err();
  EXPECT_LT(run.cpuSeconds(), wall.count() / 4) << "a wait that spins";
}

}  // namespace
}  // namespace vetra::testing
