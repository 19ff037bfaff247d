#pragma once
// The receiver's side of the command link: finds the host's command frames in the received bytes.
//
//   "%%" | class F1 (F3 for the user command E2) | id | payload | XOR of class..payload | CR LF
//
// States: Idle -'%'-> Percent -'%'-> Class -(F1|F3)-> Body. In Body every byte is stored; the
// frame ends where the last two bytes are CR LF, the length is one the command can have, and the
// byte before CR LF is the XOR of everything from the class byte on. The command table gives each
// known command its length(s), so that CR LF inside a payload (ephemeris data) never ends a frame
// early; an unknown id ends at the first CR LF whose checksum matches (the receiver NACKs it).
// A frame that reaches its longest length without ending is dropped, and so is one whose checksum
// fails; the reader is then back in Idle and waits for the next "%%".

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vetra::sim {

struct CommandFrame {
  uint8_t frameClass = 0;
  uint8_t id = 0;
  std::vector<uint8_t> payload;
};

// The whole frame lengths ("%%" to LF) a known command can have; empty for an unknown one.
struct CommandLengths {
  uint8_t lengths[2] = {0, 0};
  bool known() const { return lengths[0] != 0; }
};
CommandLengths CommandLengthsOf(uint8_t frameClass, uint8_t id);

class CommandReader {
 public:
  enum class State { Idle, Percent, Class, Body };
  static constexpr size_t kMaxFrame = 256;

  // Feeds one byte; returns the command when this byte completed one.
  std::optional<CommandFrame> Feed(uint8_t byte);
  void Reset() { state_ = State::Idle; }

  State state() const { return state_; }
  uint64_t framesDropped() const { return dropped_; }  // bad checksum, no end in time

 private:
  std::optional<CommandFrame> TryEnd();

  State state_ = State::Idle;
  std::array<uint8_t, kMaxFrame> buffer_{};  // from the class byte on
  size_t fill_ = 0;
  CommandLengths lengths_;
  uint64_t dropped_ = 0;
};

}  // namespace vetra::sim
