// Every way a load can fail ends in Ready with a red verdict, at the right time.
#include <gtest/gtest.h>

#include <memory>

#include "load_harness.h"

namespace vetra {
namespace {

using test::FirmwareReceiver;
using test::LoaderHarness;
using test::MonitorReceiver;

struct FailureRow {
  const char* what;
  bool monitorMode;
  // Scripts the receiver; returns what must live as long as the load.
  std::function<std::shared_ptr<void>(LoaderHarness&)> script;
  LoadState waitingState;  // the state that waits in vain
  int timeoutSeconds;      // 0: the failure comes at once
  const char* verdict;
};

std::shared_ptr<void> Monitor(LoaderHarness& h, const std::function<void(MonitorReceiver&)>& set) {
  auto receiver = std::make_shared<MonitorReceiver>(h.port, h.monitor.size(), h.image.size());
  set(*receiver);
  return receiver;
}

std::shared_ptr<void> Firmware(LoaderHarness& h, FirmwareReceiver::Options options) {
  return std::make_shared<FirmwareReceiver>(h.port, options);
}

const FailureRow kFailures[] = {
    {"no MPD reply", true,
     [](LoaderHarness& h) { return Monitor(h, [](MonitorReceiver& r) { r.answerMpd = false; }); },
     LoadState::CheckPmon, 10, "PMON FAIL!"},
    {"no ERASE reply", true,
     [](LoaderHarness& h) { return Monitor(h, [](MonitorReceiver& r) { r.answerErase = false; }); },
     LoadState::PmonErase, 10, "ERASE FAIL!"},
    {"DONE with five digits is no DONE", true,
     [](LoaderHarness& h) {
       return Monitor(h, [](MonitorReceiver& r) { r.doneReply = "<DONE12345>"; });
     },
     LoadState::CheckCode, 5, "CHK SUM FAIL!"},
    {"checksum differs", true,
     [](LoaderHarness& h) {
       return Monitor(h, [](MonitorReceiver& r) { r.wrongChecksum = true; });
     },
     LoadState::CheckCode, 0, "CHK SUM FAIL!"},
    {"start refused", false, [](LoaderHarness& h) { return Firmware(h, {.refuse = true}); },
     LoadState::WaitAck, 0, "LOAD FAIL!"},
    {"no start acknowledge", false,
     [](LoaderHarness& h) { return Firmware(h, {.acknowledge = false}); }, LoadState::WaitAck, 10,
     "LOAD FAIL!"},
    {"erase not confirmed", false,
     [](LoaderHarness& h) { return Firmware(h, {.confirmErase = false}); }, LoadState::Erase, 20,
     "ERASE FAIL!"},
    {"no data request", false, [](LoaderHarness& h) { return Firmware(h, {.requestsToSend = 0}); },
     LoadState::WaitRequest, 4, "SEND FAIL!"},
};

TEST(LoadFailures, EachEndsInStandbyWithItsRedVerdictAtItsTime) {
  for (const FailureRow& row : kFailures) {
    SCOPED_TRACE(row.what);
    LoaderHarness h;
    test::FillImage(h.image, 32 * 1024);
    test::FillMonitor(h.monitor, 2'000);
    auto receiver = row.script(h);
    h.task.Start(row.monitorMode);
    if (row.timeoutSeconds == 0) {
      ASSERT_TRUE(h.RunUntil(
          [&] { return h.task.GetState() == LoadState::Ready && !h.display.results.empty(); }, 50))
          << LoadPageText(h.task.GetState()) << " " << testing::PrintToString(h.display.results);
    } else {
      ASSERT_TRUE(h.Reaches(row.waitingState));
      h.Passes(5);
      // Not before its time-out: t seconds after entering the state the load still waits...
      h.clock.advanceSeconds(row.timeoutSeconds);
      h.Passes(3);
      ASSERT_EQ(h.task.GetState(), row.waitingState);
      EXPECT_TRUE(h.display.results.empty());
      // ...and within t + 1 seconds it has given up.
      h.clock.advanceSeconds(1);
      h.Passes(2);
    }
    EXPECT_EQ(h.task.GetState(), LoadState::Ready);
    EXPECT_EQ(h.display.results, std::vector<std::string>{row.verdict});
    EXPECT_EQ(h.display.resultColour, ResultColour::Red);
    EXPECT_EQ(h.display.pageText, "Standby");
    EXPECT_EQ(h.display.states.back(), LoadState::Ready);
    EXPECT_TRUE(h.display.pagesEnabled);
    EXPECT_GE(h.display.writeReleases, 1);
  }
}

TEST(LoadFailures, WriteThatFailsEndsTheLoadAtOnceWithSendFail) {
  struct Row {
    const char* what;
    bool monitorMode;
    int failingWrite;
    bool shortWrite;
  };
  const Row rows[] = {
      {"start frame throws", false, 0, false},
      {"erase frame accepted in part", false, 1, true},
      {"a data chunk throws", false, 40, false},
      {"a data chunk accepted in part", false, 300, true},
      {"monitor program piece throws", true, 1, false},
      {"\"E\" accepted in part", true, 2, true},
      {"an image piece accepted in part", true, 5, true},
      {"\"Z\" throws", true, 3 + 32, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    LoaderHarness h;
    test::FillImage(h.image, 32 * 1024);
    test::FillMonitor(h.monitor, 2'000);
    std::shared_ptr<void> receiver;
    if (row.monitorMode) {
      receiver = std::make_shared<MonitorReceiver>(h.port, 2'000, 32 * 1024);
    } else {
      receiver = std::make_shared<FirmwareReceiver>(h.port, FirmwareReceiver::Options{});
    }
    (row.shortWrite ? h.port.shortAtWrite : h.port.throwAtWrite) = row.failingWrite;
    h.task.Start(row.monitorMode);
    ASSERT_TRUE(h.RunUntil(
        [&] { return !h.display.results.empty() && h.display.results.back() == "SEND FAIL!"; },
        5'000));
    EXPECT_EQ(h.task.GetState(), LoadState::Ready);
    EXPECT_EQ(h.display.resultColour, ResultColour::Red);
    // Nothing more is written after the failing write.
    h.Passes(50);
    EXPECT_EQ(static_cast<int>(h.port.writes().size()),
              row.failingWrite + (row.shortWrite ? 1 : 0));
  }
}

TEST(LoadFailures, ReadErrorEndsTheLoadRedAndNeverSpins) {
  LoaderHarness h;
  test::FillImage(h.image, 16 * 1024);
  FirmwareReceiver receiver(h.port, {.acknowledge = false});
  h.task.Start(false);
  ASSERT_TRUE(h.Reaches(LoadState::WaitAck));
  h.port.QueueReadError();
  h.Passes(1);
  EXPECT_EQ(h.task.GetState(), LoadState::Ready);
  EXPECT_EQ(h.display.result, "READ FAIL!");
  EXPECT_EQ(h.display.resultColour, ResultColour::Red);

  // The next read error comes while no load runs: no new verdict.
  h.port.QueueReadError();
  h.Passes(3);
  EXPECT_EQ(h.display.results.size(), 1u);
}

// A port that fails during the one second of "Program OK!" does not hold the loader there: the
// verdict stands and the loader stands by on time.
TEST(LoadFailures, APortThatFailsDuringProgramOkEndsTheHoldOnTime) {
  LoaderHarness h;
  test::FillImage(h.image, 1024);
  test::FillMonitor(h.monitor, 2'000);
  MonitorReceiver receiver(h.port, 2'000, 1024);
  h.task.Start(true);
  ASSERT_TRUE(h.Reaches(LoadState::ProgramOk));
  for (int i = 0; i < 30; ++i) h.port.QueueReadError();
  h.clock.advanceSeconds(2);
  h.Passes(2);
  EXPECT_EQ(h.task.GetState(), LoadState::Ready);
  EXPECT_EQ(h.display.results, std::vector<std::string>{"PASS!"});
}

TEST(LoadFailures, ReadErrorPassPausesAHundredMilliseconds) {
  LoaderHarness h;
  h.task.SetStateQuiet(LoadState::Ready);
  h.task.SetActive(true);
  for (int i = 0; i < 10; ++i) h.port.QueueReadError();
  const int64_t start = h.clock.nowSeconds();  // the fake clock starts on a whole second
  h.Passes(10);
  // Ten failed reads took at least ten idle pauses: a second of fake time, not 10 ms.
  EXPECT_GE(h.clock.nowSeconds() - start, 1);
  EXPECT_EQ(h.port.rxCalls(), 10);
  EXPECT_TRUE(h.display.results.empty());
}

}  // namespace
}  // namespace vetra
