#include "commands/reply_wait.h"

#include <gtest/gtest.h>

#include <array>

#include "commands/catalogue.h"
#include "support/fake_clock.h"
#include "support/scripted_port.h"

namespace vetra {
namespace {

using Outcome = ReplyWaiter::Outcome;
using Type = ReplyWaiter::Event::Type;

std::vector<uint8_t> Frame(uint8_t frameClass, uint8_t id, std::vector<uint8_t> payload = {}) {
  std::array<uint8_t, 256> out{};
  const size_t length = BuildFrame(frameClass, id, payload, out);
  return {out.begin(), out.begin() + static_cast<std::ptrdiff_t>(length)};
}

std::vector<uint8_t> EphemerisReply(uint8_t expected, uint8_t prn) {
  std::vector<uint8_t> payload(122, 0);
  payload[0] = expected;
  payload[1] = prn;
  payload[2] = 0x01;
  return Frame(kClassReply, 0x83, payload);
}

// Each read stands for the port's 50 ms wait: the fake clock moves on by that much.
struct WaitFixture : ::testing::Test {
  WaitFixture() {
    port.SetReadHook([this] { clock.advanceMs(50); });
  }
  Outcome Wait(int command, Panels panels = {}) {
    ReplyWaiter waiter(stores, ExpectationFor(command, panels), clock, 3);
    const Outcome outcome = waiter.Wait(port, [this](const ReplyWaiter::Event& e) {
      events.push_back(e.type);
      ids.push_back(e.id);
    });
    revisionDate = waiter.binary().replies().revision.date;
    return outcome;
  }
  test::FakeClock clock;
  test::ScriptedPort port;
  ReceiverStores stores;
  std::vector<Type> events;
  std::vector<uint8_t> ids;
  uint32_t revisionDate = 0;
};

TEST_F(WaitFixture, AckEndsACommandWithoutReply) {
  port.QueueRead("$GPGGA,noise*00\r\n");
  port.QueueRead(Frame(kClassAck, 0x01));
  EXPECT_EQ(Wait(kCmdRestart), Outcome::Answered);
  EXPECT_EQ(events, std::vector<Type>{Type::Ack});
}

TEST_F(WaitFixture, AnswersToOtherCommandsDoNotCount) {
  port.QueueRead(Frame(kClassAck, 0x02));
  port.QueueRead(Frame(kClassNack, 0x03));
  const int64_t start = clock.nowSeconds();
  EXPECT_EQ(Wait(kCmdRestart), Outcome::Silence);
  EXPECT_TRUE(events.empty());
  EXPECT_GE(clock.nowSeconds() - start, 3);
  EXPECT_LE(clock.nowSeconds() - start, 5);
}

TEST_F(WaitFixture, NackEndsTheWait) {
  port.QueueRead(Frame(kClassNack, 0x20));
  EXPECT_EQ(Wait(31), Outcome::Nack);
  EXPECT_EQ(events, std::vector<Type>{Type::Nack});
}

TEST_F(WaitFixture, AQueryEndsWithItsReply) {
  std::vector<uint8_t> revision(22, 0);
  revision[12] = 0x12;
  auto bytes = Frame(kClassAck, 0x05);
  const auto reply = Frame(kClassReply, 0x80, revision);
  bytes.insert(bytes.end(), reply.begin(), reply.end());
  port.QueueRead(bytes);
  EXPECT_EQ(Wait(kCmdQueryRevision), Outcome::Answered);
  EXPECT_EQ(events, (std::vector<Type>{Type::Ack, Type::Reply}));
  EXPECT_EQ(ids.back(), 0x80);
  EXPECT_EQ(revisionDate, 0x12u);
}

TEST_F(WaitFixture, AnAckWithoutTheReplyIsNotAnAnswer) {
  port.QueueRead(Frame(kClassAck, 0x05));
  EXPECT_EQ(Wait(kCmdQueryRevision), Outcome::AckedOnly);
}

TEST_F(WaitFixture, AStoreReadWaitsForEveryAnnouncedSatelliteAndEachRestartsTheTimeOut) {
  port.QueueRead(Frame(kClassAck, 0x09));
  port.QueueRead(EphemerisReply(3, 4));
  for (int i = 0; i < 50; ++i) port.QueueEmptyRead();  // 2.5 s of silence
  port.QueueRead(EphemerisReply(3, 9));
  for (int i = 0; i < 50; ++i) port.QueueEmptyRead();
  port.QueueRead(EphemerisReply(3, 20));
  EXPECT_EQ(Wait(9), Outcome::Answered);
  EXPECT_EQ(events, (std::vector<Type>{Type::Ack, Type::Reply, Type::Reply, Type::Reply}));
  EXPECT_EQ(stores.ephemeris.Get().receivedMask, (1u << 3) | (1u << 8) | (1u << 19));
}

TEST_F(WaitFixture, AStoreReadThatStopsEarlyIsIncomplete) {
  port.QueueRead(EphemerisReply(3, 4));
  EXPECT_EQ(Wait(9), Outcome::Incomplete);
}

TEST_F(WaitFixture, AFailedPortEndsTheWait) {
  port.QueueFailure();
  EXPECT_EQ(Wait(kCmdRestart), Outcome::PortFailed);
}

TEST(ReplyExpectation, CustomizedIdReadWaitsForTheTextSetForTheAck) {
  Panels panels;
  EXPECT_EQ(ExpectationFor(22, panels).kind, ReplyExpectation::Kind::Reply);
  EXPECT_EQ(ExpectationFor(22, panels).replyId, 0x8D);
  panels.pnCustomizedID.rgCID = 1;
  EXPECT_EQ(ExpectationFor(22, panels).kind, ReplyExpectation::Kind::Ack);
  EXPECT_EQ(ExpectationFor(34, panels).commandId, 0xE2);
  EXPECT_EQ(ExpectationFor(11, panels).kind, ReplyExpectation::Kind::StoreRead);
}

}  // namespace
}  // namespace vetra
