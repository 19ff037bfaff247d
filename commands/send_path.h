#pragma once
// btSendClick: turns the selected command into one frame on the wire.
//
//   uncheck ACK/NACK -> encode -> clear the reply display of 05h/06h/07h -> echo "%02x " -> txData
//
// The window thread runs it. What the window shows goes through ISendView; the outcome says what
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
  // The monitoring task's stored reply is cleared and its display refreshed (empty fields).
  virtual void ClearRevision() {}     // after Query Firmware Revision
  virtual void ClearClockOffset() {}  // after Clock Offset
  virtual void ClearSelfTest() {}     // after Perform Built-In-Test: the four words become -1
};

struct SendOutcome {
  enum class Status {
    Sent,              // the frame was echoed and written
    NothingToSend,     // no command, a command without a frame, or Load Ephemeris (wrote its own)
    NoPort,            // no open port: nothing encoded, nothing written
    ConversionFailed,  // a strict field did not convert: nothing echoed, nothing written
    WriteFailed,       // the port refused the write
  };
  Status status = Status::NothingToSend;
  size_t length = 0;
  std::string message;  // what to tell the user for NoPort, ConversionFailed and WriteFailed
};

inline constexpr const char* kNoPortText = "No port is open: nothing was sent.";

// Formats a frame as lbSentence shows it: "%02x " per byte (so the text ends with a space).
std::string EchoText(std::span<const uint8_t> frame);

// context.port is the open port (nullptr when there is none).
SendOutcome SendCommand(int command, Panels& panels, EncodeContext& context, ISendView& view);

}  // namespace vetra
