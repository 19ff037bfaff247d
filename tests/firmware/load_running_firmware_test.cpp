// The load through the receiver's running firmware: start frame, acknowledge, erase, 64-byte
// chunks with a stop for the data request after every 16 KiB.
#include <gtest/gtest.h>

#include <algorithm>

#include "firmware/load_frames.h"
#include "load_harness.h"

namespace vetra {
namespace {

using test::FirmwareReceiver;
using test::LoaderHarness;

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

TEST(StartFrame, CarriesTheAddressHighWordAndTheSizeInKilobytes) {
  struct Row {
    const char* what;
    uint32_t address;
    int32_t size;
    std::vector<uint8_t> frame;
  };
  const Row rows[] = {
      {"K700, 256 KiB", 0x20000000, 262'144,
       Bytes({0x25, 0x25, 0xF1, 0x72, 0x06, 0x00, 0x20, 0x00, 0x01, 0xA4, 0x0D, 0x0A})},
      {"K900, 256 KiB", 0x21000000, 262'144,
       Bytes({0x25, 0x25, 0xF1, 0x72, 0x06, 0x00, 0x21, 0x00, 0x01, 0xA5, 0x0D, 0x0A})},
      {"K700, 40 KiB", 0x20000000, 40'960,
       Bytes({0x25, 0x25, 0xF1, 0x72, 0x06, 0x00, 0x20, 0x28, 0x00, 0x8D, 0x0D, 0x0A})},
      {"512 KiB, odd address", 0x1234ABCD, 524'288,
       Bytes({0x25, 0x25, 0xF1, 0x72, 0x06, 0x34, 0x12, 0x00, 0x02, 0xA1, 0x0D, 0x0A})},
  };
  for (const Row& row : rows) {
    const auto frame = BuildStartFrame(row.address, row.size);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.end()), row.frame) << row.what;
  }
  EXPECT_EQ(std::vector<uint8_t>(kEraseFrame.begin(), kEraseFrame.end()),
            Bytes({0x25, 0x25, 0xF1, 0x73, 0x82, 0x0D, 0x0A}));
}

TEST(StartFrame, AddressTextIsReadAsHexadecimal) {
  EXPECT_EQ(ReadLoadAddress("20000000"), 0x20000000u);
  EXPECT_EQ(ReadLoadAddress("21000000"), 0x21000000u);
  EXPECT_EQ(ReadLoadAddress("  0x2100zz"), 0x2100u);
  EXPECT_EQ(ReadLoadAddress("zz"), 0u);
  EXPECT_EQ(ParseLoadAddress("21000000"), 0x21000000u);
  EXPECT_EQ(ParseLoadAddress("0x20000000"), 0x20000000u);
  EXPECT_FALSE(ParseLoadAddress(""));
  EXPECT_FALSE(ParseLoadAddress("2000000G"));
  EXPECT_FALSE(ParseLoadAddress("120000000"));
}

TEST(RunningFirmwareLoad, FortyKilobytesStopAfterSixteenAndThirtyTwoOnlyAndPass) {
  LoaderHarness h;
  test::FillImage(h.image, 40 * 1024);
  FirmwareReceiver receiver(h.port, {});
  h.task.Start(false, 0x21000000, 9600);
  ASSERT_TRUE(h.Reaches(LoadState::ProgramOk));

  EXPECT_EQ(h.display.result, "PASS!");
  EXPECT_EQ(h.display.resultColour, ResultColour::Green);
  EXPECT_EQ(receiver.startFrames, 1);
  EXPECT_EQ(receiver.requestOffsets, (std::vector<int>{16'384, 32'768}));
  const auto image = h.image.data();
  EXPECT_TRUE(std::equal(image.begin(), image.end(), receiver.data.begin(), receiver.data.end()));

  // The writes: start frame (K900 address), erase frame, then 640 chunks of 64 bytes.
  const auto writes = h.port.writes();
  ASSERT_EQ(writes.size(), 2u + 640u);
  EXPECT_EQ(writes[0],
            Bytes({0x25, 0x25, 0xF1, 0x72, 0x06, 0x00, 0x21, 0x28, 0x00, 0x8C, 0x0D, 0x0A}));
  EXPECT_EQ(writes[1], std::vector<uint8_t>(kEraseFrame.begin(), kEraseFrame.end()));
  EXPECT_TRUE(
      std::all_of(writes.begin() + 2, writes.end(), [](const auto& w) { return w.size() == 64; }));
  // The loading rate, then back to the receiver's own rate for its revision report.
  EXPECT_EQ(h.port.resets(), (std::vector<int>{115'200, 9600}));

  // The states in order: 7, 8, 9, then 10 and 11 twice, 10, the check, 14.
  EXPECT_EQ(h.display.states,
            (std::vector<LoadState>{
                LoadState::Start, LoadState::WaitAck, LoadState::Erase, LoadState::SendData,
                LoadState::WaitRequest, LoadState::SendData, LoadState::WaitRequest,
                LoadState::SendData, LoadState::CheckCrc, LoadState::ProgramOk}));
  // Progress: 40 KiB / 128 = 320 -> a step every 384 bytes, not at offset 0; full at "PASS!".
  EXPECT_EQ(h.task.progressStep(), 384);
  EXPECT_EQ(h.display.progressMax, 128);
  EXPECT_EQ(h.display.progress, 128);

  // The one second of "Program OK!" then back to "Standby", still active, the bar still full.
  h.clock.advanceSeconds(2);
  ASSERT_TRUE(h.Reaches(LoadState::Ready, 10));
  EXPECT_EQ(h.display.pageText, "Standby");
  EXPECT_TRUE(h.display.pagesEnabled);
  EXPECT_TRUE(h.task.active());
  EXPECT_EQ(h.display.progress, 128);
}

// The last piece is not the verdict: only the restarted receiver's revision report makes "PASS!".
// The line goes back to the receiver's rate once the last bytes can have left; without a report
// the revision is asked once after 5 s, and without any answer the load is "NOT CONFIRMED"
// (amber) 15 s after the last piece.
TEST(RunningFirmwareLoad, PassOnlyWhenTheRestartedReceiverReportsItsRevision) {
  using Revision = FirmwareReceiver::Revision;
  struct Row {
    const char* what;
    Revision revision;
    int queries;
    const char* verdict;
    ResultColour colour;
    std::vector<LoadState> states;  // from the last piece on
    int64_t verdictAfterMs;         // at least this long after the last piece
  };
  const Row rows[] = {
      {"reports after its restart",
       Revision::AfterRestart,
       0,
       "PASS!",
       ResultColour::Green,
       {LoadState::CheckCrc, LoadState::ProgramOk},
       0},
      {"answers when asked",
       Revision::OnlyWhenAsked,
       1,
       "PASS!",
       ResultColour::Green,
       {LoadState::CheckCrc, LoadState::CheckRevision, LoadState::ProgramOk},
       5'000},
      {"silent after the last piece",
       Revision::Never,
       1,
       "NOT CONFIRMED",
       ResultColour::Amber,
       {LoadState::CheckCrc, LoadState::CheckRevision, LoadState::Ready},
       15'000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    LoaderHarness h;
    test::FillImage(h.image, 2 * 1024);
    FirmwareReceiver receiver(h.port, {.revision = row.revision});
    h.task.Start(false, 0x20000000, 9600);
    ASSERT_TRUE(h.Reaches(LoadState::CheckCrc));
    const int64_t lastPiece = h.clock.nowMs();
    const size_t shownBefore = h.display.states.size() - 1;
    ASSERT_TRUE(h.RunUntil([&] { return !h.display.results.empty(); }));
    EXPECT_GE(h.clock.nowMs() - lastPiece, row.verdictAfterMs);
    EXPECT_LT(h.clock.nowMs() - lastPiece, row.verdictAfterMs + 2'000);
    EXPECT_EQ(h.display.results, std::vector<std::string>{row.verdict});
    EXPECT_EQ(h.display.resultColour, row.colour);
    EXPECT_EQ(std::vector<LoadState>(h.display.states.begin() + static_cast<ptrdiff_t>(shownBefore),
                                     h.display.states.end()),
              row.states);
    EXPECT_EQ(h.port.resets(), (std::vector<int>{115'200, 9600}));
    EXPECT_EQ(receiver.queries, row.queries);
    if (row.queries > 0) {
      const auto last = h.port.writes().back();
      EXPECT_EQ(last, std::vector<uint8_t>(kQueryRevisionFrame.begin(), kQueryRevisionFrame.end()));
    }
  }
  EXPECT_EQ(std::vector<uint8_t>(kQueryRevisionFrame.begin(), kQueryRevisionFrame.end()),
            Bytes({0x25, 0x25, 0xF1, 0x05, 0x01, 0x01, 0xF4, 0x0D, 0x0A}));
}

// The pass that sends the start frame has read the running firmware's output up to a sentence
// cut off by the switch to the loading rate; what follows the purge is the acknowledgement.
TEST(RunningFirmwareLoad, ASentenceCutOffByTheRateSwitchDoesNotHideTheAcknowledgement) {
  LoaderHarness h;
  test::FillImage(h.image, 1024);
  FirmwareReceiver receiver(h.port, {});
  h.port.QueueRead(test::Sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1") + "$G");
  h.task.Start(false);
  ASSERT_TRUE(h.Reaches(LoadState::ProgramOk, 1'000)) << testing::PrintToString(h.display.states);
  EXPECT_EQ(h.display.result, "PASS!");
  EXPECT_EQ(receiver.data.size(), 1024u);
}

TEST(RunningFirmwareLoad, SendsWithoutPausingWhileSendingData) {
  LoaderHarness h;
  test::FillImage(h.image, 16 * 1024);
  FirmwareReceiver receiver(h.port, {});
  h.task.Start(false);
  ASSERT_TRUE(h.Reaches(LoadState::SendData));
  const int sleepsBefore = h.clock.sleeps();
  const int64_t before = h.clock.nowMs();
  ASSERT_TRUE(h.Reaches(LoadState::CheckCrc));
  // 256 chunks, no time passing: the passes of SendData sleep 0 ms.
  EXPECT_EQ(h.clock.nowMs(), before);
  EXPECT_GE(h.clock.sleeps() - sleepsBefore, 255);
  EXPECT_EQ(receiver.data.size(), 16u * 1024u);
  EXPECT_EQ(h.display.statusText, "check CRC data");
}

TEST(RunningFirmwareLoad, StateTextsFollowTheLoad) {
  LoaderHarness h;
  test::FillImage(h.image, 1024);
  FirmwareReceiver receiver(h.port, {.acknowledge = false});
  h.task.Start(false);
  h.Passes(1);
  EXPECT_EQ(h.task.GetState(), LoadState::WaitAck);
  EXPECT_EQ(h.display.statusText, "Wait for response...");
  EXPECT_EQ(h.display.pageText, "Wait ...");
  EXPECT_FALSE(h.display.pagesEnabled);
}

}  // namespace
}  // namespace vetra
