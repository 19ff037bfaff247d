// Both ways into the receiver's flash, for both chips, over a pseudo-terminal with the virtual
// receiver at 115,200 baud: the load ends in a green "PASS!" and the receiver holds exactly the
// image file, padded with FFh to a whole kilobyte. About 3 s per load (the receiver's erase takes
// 1.5 to 2 s), and a second more through the running firmware, until the restarted receiver
// reports its revision.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "load_support.h"

namespace vetra::test {
namespace {

struct PathCase {
  const char* name;
  LoadSetup setup;
  std::vector<LoadState> states;  // what the loader shows from Write to success
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }
std::string CaseName(const testing::TestParamInfo<PathCase>& info) { return info.param.name; }

class LoadPath : public testing::TestWithParam<PathCase> {};

TEST_P(LoadPath, EndsInPassWithTheReceiverHoldingThePaddedImage) {
  const PathCase& c = GetParam();
  LoadBench bench(c.setup);
  ASSERT_EQ(bench.Prepare(), "");
  ASSERT_EQ(bench.Write(), GoResult::Started);

  ASSERT_TRUE(bench.WaitForVerdict())
      << "no verdict; states shown: " << testing::PrintToString(bench.States());
  EXPECT_EQ(bench.Result(), "PASS!")
      << bench.receiver->commandCount() << " commands taken, "
      << bench.receiver->garbledBytesReceived() << " bytes heard at a wrong rate";
  EXPECT_EQ(bench.Colour(), ResultColour::Green);
  EXPECT_TRUE(bench.WaitForState(LoadState::ProgramOk));
  std::vector<LoadState> shown = bench.States();
  if (shown.size() > c.states.size()) shown.resize(c.states.size());  // "Standby" may follow
  EXPECT_EQ(shown, c.states);
  // Through the running firmware the line went back to the receiver's rate for its report.
  if (!c.setup.bootMonitor) {
    EXPECT_EQ(bench.port->baudRate(), c.setup.firmwareBaud);
  }

  const auto flash = bench.flash.Wait(std::chrono::seconds(10));
  ASSERT_TRUE(flash.has_value()) << "the receiver never finished writing its flash";
  const std::vector<uint8_t> expected = PaddedImage(bench.fileBytes);
  ASSERT_EQ(flash->size(), expected.size());
  EXPECT_TRUE(*flash == expected)
      << "first difference at byte "
      << std::mismatch(flash->begin(), flash->end(), expected.begin()).first - flash->begin();
  EXPECT_EQ(bench.flash.writes(), 1);
  EXPECT_EQ(bench.receiver->overrunBytes(), 0u);
  EXPECT_TRUE(bench.messages.shown().empty());

  // "Program OK!" is held one second (moved past here), then the loader is ready again.
  bench.clock.Skip(2);
  EXPECT_TRUE(bench.WaitForStandby());
}

LoadSetup Setup(Chip chip, bool bootMonitor, size_t imageBytes) {
  LoadSetup setup;
  setup.chip = chip;
  setup.bootMonitor = bootMonitor;
  setup.imageBytes = imageBytes;
  return setup;
}

using enum LoadState;
const std::vector<LoadState> kMonitorStates = {StartPmon, CheckPmon, PmonErase,
                                               PmonSend,  CheckCode, ProgramOk};
// After the last piece: "check CRC" until the restarted receiver reports its revision.
const std::vector<LoadState> kFirmwareStates = {Start,    WaitAck,  Erase,
                                                SendData, CheckCrc, ProgramOk};
// 20,000 bytes pad to 20 KiB: one stop for a data request after 16 KiB, none after the last byte.
const std::vector<LoadState> kFirmwareStatesWithRequest = {
    Start, WaitAck, Erase, SendData, WaitRequest, SendData, CheckCrc, ProgramOk};

INSTANTIATE_TEST_SUITE_P(
    BothPathsBothChips, LoadPath,
    testing::Values(PathCase{"BootMonitorK700", Setup(Chip::K700, true, 3'000), kMonitorStates},
                    PathCase{"BootMonitorK900", Setup(Chip::K900, true, 4'096), kMonitorStates},
                    PathCase{"RunningFirmwareK700", Setup(Chip::K700, false, 20'000),
                             kFirmwareStatesWithRequest},
                    PathCase{"RunningFirmwareK900", Setup(Chip::K900, false, 1), kFirmwareStates}),
    CaseName);

}  // namespace
}  // namespace vetra::test
