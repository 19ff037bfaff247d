// The boot monitor's replies in angle brackets.
#include <gtest/gtest.h>

#include <string_view>

#include "firmware/monitor_reply_scanner.h"

namespace vetra {
namespace {

struct Scanned {
  std::vector<MonitorReply> replies;
  uint16_t lastValue = 0;
};

// Scans text in pieces of `piece` bytes the way the loader does (again on the rest after a reply).
Scanned ScanAll(MonitorReplyScanner& scanner, std::string_view text, size_t piece,
                int64_t now = 100) {
  Scanned out;
  for (size_t start = 0; start < text.size(); start += piece) {
    std::string_view rest = text.substr(start, piece);
    while (!rest.empty()) {
      MonitorReply reply;
      const int used = scanner.Scan(reinterpret_cast<const uint8_t*>(rest.data()),
                                    static_cast<int>(rest.size()), now, reply);
      if (reply != MonitorReply::None) {
        out.replies.push_back(reply);
        out.lastValue = scanner.replyValue();
      }
      rest.remove_prefix(static_cast<size_t>(used));
    }
  }
  return out;
}

TEST(MonitorReplies, KnownRepliesInAnyChunking) {
  using R = MonitorReply;
  struct Row {
    const char* what;
    std::string_view text;
    std::vector<R> replies;
    uint16_t value;
  };
  const Row rows[] = {
      {"three replies among noise",
       "boot\r\n<MPD>xx<ERASE>\r\n<DONE1A2B>\r\n",
       {R::Mpd, R::Erase, R::Done},
       0x1A2B},
      {"lower-case digits", "<DONEfdfe>", {R::Done}, 0xFDFE},
      {"five digits are no DONE", "<DONE12345>", {}, 0},
      {"three digits are no DONE", "<DONE123>", {}, 0},
      {"unknown text keeps the reply open", "<HELLO>MPD>", {}, 0},
      {"case matters", "<mpd>", {}, 0},
      {"no bracket, no reply", "MPD>ERASE>", {}, 0},
  };
  for (const Row& row : rows) {
    for (size_t piece : {size_t{1}, size_t{3}, size_t{7}, row.text.size()}) {
      SCOPED_TRACE(std::string(row.what) + ", pieces of " + std::to_string(piece));
      MonitorReplyScanner scanner;
      const Scanned got = ScanAll(scanner, row.text, piece);
      EXPECT_EQ(got.replies, row.replies);
      if (!row.replies.empty() && row.replies.back() == R::Done) {
        EXPECT_EQ(got.lastValue, row.value);
      }
    }
  }
}

TEST(MonitorReplies, ScanStopsRightAfterTheByteThatEndedAReply) {
  MonitorReplyScanner scanner;
  const std::string_view text = "..<MPD><ERASE>";
  MonitorReply reply;
  EXPECT_EQ(scanner.Scan(reinterpret_cast<const uint8_t*>(text.data()), 14, 0, reply), 7);
  EXPECT_EQ(reply, MonitorReply::Mpd);
  EXPECT_FALSE(scanner.inReply());
  EXPECT_EQ(scanner.Scan(reinterpret_cast<const uint8_t*>(text.data()) + 7, 7, 0, reply), 7);
  EXPECT_EQ(reply, MonitorReply::Erase);
}

TEST(MonitorReplies, OverLongReplyIsDroppedWithoutOverrunAndTheNextCounts) {
  MonitorReplyScanner scanner;
  // Twenty characters fit; a ">" then finds no match and the reply stays open...
  EXPECT_TRUE(ScanAll(scanner, "<" + std::string(20, 'a') + ">", 1).replies.empty());
  EXPECT_TRUE(scanner.inReply());
  // ...the twenty-first character drops it; a "<" in its place starts the next reply.
  EXPECT_EQ(ScanAll(scanner, "<MPD>", 5).replies, std::vector<MonitorReply>{MonitorReply::Mpd});
  EXPECT_EQ(scanner.droppedReplies(), 1u);

  MonitorReplyScanner other;
  EXPECT_EQ(ScanAll(other, "<" + std::string(500, 'z') + "><ERASE>", 64).replies,
            std::vector<MonitorReply>{MonitorReply::Erase});
}

TEST(MonitorReplies, OpenReplyExpiresOnlyAfterItsThreeSeconds) {
  MonitorReplyScanner scanner;
  ScanAll(scanner, "<noise", 6, 1'000);
  scanner.Expire(1'003);
  EXPECT_TRUE(scanner.inReply());  // 3 s have not passed in whole seconds
  // Without the expiry the noise would swallow the reply: "noise<MPD" is no reply.
  MonitorReplyScanner kept = scanner;
  EXPECT_TRUE(ScanAll(kept, "<MPD>", 5, 1'003).replies.empty());
  scanner.Expire(1'004);
  EXPECT_FALSE(scanner.inReply());
  EXPECT_EQ(ScanAll(scanner, "<MPD>", 5, 1'004).replies,
            std::vector<MonitorReply>{MonitorReply::Mpd});
}

}  // namespace
}  // namespace vetra
