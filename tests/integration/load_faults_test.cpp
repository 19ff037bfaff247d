// A receiver that fails during a firmware load, over a pseudo-terminal with the virtual receiver:
// each fault ends in its red verdict, the loader goes back to "Standby", nothing crashes or hangs.
// Every fault is switched on before the load starts and strikes at its own step, so no test races
// the loader. The loader's seconds stand still: a fault the receiver shows at once (a refusal, a
// wrong checksum, a dropped line) cannot lose to a time-out on a slow machine, and for a missing
// answer the test waits until the loader waits, then moves the clock past its time-out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "load_support.h"

namespace vetra::test {
namespace {

using Action = std::function<void(LoadBench&)>;

struct FaultCase {
  const char* name;
  LoadSetup setup;
  Action before;                               // switched on before Write
  LoadState skipState = LoadState::NeedSetup;  // once the loader waits in this state ...
  int skipSeconds = 0;                         // ... its clock moves ahead by this much
  std::vector<std::string> verdicts;           // what the result label may say (red)
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
std::string CaseName(const testing::TestParamInfo<FaultCase>& info) { return info.param.name; }

class LoadFault : public testing::TestWithParam<FaultCase> {};

TEST_P(LoadFault, EndsInItsRedVerdictAndTheLoaderIsReadyAgain) {
  const FaultCase& c = GetParam();
  LoadBench bench(c.setup);
  bench.clock.StopTime();
  ASSERT_EQ(bench.Prepare(), "");
  if (c.before) c.before(bench);
  ASSERT_EQ(bench.Write(), GoResult::Started);
  if (c.skipState != LoadState::NeedSetup) {
    ASSERT_TRUE(bench.WaitForState(c.skipState)) << testing::PrintToString(bench.States());
    bench.clock.Skip(c.skipSeconds);
  }

  ASSERT_TRUE(bench.WaitForVerdictAndStandby())
      << "no verdict or no Standby; states shown: " << testing::PrintToString(bench.States())
      << ", result \"" << bench.Result() << "\"";
  EXPECT_THAT(c.verdicts, testing::Contains(bench.Result()));
  EXPECT_EQ(bench.Colour(), ResultColour::Red);
  const std::vector<LoadState> states = bench.States();
  EXPECT_EQ(std::count(states.begin(), states.end(), LoadState::ProgramOk), 0);
  EXPECT_TRUE(bench.task->active());  // ready for the next Write, not stopped
}

LoadSetup Monitor(size_t imageBytes = 3'000) {
  LoadSetup setup;
  setup.bootMonitor = true;
  setup.imageBytes = imageBytes;
  return setup;
}
LoadSetup Firmware(size_t imageBytes = 3'000, Chip chip = Chip::K700) {
  LoadSetup setup;
  setup.chip = chip;
  setup.imageBytes = imageBytes;
  return setup;
}

void Silence(LoadBench& b) { b.receiver->faults().ignoreCommands = true; }
void CorruptChecksums(LoadBench& b) { b.receiver->faults().corruptChecksums = true; }
void Refuse(LoadBench& b) { b.receiver->faults().refuseLoad = true; }
Action SilentFrom(sim::LoadStep step) {
  return [step](LoadBench& b) { b.receiver->faults().loadSilentFrom = step; };
}
void CorruptDataRequests(LoadBench& b) { b.receiver->faults().corruptDataRequests = true; }

// The boot monitor's line drops in the middle of the image: the host may be writing (the write
// fails) or already waiting for the checksum (the read fails), depending on how much of the image
// the terminal has buffered; either way the port's failure is the verdict.
void DropMidImage(LoadBench& b) {
  b.receiver->faults().dropLineAfterReceived = b.setup.monitorBytes + 1 + 2'048;
}
// The running firmware's line drops when the first 16 KiB have arrived, before it asks for more:
// the loader waits for the data request and its read fails.
void DropAfterFirstBlock(LoadBench& b) {
  constexpr uint64_t kStartFrame = 12, kEraseFrame = 7;
  b.receiver->faults().dropLineAfterReceived = kStartFrame + kEraseFrame + 16'384;
}

const FaultCase kFaults[] = {
    // Boot monitor.
    {"MonitorDoesNotAnswer", Monitor(), Silence, LoadState::CheckPmon, 11, {"PMON FAIL!"}},
    {"EraseNeverConfirmed",
     Monitor(),
     SilentFrom(sim::LoadStep::MonitorErase),
     LoadState::PmonErase,
     11,
     {"ERASE FAIL!"}},
    {"ChecksumNeverReported",
     Monitor(),
     SilentFrom(sim::LoadStep::MonitorChecksum),
     LoadState::CheckCode,
     6,
     {"CHK SUM FAIL!"}},
    {"WrongChecksumReported", Monitor(), CorruptChecksums, {}, 0, {"CHK SUM FAIL!"}},
    {"MonitorLineDroppedMidImage",
     Monitor(8'192),
     DropMidImage,
     {},
     0,
     {"SEND FAIL!", "READ FAIL!"}},
    // Running firmware.
    {"StartRefused", Firmware(), Refuse, {}, 0, {"LOAD FAIL!"}},
    {"WrongLoadAddressRefused",
     [] {
       LoadSetup setup = Firmware(3'000, Chip::K900);
       setup.loadAddress = 0x20000000;  // the K700's address: the K900 refuses it
       return setup;
     }(),
     {},
     {},
     0,
     {"LOAD FAIL!"}},
    {"FirmwareDoesNotAnswer", Firmware(), Silence, LoadState::WaitAck, 11, {"LOAD FAIL!"}},
    // The start frame is acknowledged; the erase frame is not.
    {"EraseNotConfirmed",
     Firmware(),
     SilentFrom(sim::LoadStep::FirmwareErase),
     LoadState::Erase,
     21,
     {"ERASE FAIL!"}},
    // The data request after 16 KiB comes with a wrong checksum: the loader must not take it.
    {"DataRequestWithWrongChecksum",
     Firmware(20'000),
     CorruptDataRequests,
     LoadState::WaitRequest,
     5,
     {"SEND FAIL!"}},
    {"FirmwareLineDroppedAfter16KiB", Firmware(20'000), DropAfterFirstBlock, {}, 0, {"READ FAIL!"}},
};

INSTANTIATE_TEST_SUITE_P(Receiver, LoadFault, testing::ValuesIn(kFaults), CaseName);

// After a failed load the port is left at the loading rate; the next Write goes back to the
// running firmware's rate, and the load goes through once the receiver answers again.
TEST(LoadAfterFault, TheNextWriteLoadsOnceTheReceiverAnswers) {
  LoadBench bench(Firmware(5'000));
  ASSERT_EQ(bench.Prepare(), "");
  Silence(bench);
  ASSERT_EQ(bench.Write(), GoResult::Started);
  ASSERT_TRUE(bench.WaitForState(LoadState::WaitAck));
  ASSERT_TRUE(bench.receiver->WaitForCommands(1, std::chrono::seconds(5)));
  bench.clock.Skip(11);
  ASSERT_TRUE(bench.WaitForVerdictAndStandby());
  ASSERT_EQ(bench.Result(), "LOAD FAIL!");
  EXPECT_EQ(bench.port->baudRate(), 115'200);

  bench.receiver->faults().ignoreCommands = false;
  bench.ForgetShown();
  ASSERT_EQ(bench.Write(), GoResult::Started);
  EXPECT_TRUE(bench.receiver->WaitForCommands(2, std::chrono::seconds(5)))
      << bench.receiver->garbledBytesReceived() << " bytes heard at a wrong rate";
  ASSERT_TRUE(bench.WaitForVerdict());
  EXPECT_EQ(bench.Result(), "PASS!")
      << "DIAG garbledSent=" << bench.receiver->garbledBytesSent()
      << " overrun=" << bench.receiver->overrunBytes()
      << " mode=" << static_cast<int>(bench.receiver->mode()) << " baud=" << bench.receiver->baud()
      << " states=" << testing::PrintToString(bench.States());
  const auto flash = bench.flash.Wait(std::chrono::seconds(10));
  ASSERT_TRUE(flash.has_value());
  EXPECT_TRUE(*flash == PaddedImage(bench.fileBytes));
}

}  // namespace
}  // namespace vetra::test
