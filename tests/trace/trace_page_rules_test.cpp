#include "trace/trace_page_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

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

// The conversation's exchanges: kept until the test answers them.
struct PostedExchange {
  Exchange exchange;
  std::function<void(const ExchangeResult&)> done;
};

// A status reply as the conversation hands it over; nullopt: no answer came.
ExchangeResult StatusAnswer(std::optional<int> state, int logged = 12) {
  ExchangeResult result;
  result.written = true;
  if (!state) return result;
  TraceStatus status;
  status.state = *state;
  status.recordsLogged = logged;
  result.outcome = ExchangeOutcome::Answered;
  result.answers.push_back({ReplyKind::TraceStatusShort, 0x8A, status});
  return result;
}

class TracePage : public testing::Test {
 protected:
  TracePage()
      : dir_(std::filesystem::temp_directory_path() /
             ("vetra-trace-page-" +
              std::string(testing::UnitTest::GetInstance()->current_test_info()->name()))) {
    std::filesystem::create_directories(dir_);
  }
  ~TracePage() override {
    attached_.reset();  // closed first: Windows removes no open file
    std::filesystem::remove_all(dir_);
  }
  TTracePage::Hooks Hooks() {
    TTracePage::Hooks hooks;
    hooks.writer = &port_;
    hooks.post = [this](Exchange exchange, std::function<void(const ExchangeResult&)> done) {
      posted_.push_back({std::move(exchange), std::move(done)});
      return true;
    };
    hooks.attachCapture = [this](std::unique_ptr<IByteSink> f, const std::string&) {
      if (slotTaken_) return false;
      attached_ = std::move(f);
      return true;
    };
    hooks.closeCapture = [this] { closed_++; };
    hooks.captureDirectory = dir_.string();
    hooks.onReadEvent = [this](ReadEvent event) { events_.push_back(event); };
    return hooks;
  }
  // Answers the oldest exchange still open.
  void Answer(const ExchangeResult& result) {
    ASSERT_LT(answered_, posted_.size());
    PostedExchange& next = posted_[answered_++];
    next.done(result);
  }
  std::vector<Frame> FramesOf(size_t exchange) const {
    return posted_.at(exchange).exchange.frames;
  }

  std::filesystem::path dir_;
  RecordingWriter port_;
  std::vector<PostedExchange> posted_;
  size_t answered_ = 0;
  std::vector<ReadEvent> events_;
  std::unique_ptr<IByteSink> attached_;
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
  EXPECT_EQ(page.ReadClick(in), TTracePage::ReadStart::NothingLogged);
  in.lbTrcLogged = "abc";
  EXPECT_EQ(page.ReadClick(in), TTracePage::ReadStart::NothingLogged);
  EXPECT_TRUE(posted_.empty());
  in.lbTrcLogged = "12";
  slotTaken_ = true;  // a raw log is running
  ASSERT_EQ(page.ReadClick(in), TTracePage::ReadStart::Asking);
  Answer(StatusAnswer(0));
  EXPECT_EQ(events_, std::vector<ReadEvent>{ReadEvent::CaptureUnavailable});
  EXPECT_TRUE(port_.frames.empty());
  EXPECT_EQ(page.traceMode(), 0);
}

// The page's read frame toggles, so the read starts only once a status says the receiver does not
// read: a read left running is stopped with the explicit stop frame first.
TEST_F(TracePage, ReadStartsOnlyOnceTheReceiverSaysItDoesNotRead) {
  const Frame status = TracePageRequestFrame();
  const Frame explicitStop = EncodeTraceRead({.rgTraceReadAction = 0, .rgTraceBaud = 3});
  struct Row {
    const char* what;
    std::vector<std::optional<int>> states;  // the status answers, in turn
    std::vector<std::vector<Frame>> exchanges;
    ReadEvent event;
  };
  const Row rows[] = {
      {"not reading", {0}, {{status}}, ReadEvent::Started},
      {"left reading", {2, 0}, {{status}, {explicitStop, status}}, ReadEvent::Started},
      {"reading after the stop",
       {2, 2},
       {{status}, {explicitStop, status}},
       ReadEvent::StillReading},
      {"no status", {std::nullopt}, {{status}}, ReadEvent::NoStatus},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    posted_.clear();
    answered_ = 0;
    events_.clear();
    port_.frames.clear();
    TTracePage page(Hooks());
    TracePageInputs in;
    in.lbTrcLogged = "12";
    in.rdTrcBaud = 3;
    ASSERT_EQ(page.ReadClick(in), TTracePage::ReadStart::Asking);
    EXPECT_FALSE(page.treeEnabled());
    EXPECT_EQ(page.ReadClick(in), TTracePage::ReadStart::Busy);
    for (const std::optional<int>& state : row.states) Answer(StatusAnswer(state, 7));
    ASSERT_EQ(posted_.size(), row.exchanges.size());
    for (size_t i = 0; i < posted_.size(); ++i) EXPECT_EQ(FramesOf(i), row.exchanges[i]) << i;
    EXPECT_EQ(events_, std::vector<ReadEvent>{row.event});
    const bool started = row.event == ReadEvent::Started;
    EXPECT_EQ(port_.frames, started ? std::vector<Frame>{TracePageReadFrame(2, true, 0, 3)}
                                    : std::vector<Frame>{});
    EXPECT_EQ(page.traceMode(), started ? 2 : 0);
    EXPECT_EQ(page.readProgressMaximum(), started ? 7 : 0);  // the fresh status's count
  }
}

TEST_F(TracePage, StopSendsTheExplicitStopAndConfirmsItWithTheStatus) {
  TTracePage page(Hooks());
  TracePageInputs in;
  in.lbTrcLogged = "12";
  in.rdTrcBaud = 1;
  ASSERT_EQ(page.ReadClick(in), TTracePage::ReadStart::Asking);
  Answer(StatusAnswer(0));
  ASSERT_EQ(page.traceMode(), 2);
  EXPECT_NE(attached_, nullptr);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "tracelog.tmp"));

  EXPECT_EQ(page.ReadClick(in), TTracePage::ReadStart::Stopped);
  EXPECT_EQ(closed_, 1);
  EXPECT_TRUE(page.treeEnabled());
  ASSERT_EQ(posted_.size(), 2u);
  EXPECT_EQ(FramesOf(1),
            (std::vector<Frame>{EncodeTraceRead({.rgTraceReadAction = 0, .rgTraceBaud = 1}),
                                TracePageRequestFrame()}));
  Answer(StatusAnswer(2));  // still reading: the user hears of it
  EXPECT_EQ(events_, (std::vector<ReadEvent>{ReadEvent::Started, ReadEvent::StopUnconfirmed}));

  // A read whose port failed ends without a frame; one whose capture failed stops the receiver.
  for (const bool stopReceiver : {false, true}) {
    const size_t before = posted_.size();
    ASSERT_EQ(page.ReadClick(in), TTracePage::ReadStart::Asking);
    Answer(StatusAnswer(0));
    page.EndRead(stopReceiver);
    EXPECT_EQ(page.traceMode(), 0);
    EXPECT_STREQ(page.readCaption(), "Start");
    EXPECT_EQ(posted_.size(), before + (stopReceiver ? 2u : 1u));
  }
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
