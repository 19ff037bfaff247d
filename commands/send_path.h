#pragma once
// btSendClick: turns the selected command into frames on the wire.
//
//   uncheck ACK/NACK -> check the edits' values -> a port? -> ask when the command needs it ->
//   encode (pure) -> carry out the declared effects -> echo "%02x " -> queue
//
// A value that the command's row does not accept (commands/control_values.h) stops the Send before
// anything is encoded: nothing is echoed, nothing queued, and the outcome names the control. A
// command that changes the module for good (commands/confirmations.h) is sent only when the view
// confirms it: the window asks the user, the terminal never prompts.
// The encoder's effects are carried out here: a store cleared before its read is sent, Load
// Ephemeris' frames built from a snapshot of the ephemeris store, reply displays emptied, the
// self-test item kept. The frames are not written here: they go to the frame writer the caller
// gives (the receiver conversation's queue, or a FrameBatch that the caller hands over as one
// exchange), and the port's owner writes them. What the window shows goes through ISendView; the
// outcome says what happened, so the window can tell the user when nothing could be sent.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "commands/command_descriptor.h"
#include "commands/control_values.h"
#include "commands/panel_controls.h"
#include "commands/panels.h"
#include "link/frame_writer.h"
#include "model/receiver_stores.h"

namespace vetra {

struct EncodeContext {
  Chip chip = Chip::K700;
  int accessLevel = 0;
  ReceiverStores* stores = nullptr;        // cleared by the Read commands, read by Load Ephemeris
  IFrameWriter* writer = nullptr;          // nullptr: no port is open
  ICommandExtension* extension = nullptr;  // trace commands
  int keptTestItem = 0;                    // the item of the last Perform Built-In-Test
};

class ISendView {
 public:
  virtual ~ISendView() = default;
  virtual void UncheckAcknowledgement() = 0;               // rbACK and rbNACK
  virtual void ShowSentence(const std::string& text) = 0;  // lbSentence
  // The monitoring task's stored reply is cleared and its display refreshed (empty fields).
  virtual void ClearRevision() {}     // after Query Firmware Revision
  virtual void ClearClockOffset() {}  // after Clock Offset
  virtual void ClearSelfTest() {}     // after Perform Built-In-Test: the four words become -1
  virtual void ClearTraceStatus() {}  // after Maintain Trace Buffer, every action but Setup
  // The question of a command that needs one (ConfirmationFor); false: nothing is sent.
  virtual bool Confirm(const std::string& question, const std::string& title) {
    (void)question;
    (void)title;
    return true;
  }
};

struct SendOutcome {
  enum class Status {
    Sent,              // the frames were queued (the command's own frame also echoed)
    NothingToSend,     // no command, a command without a frame, Load Ephemeris of an empty store
    Refused,           // an edit holds a value its control does not accept: nothing encoded
    Declined,          // the user did not confirm the command: nothing encoded
    NoPort,            // no open port: nothing encoded, nothing queued
    ConversionFailed,  // a strict field did not convert: nothing echoed, nothing queued
    WriteFailed,       // the port refused the write (told later, by the port's owner)
  };
  Status status = Status::NothingToSend;
  size_t length = 0;    // bytes queued
  std::string message;  // what to tell the user for Refused, NoPort, ConversionFailed, WriteFailed
  std::optional<RefusedValue> refused{};  // Refused: the control (the window focuses it)
};

inline constexpr const char* kNoPortText = "No port is open: nothing was sent.";

// Formats a frame as lbSentence shows it: "%02x " per byte (so the text ends with a space).
std::string EchoText(std::span<const uint8_t> frame);

// The frames and effects of catalogue command `number` from its row's encoder (or the context's
// extension); nothing for a command that sends nothing. Throws ConversionError.
Encoded EncodeCommand(int number, Panels& panels, const EncodeContext& context);

SendOutcome SendCommand(int command, Panels& panels, EncodeContext& context, ISendView& view);

}  // namespace vetra
