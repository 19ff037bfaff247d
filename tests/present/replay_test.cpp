// A recorded log replayed into the receiver conversation as fast as possible ends on the same
// record as `vetra decode` of the same log, and every epoch of it reaches the pass values.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/replay_port.h"
#include "present/decode_stream.h"
#include "session/receiver_conversation.h"
#include "support/fake_clock.h"
#include "support/static_log.h"

namespace vetra {
namespace {

class LastPass : public IPassDisplay {
 public:
  void ShowPass(const PassValue& pass) override {
    if (pass.navigation) record = pass.navigation->record;
    for (const Epoch& epoch : pass.epochs) fixes += epoch.hasFix();
  }
  std::optional<TNavRecord> record;
  size_t fixes = 0;
};

TEST(Replay, AsFastAsPossibleEndsOnTheRecordThatDecodeEndsOn) {
  const std::string log = test::StaticLog({.epochs = 300}, nullptr);

  DecodeStream decode(DecodeStream::Format::None, DecodeStream::kDefaultRunBytes,
                      [](std::string_view) {});
  decode.Feed(reinterpret_cast<const uint8_t*>(log.data()), log.size());
  decode.Finish();
  const TNavRecord& decoded = decode.nmea().record();

  test::FakeClock clock;
  ReceiverStores stores;
  LastPass display;
  ReceiverConversation conversation(clock, [](const std::function<void()>& fn) { fn(); }, display,
                                    stores, {.startThread = false});
  auto source = std::make_shared<ReplaySource>(std::vector<uint8_t>(log.begin(), log.end()));
  source->SetSpeed(ReplaySpeed::AsFastAsPossible);
  conversation.AttachPort(std::make_unique<ReplayPort>(source, 9600, clock));
  conversation.SetActive(true);
  for (int pass = 0; pass < 1000 && !source->finished(); ++pass) conversation.RunPass();
  ASSERT_TRUE(source->finished());
  clock.advanceSeconds(1);  // the silence after the log closes its last epoch
  conversation.RunPass();

  ASSERT_TRUE(display.record);
  EXPECT_EQ(display.record->hour * 3600 + display.record->minute * 60 + display.record->second,
            decoded.hour * 3600 + decoded.minute * 60 + decoded.second);
  EXPECT_EQ(display.record->fixMode, decoded.fixMode);
  EXPECT_EQ(display.record->exact.latitudeDeg, decoded.exact.latitudeDeg);
  EXPECT_EQ(display.record->exact.longitudeDeg, decoded.exact.longitudeDeg);
  EXPECT_EQ(display.fixes, 300u);  // the passes carry every epoch, not only the last
}

}  // namespace
}  // namespace vetra
