#include "sim/command_reader.h"

#include <algorithm>
#include <iterator>
#include <span>

#include "link/frame.h"

namespace vetra::sim {

namespace {

struct KnownCommand {
  uint8_t id;
  uint8_t length;
  uint8_t otherLength;  // the trace commands have a second form; 0 for none
};

// Class F1 commands and their whole frame lengths.
constexpr KnownCommand kCommands[] = {
    {0x01, 23, 0}, {0x02, 15, 0}, {0x03, 15, 0}, {0x04, 15, 0},  {0x05, 9, 0},  {0x06, 11, 0},
    {0x07, 8, 0},  {0x08, 11, 0}, {0x09, 8, 0},  {0x0A, 129, 0}, {0x0B, 8, 0},  {0x0C, 57, 0},
    {0x0D, 16, 0}, {0x0E, 8, 0},  {0x0F, 11, 0}, {0x10, 8, 0},   {0x11, 9, 0},  {0x12, 10, 0},
    {0x13, 8, 0},  {0x14, 11, 0}, {0x16, 41, 0}, {0x17, 8, 0},   {0x18, 8, 0},  {0x19, 12, 0},
    {0x1B, 29, 0}, {0x1C, 24, 0}, {0x1D, 8, 15}, {0x1E, 10, 14}, {0x1F, 9, 15}, {0x20, 8, 0},
    {0x21, 15, 0}, {0x72, 12, 0}, {0x73, 7, 0},  {0xE1, 12, 0},
};
static_assert(std::size(kCommands) == 34, "one row per command the receiver knows");

constexpr uint8_t kUserCommandId = 0xE2;
constexpr uint8_t kUserCommandLength = 7;

}  // namespace

CommandLengths CommandLengthsOf(uint8_t frameClass, uint8_t id) {
  CommandLengths l;
  if (frameClass == kClassUserCommand) {
    if (id == kUserCommandId) l.lengths[0] = kUserCommandLength;
    return l;
  }
  if (frameClass != kClassCommand) return l;
  for (const KnownCommand& c : kCommands) {
    if (c.id != id) continue;
    l.lengths[0] = c.length;
    l.lengths[1] = c.otherLength;
    break;
  }
  return l;
}

std::optional<CommandFrame> CommandReader::Feed(uint8_t byte) {
  switch (state_) {
    case State::Idle:
      if (byte == kFrameMarker) state_ = State::Percent;
      return std::nullopt;
    case State::Percent:
      state_ = byte == kFrameMarker ? State::Class : State::Idle;
      return std::nullopt;
    case State::Class:
      if (byte == kClassCommand || byte == kClassUserCommand) {
        buffer_[0] = byte;
        fill_ = 1;
        state_ = State::Body;
      } else {
        state_ = State::Idle;
      }
      return std::nullopt;
    case State::Body:
      buffer_[fill_++] = byte;
      if (fill_ == 2) lengths_ = CommandLengthsOf(buffer_[0], buffer_[1]);
      return TryEnd();
  }
  return std::nullopt;
}

std::optional<CommandFrame> CommandReader::TryEnd() {
  const size_t total = fill_ + 2;  // with the "%%"
  const bool crlf = fill_ >= 5 && buffer_[fill_ - 2] == 0x0D && buffer_[fill_ - 1] == 0x0A;
  const auto checksumOk = [&] {
    return FrameChecksum(std::span<const uint8_t>(buffer_.data(), fill_ - 3)) == buffer_[fill_ - 3];
  };
  size_t longest = kMaxFrame + 2;
  bool lengthAllowed = true;
  if (lengths_.known()) {
    longest = std::max(lengths_.lengths[0], lengths_.lengths[1]);
    lengthAllowed = total == lengths_.lengths[0] || total == lengths_.lengths[1];
  }
  if (crlf && lengthAllowed && checksumOk()) {
    state_ = State::Idle;
    CommandFrame frame;
    frame.frameClass = buffer_[0];
    frame.id = buffer_[1];
    frame.payload.assign(buffer_.begin() + 2, buffer_.begin() + (fill_ - 3));
    return frame;
  }
  if (total >= longest || fill_ >= buffer_.size()) {
    state_ = State::Idle;
    ++dropped_;
  }
  return std::nullopt;
}

}  // namespace vetra::sim
