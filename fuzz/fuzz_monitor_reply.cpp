// Feeds arbitrary bytes to the boot monitor's reply scanner as the loader does: each read fed
// again on its remainder after a reply, empty reads between reads letting an open reply expire.
// No read or write outside a buffer, every Scan consumes within its bounds and stops only right
// after the '>' of a reply, and, with the clock standing still, cutting the bytes into other
// reads changes neither the replies, their checksums nor the dropped count.
//
// Input: byte 0 chooses the read size (0: whole; else 1..255), byte 1 the seconds that pass
// between reads (bits 0-1) and whether an empty read follows each (bit 2); the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "firmware/monitor_reply_scanner.h"

namespace {

using vetra::MonitorReply;
using vetra::MonitorReplyScanner;

struct Outcome {
  std::vector<std::pair<MonitorReply, uint16_t>> replies;  // with the DONE checksum
  uint32_t dropped = 0;
};

Outcome ScanInReads(const uint8_t* data, size_t size, size_t readSize, int secondsBetween,
                    bool emptyReads) {
  Outcome outcome;
  MonitorReplyScanner scanner;
  int64_t now = 1000;
  for (size_t at = 0; at < size; at += readSize) {
    const size_t n = readSize < size - at ? readSize : size - at;
    // Each read gets its own exact-size copy so that a read past its end is caught.
    const std::vector<uint8_t> read(data + at, data + at + n);
    size_t done = 0;
    while (done < n) {
      MonitorReply reply = MonitorReply::None;
      const int consumed = scanner.Scan(read.data() + done, static_cast<int>(n - done), now, reply);
      if (consumed <= 0 || static_cast<size_t>(consumed) > n - done) std::abort();
      if (reply != MonitorReply::None) {
        if (read[done + static_cast<size_t>(consumed) - 1] != '>') std::abort();
        if (scanner.inReply()) std::abort();
        outcome.replies.emplace_back(reply, scanner.replyValue());
      } else if (static_cast<size_t>(consumed) != n - done) {
        std::abort();
      }
      done += static_cast<size_t>(consumed);
    }
    now += secondsBetween;
    if (emptyReads) {
      scanner.Expire(now);
      if (secondsBetween > MonitorReplyScanner::kReplySeconds && scanner.inReply()) std::abort();
    }
  }
  outcome.dropped = scanner.droppedReplies();
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t readSize = data[0] == 0 ? size : data[0];
  const int secondsBetween = data[1] & 3;
  const bool emptyReads = (data[1] & 4) != 0;
  data += 2;
  size -= 2;

  ScanInReads(data, size, readSize, secondsBetween * 2, emptyReads);  // up to 6 s: expiries
  const Outcome whole = ScanInReads(data, size, size + 1, 0, emptyReads);
  const Outcome reads = ScanInReads(data, size, readSize, 0, emptyReads);
  if (whole.replies != reads.replies || whole.dropped != reads.dropped) std::abort();
  return 0;
}
