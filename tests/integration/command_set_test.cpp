// The command set against the virtual receiver on a pseudo-terminal: frames from the same encoders
// and send path the window uses, sent and answered through the receiver conversation as `vetra
// send` does, and shown by the same report texts.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include <unistd.h>

#include "app/receiver_port.h"
#include "commands/catalogue.h"
#include "commands/reply_expectation.h"
#include "commands/send_path.h"
#include "commands/store_files.h"
#include "present/reports.h"
#include "session/receiver_conversation.h"
#include "sim/virtual_receiver.h"
#include "util/clock.h"

namespace vetra {
namespace {

class QuietView final : public ISendView {
 public:
  void UncheckAcknowledgement() override {}
  void ShowSentence(const std::string& text) override { sentence = text; }
  std::string sentence;
};

class NoDisplay final : public IPassDisplay {
 public:
  void ShowPass(const PassValue&) override {}
};

class RecordingMessages final : public IMessages {
 public:
  void Show(const std::string& text, const std::string&, Kind) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

struct CommandSetIntegration : ::testing::Test {
  void SetUp() override {
    sim::SimOptions options;
    options.baud = 115200;
    options.firstFixSeconds = 0;  // satellites tracked at once: Read Ephemeris has data to send
    receiver = std::make_unique<sim::VirtualReceiver>(options);
    ASSERT_TRUE(receiver->Start()) << receiver->error();
    std::unique_ptr<IPort> port = OpenReceiverPort(receiver->devicePath(), 115200, false, messages);
    ASSERT_NE(port, nullptr);
    conversation = std::make_unique<ReceiverConversation>(
        SystemClock::instance(), [](const std::function<void()>& fn) { fn(); }, display, stores,
        ReceiverConversation::Options{});
    conversation->AttachPort(std::move(port));
    conversation->SetActive(true);
    context.writer = conversation.get();
    context.stores = &stores;
    context.accessLevel = kEngineerLevel;
  }

  // Sends catalogue command `number` and waits for its answer, as `vetra send` does.
  ExchangeOutcome SendAndWait(int number) {
    FrameBatch frames;
    context.writer = &frames;
    const SendOutcome sent = SendCommand(number, panels, context, view);
    context.writer = conversation.get();
    EXPECT_EQ(sent.status, SendOutcome::Status::Sent) << sent.message;
    Exchange exchange;
    exchange.frames = std::move(frames.frames);
    exchange.awaited = ExpectationFor(number, panels);
    answer = conversation->SendAndWait(std::move(exchange), {});
    return answer.outcome;
  }
  template <typename Fields>
  const Fields& Reply(ReplyKind kind) {
    const ReplyEvent* reply = answer.Find(kind);
    EXPECT_NE(reply, nullptr);
    return reply->as<Fields>();
  }

  RecordingMessages messages;
  NoDisplay display;
  std::unique_ptr<sim::VirtualReceiver> receiver;
  ReceiverStores stores;
  Panels panels;
  EncodeContext context;
  QuietView view;
  ExchangeResult answer;
  std::unique_ptr<ReceiverConversation> conversation;  // last: goes first
};

TEST_F(CommandSetIntegration, QueryRepliesReachTheirDisplays) {
  ASSERT_EQ(SendAndWait(kCmdQueryRevision), ExchangeOutcome::Answered);
  EXPECT_EQ(view.sentence, "25 25 f1 05 01 01 f4 0d 0a ");
  const RevisionView revision = MakeRevisionView(Reply<RevisionBlock>(ReplyKind::Revision), false);
  EXPECT_EQ(revision.revision, receiver->revision().label);
  EXPECT_FALSE(revision.date.empty());

  ASSERT_EQ(SendAndWait(kCmdBuiltInTest), ExchangeOutcome::Answered);
  const SelfTestView test =
      MakeSelfTestView(Reply<SelfTestWords>(ReplyKind::SelfTest).words, context.keptTestItem);
  EXPECT_FALSE(test.results[0].empty());
  ASSERT_TRUE(test.verdict);

  EXPECT_EQ(SendAndWait(24), ExchangeOutcome::Answered);           // Query System Setting
  EXPECT_EQ(SendAndWait(kCmdRestart), ExchangeOutcome::Answered);  // an ACK
}

TEST_F(CommandSetIntegration, ReadEphemerisFillsTheStoreSaveAndLoadUseIt) {
  ASSERT_EQ(SendAndWait(9), ExchangeOutcome::Answered);
  const auto snapshot = stores.ephemeris.Get();
  ASSERT_GT(snapshot.expectedCount, 0);
  EXPECT_EQ(snapshot.receivedCount(), snapshot.expectedCount);
  const StoreProgress progress = EphemerisProgress(snapshot);
  EXPECT_EQ(progress.count, std::to_string(snapshot.receivedCount()) + " / " +
                                std::to_string(snapshot.expectedCount));
  ASSERT_TRUE(progress.sv);
  EXPECT_EQ(*progress.sv, std::to_string(snapshot.highestPrn()));

  const auto file = std::filesystem::temp_directory_path() /
                    ("vetra_ephemeris_" + std::to_string(::getpid()) + ".bin");
  ASSERT_TRUE(SaveEphemeris(stores.ephemeris, file.string(), messages));
  EXPECT_EQ(std::filesystem::file_size(file), 3840u);
  std::filesystem::remove(file);

  int valid = 0;
  for (const auto& slot : snapshot.slots) valid += slot[0] & 1;
  const uint64_t before = receiver->commandCount();
  const SendOutcome sent = SendCommand(kCmdLoadEphemeris, panels, context, view);  // queued
  EXPECT_EQ(sent.status, SendOutcome::Status::Sent);
  ASSERT_TRUE(
      receiver->WaitForCommands(before + static_cast<uint64_t>(valid), std::chrono::seconds(5)));
  const auto commands = receiver->commands();
  int loaded = 0;
  for (const auto& command : commands) loaded += command.id == 0x0A ? 1 : 0;
  EXPECT_EQ(loaded, valid);
}

TEST_F(CommandSetIntegration, AFieldThatDoesNotConvertSendsNothing) {
  panels.pnRestart.RSTyear = "";
  const uint64_t before = receiver->commandCount();
  const SendOutcome failed = SendCommand(kCmdRestart, panels, context, view);
  EXPECT_EQ(failed.status, SendOutcome::Status::ConversionFailed);
  EXPECT_EQ(failed.message, "'' is not a valid integer value");
  // The next command is the only one the receiver hears.
  EXPECT_EQ(SendAndWait(kCmdQueryRevision), ExchangeOutcome::Answered);
  EXPECT_EQ(receiver->commandCount(), before + 1);
  EXPECT_EQ(receiver->commands().back().id, 0x05);
}

}  // namespace
}  // namespace vetra
