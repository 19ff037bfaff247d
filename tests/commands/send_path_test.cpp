#include "commands/send_path.h"

#include <gtest/gtest.h>

#include "command_test_support.h"
#include "commands/encoders.h"

namespace vetra {
namespace {

using test::Hex;
using test::RecordingView;
using test::RecordingWriter;

struct SendFixture : ::testing::Test {
  Panels panels;
  RecordingWriter port;
  RecordingView view;
  ReceiverStores stores;
  EncodeContext context{
      .chip = Chip::K700, .accessLevel = kEngineerLevel, .stores = &stores, .writer = &port};
};

TEST_F(SendFixture, EchoesAndWritesTheFrameInOneCall) {
  panels.pnID.rgID = kUserKeyId;
  const SendOutcome outcome = SendCommand(14, panels, context, view);
  EXPECT_EQ(outcome.status, SendOutcome::Status::Sent);
  EXPECT_EQ(view.unchecks, 1);
  EXPECT_EQ(view.sentence, "25 25 f1 0e 01 fe 0d 0a ");
  ASSERT_EQ(port.writes.size(), 1u);
  EXPECT_EQ(port.writes[0], Hex("25 25 f1 0e 01 fe 0d 0a"));
}

TEST_F(SendFixture, NoCommandOrAdjustWeekSendsNothingAndKeepsTheEcho) {
  for (int command : {0, kCmdAdjustWeek, kCmdTraceRecord, 12}) {
    const SendOutcome outcome = SendCommand(command, panels, context, view);
    EXPECT_EQ(outcome.status, SendOutcome::Status::NothingToSend) << command;
  }
  EXPECT_EQ(view.unchecks, 4);
  EXPECT_EQ(view.sentence, "previous");
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(SendFixture, ConversionErrorAbandonsTheSend) {
  panels.pnRestart.RSTyear = "";  // a strict field has no default
  const SendOutcome outcome = SendCommand(kCmdRestart, panels, context, view);
  EXPECT_EQ(outcome.status, SendOutcome::Status::ConversionFailed);
  EXPECT_EQ(outcome.message, "'' is not a valid integer value");
  EXPECT_EQ(view.unchecks, 1);
  EXPECT_EQ(view.sentence, "previous");
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(SendFixture, AValueTheControlDoesNotAcceptIsRefusedBeforeAnythingHappens) {
  panels.pnRestart.RSTmonth = "13";
  const SendOutcome outcome = SendCommand(kCmdRestart, panels, context, view);
  EXPECT_EQ(outcome.status, SendOutcome::Status::Refused);
  ASSERT_TRUE(outcome.refused);
  EXPECT_EQ(outcome.refused->control, "RSTmonth");
  EXPECT_EQ(outcome.message,
            "RSTmonth: '13' is not accepted; it takes a whole number from 1 to 12");
  EXPECT_EQ(view.sentence, "previous");
  EXPECT_TRUE(port.writes.empty());
  // Read Ephemeris has no edits; a refused read would have cleared nothing either.
  panels.pnUpdateRate.lbUpdateRate = "5Hz";
  EXPECT_EQ(SendCommand(31, panels, context, view).status, SendOutcome::Status::Refused);
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(SendFixture, WithoutAPortNothingHappensAndTheUserIsTold) {
  stores.ephemeris.Put(8, 3, std::vector<uint8_t>(120, 1));
  context.writer = nullptr;
  for (int command : {kCmdQueryRevision, 9, kCmdLoadEphemeris, kCmdRestart}) {
    const SendOutcome outcome = SendCommand(command, panels, context, view);
    EXPECT_EQ(outcome.status, SendOutcome::Status::NoPort);
    EXPECT_EQ(outcome.message, kNoPortText);
  }
  EXPECT_EQ(view.sentence, "previous");
  EXPECT_EQ(view.cleared, "");
  EXPECT_EQ(stores.ephemeris.Get().receivedMask, 1u << 2);  // Read Ephemeris did not clear it
}

TEST_F(SendFixture, QueriesClearTheirReplyDisplays) {
  SendCommand(kCmdQueryRevision, panels, context, view);
  SendCommand(kCmdClockOffset, panels, context, view);
  SendCommand(kCmdBuiltInTest, panels, context, view);
  SendCommand(kCmdRestart, panels, context, view);
  EXPECT_EQ(view.cleared, "revision;clock;selftest;");
  EXPECT_EQ(context.keptTestItem, 2);
  EXPECT_EQ(port.writes.size(), 4u);
}

TEST_F(SendFixture, ClockOffsetIsReadBeforeItsDisplayIsCleared) {
  panels.pnClkOff.lbClockOffSet = "-2";
  SendCommand(kCmdClockOffset, panels, context, view);
  EXPECT_EQ(port.writes.at(0), Hex("25 25 f1 06 fe ff ff ff f6 0d 0a"));
}

TEST_F(SendFixture, ReadCommandsClearTheirStoreFirst) {
  stores.ephemeris.Put(8, 3, std::vector<uint8_t>(120, 1));
  stores.almanac.Put(8, 4, std::vector<uint8_t>(48, 1));
  SendCommand(9, panels, context, view);
  EXPECT_EQ(stores.ephemeris.Get().receivedMask, 0u);
  EXPECT_EQ(stores.ephemeris.Get().slots[2][0], 0);
  EXPECT_EQ(stores.almanac.Get().receivedMask, 1u << 3);
  SendCommand(11, panels, context, view);
  EXPECT_EQ(stores.almanac.Get().expectedCount, 0);
  EXPECT_EQ(stores.almanac.Get().slots[3][0], 0);
}

TEST_F(SendFixture, LoadEphemerisWritesTheStoresFramesAndEchoesNothing) {
  std::vector<uint8_t> valid(120, 0);
  valid[0] = 0x01;
  stores.ephemeris.Put(8, 17, valid);
  stores.ephemeris.Put(8, 3, valid);

  const SendOutcome outcome = SendCommand(kCmdLoadEphemeris, panels, context, view);
  EXPECT_EQ(outcome.status, SendOutcome::Status::Sent);
  EXPECT_EQ(outcome.length, 2 * 129u);
  EXPECT_EQ(view.sentence, "previous");
  EXPECT_EQ(port.writes,
            LoadEphemerisFrames(CatalogueEntryOf(kCmdLoadEphemeris), stores.ephemeris.Get()));
}

TEST_F(SendFixture, LoadEphemerisWithAnEmptyStoreWritesNothing) {
  EXPECT_EQ(SendCommand(kCmdLoadEphemeris, panels, context, view).status,
            SendOutcome::Status::NothingToSend);
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(SendFixture, APortGoneMeanwhileIsReportedNotThrown) {
  port.portGone = true;
  const SendOutcome outcome = SendCommand(kCmdQueryRevision, panels, context, view);
  EXPECT_EQ(outcome.status, SendOutcome::Status::NoPort);
  EXPECT_EQ(outcome.message, kNoPortText);
  std::vector<uint8_t> valid(120, 1);
  stores.ephemeris.Put(8, 1, valid);
  EXPECT_EQ(SendCommand(kCmdLoadEphemeris, panels, context, view).status,
            SendOutcome::Status::NoPort);
  EXPECT_TRUE(port.writes.empty());
}

TEST(EchoText, TwoLowerCaseDigitsAndASpacePerByte) {
  const uint8_t frame[] = {0x25, 0xAB, 0x0A};
  EXPECT_EQ(EchoText(frame), "25 ab 0a ");
  EXPECT_EQ(EchoText({}), "");
}

}  // namespace
}  // namespace vetra
