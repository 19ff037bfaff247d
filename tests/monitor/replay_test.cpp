// A recorded log replayed into the receiver conversation as fast as possible ends on the same
// record as `vetra decode` of the same log, and every fix of it reaches the pass values.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/replay_port.h"
#include "monitor/decode_format.h"
#include "monitor/decode_stream.h"
#include "monitor/receiver_conversation.h"
#include "support/fake_clock.h"
#include "support/static_log.h"

namespace vetra {
namespace {

class LastPass : public IPassDisplay {
 public:
  void ShowPass(const PassValue& pass) override {
    if (pass.navigation) record = pass.navigation->record;
    fixes.insert(fixes.end(), pass.fixes.begin(), pass.fixes.end());
  }
  std::optional<TNavRecord> record;
  std::vector<FixSample> fixes;
};

TEST(Replay, AsFastAsPossibleEndsOnTheRecordThatDecodeEndsOn) {
  const std::string log = test::StaticLog({.epochs = 300}, nullptr);

  std::string brief;
  DecodeStream decode(DecodeStream::Format::Brief, DecodeStream::kDefaultRunBytes,
                      [&brief](std::string_view text) { brief += text; });
  decode.Feed(reinterpret_cast<const uint8_t*>(log.data()), log.size());
  decode.Finish();
  const std::string lastDecoded = brief.substr(brief.rfind('\n', brief.size() - 2) + 1);

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
  conversation.RunPass();

  ASSERT_TRUE(display.record);
  std::string lastReplayed;
  AppendBriefLine(lastReplayed, *display.record);
  EXPECT_EQ(lastReplayed, lastDecoded);
  EXPECT_EQ(display.record->exact.latitudeDeg, decode.nmea().record().exact.latitudeDeg);
  EXPECT_EQ(display.record->exact.longitudeDeg, decode.nmea().record().exact.longitudeDeg);
  FixSeries series;
  for (const FixSample& fix : display.fixes) series.Add(fix);
  EXPECT_EQ(series.samples().size(), 300u);  // the passes carry every fix, not only the last
}

}  // namespace
}  // namespace vetra
