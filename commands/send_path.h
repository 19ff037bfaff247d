#pragma once
// btSendClick: turns the selected command into one frame on the wire.
//
//   uncheck ACK/NACK -> encode -> clear the reply display of 05h/06h/07h -> echo "%02x " -> queue
//
// The window thread runs it. The frame is not written here: it goes to the frame writer (the
// receiver conversation's queue, or a FrameBatch that the caller hands over as one exchange), and
// the port's owner writes it. What the window shows goes through ISendView; the outcome says what
// happened, so the window can tell the user when nothing could be sent.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "commands/encoders.h"
#include "commands/panels.h"

namespace vetra {

class ISendView {
 public:
  virtual ~ISendView() = default;
  virtual void UncheckAcknowledgement() = 0;               // rbACK and rbNACK
  virtual void ShowSentence(const std::string& text) = 0;  // lbSentence
  // The reply's display is blanked (empty fields) until the reply arrives.
  virtual void ClearRevision() {}     // after Query Firmware Revision
  virtual void ClearClockOffset() {}  // after Clock Offset
  virtual void ClearSelfTest() {}     // after Perform Built-In-Test: the four words become -1
};

struct SendOutcome {
  enum class Status {
    Sent,              // the frame was echoed and queued
    NothingToSend,     // no command, a command without a frame, or Load Ephemeris (queued its own)
    NoPort,            // no open port: nothing encoded, nothing queued
    ConversionFailed,  // a strict field did not convert: nothing echoed, nothing queued
    WriteFailed,       // the port refused the write (told later, by the port's owner)
  };
  Status status = Status::NothingToSend;
  size_t length = 0;
  std::string message;  // what to tell the user for NoPort, ConversionFailed and WriteFailed
};

inline constexpr const char* kNoPortText = "No port is open: nothing was sent.";

// Formats a frame as lbSentence shows it: "%02x " per byte (so the text ends with a space).
std::string EchoText(std::span<const uint8_t> frame);

// context.writer takes the frames (nullptr when no port is open).
SendOutcome SendCommand(int command, Panels& panels, EncodeContext& context, ISendView& view);

}  // namespace vetra
