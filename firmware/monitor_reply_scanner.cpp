#include "firmware/monitor_reply_scanner.h"

#include <string_view>

namespace vetra {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

MonitorReply MonitorReplyScanner::Match() {
  const std::string_view text(text_, static_cast<size_t>(length_));
  if (text == "MPD") return MonitorReply::Mpd;
  if (text == "ERASE") return MonitorReply::Erase;
  if (text.size() == 8 && text.starts_with("DONE")) {
    // Read as a hexadecimal number: its leading hex digits count, as a C-library scan would.
    uint16_t value = 0;
    for (char c : text.substr(4)) {
      const int digit = HexDigit(c);
      if (digit < 0) break;
      value = static_cast<uint16_t>(value << 4 | digit);
    }
    replyValue_ = value;
    return MonitorReply::Done;
  }
  return MonitorReply::None;
}

int MonitorReplyScanner::Scan(const uint8_t* bytes, int count, int64_t nowSeconds,
                              MonitorReply& reply) {
  reply = MonitorReply::None;
  for (int i = 0; i < count; ++i) {
    const char c = static_cast<char>(bytes[i]);
    if (!inReply_) {
      if (c == '<') {
        inReply_ = true;
        length_ = 0;
        replyDeadline_ = nowSeconds + kReplySeconds;
      }
      continue;
    }
    if (c != '>') {
      if (length_ == kTextCapacity) {
        // None of the three replies is this long: drop it and wait for the next "<" (which may
        // be this very byte).
        inReply_ = false;
        length_ = 0;
        ++droppedReplies_;
        --i;
        continue;
      }
      text_[length_++] = c;
      continue;
    }
    reply = Match();
    if (reply != MonitorReply::None) {
      inReply_ = false;
      return i + 1;
    }
  }
  return count;
}

void MonitorReplyScanner::Expire(int64_t nowSeconds) {
  if (inReply_ && nowSeconds > replyDeadline_) {
    inReply_ = false;
    length_ = 0;
    ++droppedReplies_;
  }
}

}  // namespace vetra
