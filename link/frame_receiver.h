#pragma once
// TFrameReceiver: the byte-wise receive state machine of the receiver's binary frames, with the
// message table that gives every receivable frame its length. The row index of the matched entry
// selects the reply handler (TBinary, decode/binary.h).
//
// States: Idle -'%'-> Percent -'%'-> Class -(06,15,F1,F2)-> Id -(row found)-> Payload|Checksum
//         -> CR -> LF (extra CRs skipped) -> Idle. A byte that breaks the pattern returns to Idle
// and is not looked at again.

#include <array>
#include <cstdint>
#include <span>

namespace vetra {

struct MessageRow {
  uint8_t frameClass;
  uint8_t id;      // ignored for the ACK and NACK rows
  int32_t length;  // class + id + payload
};

inline constexpr int kMessageRowCount = 23;
extern const std::array<MessageRow, kMessageRowCount> kMessageTable;
inline constexpr int kMaxFrameLength = 202;  // the longest L (F2 D6)

// Finds the row for (class, id); -1 when none.
int FindMessageRow(uint8_t frameClass, uint8_t id);

struct FrameFeed {
  int consumed = 0;
  bool ended = false;       // a frame reached its final LF in this call
  bool checksumOk = false;  // ...and its checksum matched
};

class TFrameReceiver {
 public:
  enum class State { Idle, Percent, Class, Id, Payload, Checksum, CR, LF };

  // Consumes bytes up to and including the LF that ends a frame (at most one frame per call).
  FrameFeed Feed(const uint8_t* bytes, int count);

  // The last frame that ended: class byte, id and payload, and its row index (-1 before the first
  // frame). Valid until the next Feed, which may overwrite the buffer.
  std::span<const uint8_t> frame() const { return {buffer_.data(), static_cast<size_t>(length_)}; }
  int row() const { return row_; }
  State state() const { return state_; }

 private:
  State state_ = State::Idle;
  int stored_ = 0;
  int expected_ = 0;
  uint8_t receivedChecksum_ = 0;
  int matchedRow_ = -1;  // row of the frame being received
  int row_ = -1;         // row of the last frame that ended
  int length_ = 0;       // its length
  std::array<uint8_t, kMaxFrameLength> buffer_{};
};

}  // namespace vetra
