#include "app/capture_slot.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/memory_sink.h"

namespace vetra {
namespace {

// Stands in for the monitoring task's AttachLog / CloseLog.
struct FakeTask {
  std::unique_ptr<IByteSink> file;
  int closes = 0;
  bool Attach(std::unique_ptr<IByteSink> f) {
    if (file != nullptr) return false;
    file = std::move(f);
    return true;
  }
  void Close() {
    if (file != nullptr) file->Close();
    file.reset();
    ++closes;
  }
};

std::unique_ptr<IByteSink> Sink() { return std::make_unique<test::MemorySink>(); }

class CaptureSlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    slot.SetListener([this](CaptureUser holder) { changes.push_back(holder); });
  }
  FakeTask task;
  CaptureSlot slot{[this](std::unique_ptr<IByteSink> f) { return task.Attach(std::move(f)); },
                   [this] {
                     task.Close();
                     return std::string();
                   }};
  std::vector<CaptureUser> changes;
};

TEST_F(CaptureSlotTest, OneCaptureAtATimeAndOnlyItsOwnerEndsIt) {
  auto log = std::make_unique<test::MemorySink>();
  const auto logRecord = log->record();
  ASSERT_TRUE(slot.Take(CaptureUser::RawLog, std::move(log)));
  EXPECT_TRUE(slot.heldBy(CaptureUser::RawLog));

  // The trace read cannot take the slot nor end the log.
  EXPECT_FALSE(slot.Take(CaptureUser::TraceRead, Sink()));
  EXPECT_FALSE(slot.Give(CaptureUser::TraceRead));
  EXPECT_FALSE(logRecord->closed);
  EXPECT_EQ(task.closes, 0);

  EXPECT_TRUE(slot.Give(CaptureUser::RawLog));
  EXPECT_EQ(task.closes, 1);
  EXPECT_TRUE(slot.free());
  EXPECT_TRUE(logRecord->closed);
  ASSERT_TRUE(slot.Take(CaptureUser::TraceRead, Sink()));
  EXPECT_TRUE(slot.Give(CaptureUser::TraceRead));
  EXPECT_EQ(changes, (std::vector<CaptureUser>{CaptureUser::RawLog, CaptureUser::None,
                                               CaptureUser::TraceRead, CaptureUser::None}));
}

TEST_F(CaptureSlotTest, RefusedByTheTaskOrGivenNothing) {
  task.file = Sink();  // the task holds a file the slot does not know of
  EXPECT_FALSE(slot.Take(CaptureUser::RawLog, Sink()));
  EXPECT_TRUE(slot.free());
  EXPECT_FALSE(slot.Take(CaptureUser::RawLog, nullptr));
  EXPECT_FALSE(slot.Take(CaptureUser::None, Sink()));
  EXPECT_TRUE(changes.empty());
  task.Close();
}

TEST_F(CaptureSlotTest, TheTaskClosingTheFileItselfFreesTheSlot) {
  ASSERT_TRUE(slot.Take(CaptureUser::RawLog, Sink()));
  task.Close();  // the port failed; the task closed the log
  slot.Released();
  EXPECT_TRUE(slot.free());
  EXPECT_FALSE(slot.Give(CaptureUser::RawLog));
  EXPECT_EQ(task.closes, 1);
}

}  // namespace
}  // namespace vetra
