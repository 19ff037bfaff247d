#include "link/frame_receiver.h"

#include "link/frame.h"

namespace vetra {

namespace {

// Every frame the receiver may send, searched from the top. The row index selects the reply
// handler (TBinary), so the order is part of the protocol and must not change.
constexpr std::array<MessageRow, kMessageRowCount> kRows = {{
    {kClassReply, 0x80, 24},   // 0 firmware revision
    {kClassReply, 0x81, 18},   // 1 built-in-test results
    {kClassReply, 0x82, 4},    // 2 clock offset
    {kClassReply, 0x83, 124},  // 3 ephemeris of one satellite
    {kClassReply, 0x84, 52},   // 4 almanac of one satellite
    {kClassReply, 0x85, 7},    // 5 module ID
    {kClassReply, 0xD0, 39},   // 6 navigation fix, speed in 0.1 m/s
    {kClassReply, 0xD1, 39},   // 7 navigation fix, speed in m/s
    {kClassReply, 0xD2, 104},  // 8 channel status, 12 channels
    {kClassReply, 0xD3, 154},  // 9 measurements, 12 channels
    {kClassReply, 0xD4, 34},   // 10 clock solution
    {kClassReply, 0x88, 22},   // 11 trace record
    {kClassReply, 0x89, 20},   // 12 trace status with configuration
    {kClassReply, 0x8A, 13},   // 13 trace status
    {kClassReply, 0x86, 20},   // 14 navigation settings
    {kClassReply, 0x87, 50},   // 15 system settings
    {kClassReply, 0xD5, 136},  // 16 channel status, 16 channels
    {kClassReply, 0xD6, 202},  // 17 measurements, 16 channels
    {kClassReply, 0x50, 2},    // 18 accepted, no effect
    {kClassAck, 0x00, 2},      // 19 ACK of any command
    {kClassNack, 0x00, 2},     // 20 NACK of any command
    {kClassReply, 0x8D, 35},   // 21 customized ID text
    {kClassReply, 0x8C, 7},    // 22 test result
}};

// std::array fills missing initialisers with zeros, so a forgotten row would only show as a
// length of 0; every row must hold at least the class and id and fit the frame buffer.
constexpr bool RowsWellFormed() {
  for (const MessageRow& row : kRows) {
    if (row.length < 2 || row.length > kMaxFrameLength) return false;
  }
  return true;
}
constexpr bool LongestRowFillsBuffer() {
  int longest = 0;
  for (const MessageRow& row : kRows) longest = row.length > longest ? row.length : longest;
  return longest == kMaxFrameLength;
}
static_assert(kRows.size() == 23, "the receiver's message table has 23 rows");
static_assert(RowsWellFormed(), "a message row is missing or longer than the frame buffer");
static_assert(LongestRowFillsBuffer());

// The receive classes, in the order the receiver's class set lists them. F1 (a host command
// echoed back) passes here and is dropped at the id byte because no row carries it.
constexpr uint8_t kReceiveClasses[] = {kClassAck, kClassNack, kClassCommand, kClassReply};

constexpr bool IsReceiveClass(uint8_t b) {
  for (uint8_t c : kReceiveClasses) {
    if (c == b) return true;
  }
  return false;
}

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;

}  // namespace

const std::array<MessageRow, kMessageRowCount> kMessageTable = kRows;

int FindMessageRow(uint8_t frameClass, uint8_t id) {
  for (int i = 0; i < kMessageRowCount; ++i) {
    const MessageRow& row = kRows[i];
    if (row.frameClass != frameClass) continue;
    // ACK and NACK carry the id of the acknowledged command: their rows match any id.
    if (frameClass == kClassAck || frameClass == kClassNack || row.id == id) return i;
  }
  return -1;
}

FrameFeed TFrameReceiver::Feed(const uint8_t* bytes, int count) {
  FrameFeed result;
  if (bytes == nullptr || count <= 0) return result;
  for (int i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    switch (state_) {
      case State::Idle:
        if (b == kFrameMarker) {
          stored_ = 0;
          state_ = State::Percent;
        }
        break;
      case State::Percent:
        state_ = b == kFrameMarker ? State::Class : State::Idle;
        break;
      case State::Class:
        if (IsReceiveClass(b)) {
          buffer_[0] = b;
          stored_ = 1;
          state_ = State::Id;
        } else {
          state_ = State::Idle;  // a third '%' lands here too: that frame is lost
        }
        break;
      case State::Id: {
        buffer_[1] = b;
        stored_ = 2;
        const int row = FindMessageRow(buffer_[0], b);
        if (row < 0) {
          state_ = State::Idle;
          break;
        }
        matchedRow_ = row;
        expected_ = kRows[row].length;
        state_ = expected_ == stored_ ? State::Checksum : State::Payload;
        break;
      }
      case State::Payload:
        // expected_ <= kMaxFrameLength by the table's static checks, so stored_ stays in bounds.
        buffer_[stored_++] = b;
        if (stored_ >= expected_) state_ = State::Checksum;
        break;
      case State::Checksum:
        receivedChecksum_ = b;
        state_ = State::CR;
        break;
      case State::CR:
        state_ = b == kCr ? State::LF : State::Idle;
        break;
      case State::LF:
        if (b == kCr) break;  // extra CRs before the LF are skipped
        state_ = State::Idle;
        if (b == kLf) {
          row_ = matchedRow_;
          length_ = expected_;
          result.consumed = i + 1;
          result.ended = true;
          result.checksumOk = FrameChecksum(frame()) == receivedChecksum_;
          return result;
        }
        break;
    }
  }
  result.consumed = count;
  return result;
}

}  // namespace vetra
