#include "app/capture_slot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace vetra {
namespace {

// Stands in for the monitoring task's AttachLog / CloseLog.
struct FakeTask {
  std::FILE* file = nullptr;
  int closes = 0;
  bool Attach(std::FILE* f) {
    if (file != nullptr) return false;
    file = f;
    return true;
  }
  void Close() {
    if (file != nullptr) std::fclose(file);
    file = nullptr;
    ++closes;
  }
};

class CaptureSlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    slot.SetListener([this](CaptureUser holder) { changes.push_back(holder); });
  }
  FakeTask task;
  CaptureSlot slot{[this](std::FILE* f) { return task.Attach(f); },
                   [this] {
                     task.Close();
                     return std::string();
                   }};
  std::vector<CaptureUser> changes;
};

TEST_F(CaptureSlotTest, OneCaptureAtATimeAndOnlyItsOwnerEndsIt) {
  std::FILE* log = std::tmpfile();
  std::FILE* trace = std::tmpfile();
  ASSERT_TRUE(slot.Take(CaptureUser::RawLog, log));
  EXPECT_TRUE(slot.heldBy(CaptureUser::RawLog));

  // The trace read cannot take the slot nor end the log.
  EXPECT_FALSE(slot.Take(CaptureUser::TraceRead, trace));
  EXPECT_FALSE(slot.Give(CaptureUser::TraceRead));
  EXPECT_EQ(task.file, log);
  EXPECT_EQ(task.closes, 0);

  EXPECT_TRUE(slot.Give(CaptureUser::RawLog));
  EXPECT_EQ(task.closes, 1);
  EXPECT_TRUE(slot.free());
  ASSERT_TRUE(slot.Take(CaptureUser::TraceRead, trace));  // the refused file was still ours
  EXPECT_TRUE(slot.Give(CaptureUser::TraceRead));
  EXPECT_EQ(changes, (std::vector<CaptureUser>{CaptureUser::RawLog, CaptureUser::None,
                                               CaptureUser::TraceRead, CaptureUser::None}));
}

TEST_F(CaptureSlotTest, RefusedByTheTaskOrGivenNothing) {
  std::FILE* other = std::tmpfile();
  task.file = other;  // the task holds a file the slot does not know of
  std::FILE* log = std::tmpfile();
  EXPECT_FALSE(slot.Take(CaptureUser::RawLog, log));
  EXPECT_TRUE(slot.free());
  EXPECT_FALSE(slot.Take(CaptureUser::RawLog, nullptr));
  EXPECT_FALSE(slot.Take(CaptureUser::None, log));
  EXPECT_TRUE(changes.empty());
  std::fclose(log);
  task.Close();
}

TEST_F(CaptureSlotTest, TheTaskClosingTheFileItselfFreesTheSlot) {
  ASSERT_TRUE(slot.Take(CaptureUser::RawLog, std::tmpfile()));
  task.Close();  // the port failed; the task closed the log
  slot.Released();
  EXPECT_TRUE(slot.free());
  EXPECT_FALSE(slot.Give(CaptureUser::RawLog));
  EXPECT_EQ(task.closes, 1);
}

}  // namespace
}  // namespace vetra
