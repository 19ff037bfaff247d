#include "trace/trace_page.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vetra {
namespace {

// The conversation's queue as the page sees it: each frame with the pause it asked for.
class RecordingWriter final : public IFrameWriter {
 public:
  bool Queue(std::span<const uint8_t> frame, int delayMs, WriteDone) override {
    frames.emplace_back(frame.begin(), frame.end());
    delays.push_back(delayMs);
    return true;
  }
  std::vector<Frame> frames;
  std::vector<int> delays;
};

class TracePage : public testing::Test {
 protected:
  TracePage()
      : dir_(std::filesystem::temp_directory_path() /
             ("vetra-trace-page-" +
              std::string(testing::UnitTest::GetInstance()->current_test_info()->name()))) {
    std::filesystem::create_directories(dir_);
  }
  ~TracePage() override {
    if (attached_) std::fclose(attached_);
    std::filesystem::remove_all(dir_);
  }
  TTracePage::Hooks Hooks() {
    return {&port_,
            [this](std::FILE* f) {
              if (slotTaken_) return false;
              attached_ = f;
              return true;
            },
            [this] { closed_++; },
            {},
            dir_.string()};
  }

  std::filesystem::path dir_;
  RecordingWriter port_;
  std::FILE* attached_ = nullptr;
  bool slotTaken_ = false;
  int closed_ = 0;
};

TEST_F(TracePage, RecordLocksTheTreeAndCarriesThePanelValues) {
  TTracePage page(Hooks());
  TracePageInputs in;
  in.lbTrcDistance = "100";
  in.lbTrcPeriod = "5";
  page.RecordClick(in);
  EXPECT_EQ(page.traceMode(), 1);
  EXPECT_FALSE(page.treeEnabled());
  EXPECT_STREQ(page.recordCaption(), "Stop");
  page.RecordClick(in);
  EXPECT_TRUE(page.treeEnabled());
  ASSERT_EQ(port_.frames.size(), 2u);
  EXPECT_EQ(port_.frames[0], TracePageRecordFrame(1, 100, 5, 65535));
  EXPECT_EQ(port_.frames[0][4], 0x03);  // starting
  EXPECT_EQ(port_.frames[1][4], 0x02);  // stopping
}

TEST_F(TracePage, ReadNeedsLoggedRecordsAndTheCaptureSlot) {
  TTracePage page(Hooks());
  TracePageInputs in;
  in.lbTrcLogged = "0";
  EXPECT_EQ(page.ReadClick(in, 0), TTracePage::ReadStart::NothingLogged);
  in.lbTrcLogged = "abc";
  EXPECT_EQ(page.ReadClick(in, 12), TTracePage::ReadStart::NothingLogged);
  in.lbTrcLogged = "12";
  slotTaken_ = true;  // a raw log is running
  EXPECT_EQ(page.ReadClick(in, 12), TTracePage::ReadStart::CaptureUnavailable);
  EXPECT_TRUE(port_.frames.empty());
  EXPECT_EQ(page.traceMode(), 0);
}

TEST_F(TracePage, ReadStartsCaptureAndStopRequestsStatus) {
  TTracePage page(Hooks());
  TracePageInputs in;
  in.lbTrcLogged = "12";
  in.rdTrcBaud = 3;
  ASSERT_EQ(page.ReadClick(in, 12), TTracePage::ReadStart::Started);
  EXPECT_NE(attached_, nullptr);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "tracelog.tmp"));
  EXPECT_EQ(page.readProgressMaximum(), 12);
  EXPECT_FALSE(page.treeEnabled());
  EXPECT_EQ(page.ReadClick(in, 12), TTracePage::ReadStart::Stopped);
  EXPECT_EQ(closed_, 1);
  EXPECT_EQ(port_.delays, (std::vector<int>{0, 0, 100}));  // the read frame 100 ms after Request
  ASSERT_EQ(port_.frames.size(), 3u);
  EXPECT_EQ(port_.frames[0], TracePageReadFrame(2, true, 0, 3));
  EXPECT_EQ(port_.frames[1], TracePageRequestFrame());
  EXPECT_EQ(port_.frames[2], TracePageReadFrame(0, true, 0, 3));
  EXPECT_TRUE(page.treeEnabled());
}

TEST_F(TracePage, ChoosingANodeShowsItsPanelAndFollowsTheSetupRate) {
  TTracePage page(Hooks());
  TracePageInputs in;
  page.TraceAction(1, 115200, in);
  EXPECT_EQ(page.panelIndex(), 2);
  EXPECT_EQ(page.actionText(), "Read");
  EXPECT_EQ(in.rdTrcBaud, 3);
  page.TraceAction(3, 4800, in);
  EXPECT_EQ(page.actionText(), "Convert");
  EXPECT_EQ(in.rdTrcBaud, 0);
}

}  // namespace
}  // namespace vetra
