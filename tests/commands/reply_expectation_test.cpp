#include "commands/reply_expectation.h"

#include <gtest/gtest.h>

namespace vetra {
namespace {

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
