#pragma once
// The boot monitor's replies: "<", a short text, ">". Three texts are known:
//   <MPD>        the monitor program runs
//   <ERASE>      the flash is erased
//   <DONEhhhh>   all image data arrived; hhhh is the monitor's 16-bit checksum in hexadecimal
// Everything outside the brackets is skipped. A ">" after an unknown text keeps the scanner inside
// the reply (the text stays and grows on), as the monitor's own output may contain ">". A reply
// whose text passes 20 characters cannot be one of the three and is dropped: the scanner waits
// for the next "<". A "<" without its ">" within 3 seconds is abandoned at the next empty read.
//
// A plain parser over a fixed buffer: no allocation, nothing written past the text's capacity.

#include <cstdint>

namespace vetra {

enum class MonitorReply { None, Mpd, Erase, Done };

class MonitorReplyScanner {
 public:
  static constexpr int kTextCapacity = 20;
  static constexpr int kReplySeconds = 3;

  // Scans bytes until one produces a reply; returns the count consumed (that byte included), or
  // count when none did. reply is None then.
  int Scan(const uint8_t* bytes, int count, int64_t nowSeconds, MonitorReply& reply);
  // After an empty read: a reply still open past its deadline is given up.
  void Expire(int64_t nowSeconds);
  void Reset() {
    inReply_ = false;
    length_ = 0;
  }

  bool inReply() const { return inReply_; }
  // The checksum of the last DONE reply, as the monitor wrote it.
  uint16_t replyValue() const { return replyValue_; }
  // Replies given up: over-long ones and those abandoned after their deadline.
  uint32_t droppedReplies() const { return droppedReplies_; }

 private:
  MonitorReply Match();

  bool inReply_ = false;
  int64_t replyDeadline_ = 0;
  char text_[kTextCapacity] = {};
  int length_ = 0;
  uint16_t replyValue_ = 0;
  uint32_t droppedReplies_ = 0;
};

}  // namespace vetra
