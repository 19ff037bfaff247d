// The load through the boot monitor: monitor program, <MPD>, "E", <ERASE>, image, <DONEhhhh>, "Z".
#include <gtest/gtest.h>

#include "load_harness.h"
#include "temp_files.h"

namespace vetra {
namespace {

using test::LoaderHarness;
using test::MonitorReceiver;

std::vector<uint8_t> Text(std::string_view s) { return {s.begin(), s.end()}; }

uint16_t WordXor(const std::vector<uint8_t>& bytes) {
  uint16_t sum = 0;
  for (size_t k = 0; k + 1 < bytes.size(); k += 2) sum ^= bytes[k] | bytes[k + 1] << 8;
  return sum;
}

TEST(BootMonitorLoad, ThreeThousandByteFileGoesAsThreePiecesAndPasses) {
  test::TempFolder folder;
  LoaderHarness h;
  ImageFileView view;
  ASSERT_TRUE(ReadImageFile(folder.WritePattern("fw.bin", 3'000), h.image, view));
  test::FillMonitor(h.monitor, 2'500);
  MonitorReceiver receiver(h.port, 2'500, 3 * 1024);
  h.task.Start(true);
  ASSERT_TRUE(h.Reaches(LoadState::ProgramOk, 1'000));

  const auto writes = h.port.writes();
  std::vector<size_t> sizes;
  for (const auto& w : writes) sizes.push_back(w.size());
  EXPECT_EQ(sizes, (std::vector<size_t>{1024, 1024, 452, 1, 1024, 1024, 1024, 1}));
  EXPECT_EQ(writes[3], Text("E"));
  EXPECT_EQ(writes[7], Text("Z"));
  // The monitor program exactly as it stands, then the image with 72 bytes of FFh at its end.
  EXPECT_EQ(receiver.program,
            std::vector<uint8_t>(h.monitor.data().begin(), h.monitor.data().end()));
  ASSERT_EQ(receiver.image.size(), 3072u);
  EXPECT_TRUE(std::all_of(receiver.image.begin() + 3000, receiver.image.end(),
                          [](uint8_t b) { return b == 0xFF; }));
  EXPECT_NE(receiver.image[2999], 0xFF);
  EXPECT_TRUE(receiver.booted);
  // The monitor reported the XOR of the 1,536 words with its bytes swapped; the host agreed.
  EXPECT_EQ(ImageXorSum(h.image), WordXor(receiver.image));

  EXPECT_EQ(h.display.states, (std::vector<LoadState>{LoadState::StartPmon, LoadState::CheckPmon,
                                                      LoadState::PmonErase, LoadState::PmonSend,
                                                      LoadState::CheckCode, LoadState::ProgramOk}));
  EXPECT_EQ(h.display.result, "PASS!");
  EXPECT_EQ(h.display.resultColour, ResultColour::Green);
  EXPECT_EQ(h.display.progressMax, 3);
  EXPECT_EQ(h.display.progress, 3);
  EXPECT_TRUE(h.port.resets().empty());  // the page already put the port at 115,200
}

TEST(BootMonitorLoad, DoneReplySplitOverTwoReadsWithAnEmptyReadBetweenIsRecognised) {
  LoaderHarness h;
  test::FillImage(h.image, 2 * 1024);
  test::FillMonitor(h.monitor, 100);
  MonitorReceiver receiver(h.port, 100, 2 * 1024);
  receiver.doneReply = "junk";  // the test answers itself
  h.task.Start(true);
  ASSERT_TRUE(h.Reaches(LoadState::CheckCode, 1'000));
  const uint16_t sum = WordXor(receiver.image);
  char digits[5];
  std::snprintf(digits, sizeof digits, "%04x", (sum >> 8 | sum << 8) & 0xFFFF);  // lower case too
  h.port.QueueRead("<DON");
  h.Passes(1);
  h.Passes(1);  // an empty read: the reply is still open, its deadline not passed
  h.port.QueueRead("E" + std::string(digits) + ">");
  h.Passes(1);
  EXPECT_EQ(h.task.GetState(), LoadState::ProgramOk);
  EXPECT_EQ(h.display.result, "PASS!");
}

TEST(BootMonitorLoad, AbandonedBracketIsGivenUpAfterThreeSecondsThenMpdIsRecognised) {
  LoaderHarness h;
  test::FillImage(h.image, 1024);
  test::FillMonitor(h.monitor, 10);
  MonitorReceiver receiver(h.port, 10, 1024);
  receiver.answerMpd = false;
  h.task.Start(true);
  ASSERT_TRUE(h.Reaches(LoadState::CheckPmon));
  h.port.QueueRead("<noise without end");
  h.Passes(1);
  EXPECT_TRUE(h.task.scanner().inReply());
  h.clock.advanceSeconds(4);  // past the reply's 3 s, within the state's 10 s
  h.Passes(1);                // the next empty read gives the reply up
  EXPECT_FALSE(h.task.scanner().inReply());
  h.port.QueueRead("<MPD>");
  h.Passes(1);
  EXPECT_EQ(h.task.GetState(), LoadState::PmonErase);
  EXPECT_EQ(h.port.writes().back(), Text("E"));
}

TEST(BootMonitorLoad, OverLongReplyIsDroppedAndTheNextReplyCounts) {
  LoaderHarness h;
  test::FillImage(h.image, 1024);
  test::FillMonitor(h.monitor, 10);
  MonitorReceiver receiver(h.port, 10, 1024);
  receiver.answerMpd = false;
  h.task.Start(true);
  ASSERT_TRUE(h.Reaches(LoadState::CheckPmon));
  h.port.QueueRead("<" + std::string(40, 'x') + "> <MPD>");
  h.Passes(1);
  EXPECT_EQ(h.task.GetState(), LoadState::PmonErase);
  EXPECT_EQ(h.task.scanner().droppedReplies(), 1u);
}

TEST(BootMonitorLoad, StopWhileSendingTheImageEndsAtStop) {
  LoaderHarness h;
  test::FillImage(h.image, 64 * 1024);
  test::FillMonitor(h.monitor, 100);
  MonitorReceiver receiver(h.port, 100, 64 * 1024);
  // The window's stop request arrives while the image goes out.
  int pieces = 0;
  auto answer = h.port.onWrite;
  h.port.onWrite = [&](const std::vector<uint8_t>& bytes) {
    answer(bytes);
    if (bytes.size() == 1024 && receiver.phase == MonitorReceiver::Phase::Image && ++pieces == 10) {
      h.task.SetActive(false);
    }
  };
  h.task.Start(true);
  ASSERT_TRUE(h.Reaches(LoadState::Stopped, 1'000));
  EXPECT_EQ(receiver.image.size(), 10u * 1024u);  // no piece after the request
  EXPECT_EQ(h.display.pageText, "STOP!");
  EXPECT_TRUE(h.display.pagesEnabled);  // stopped is idle: the tabs come back
  EXPECT_FALSE(receiver.booted);
}

}  // namespace
}  // namespace vetra
