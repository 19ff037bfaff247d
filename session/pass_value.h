#pragma once
// What one monitoring pass of the receiver conversation produced, as one value handed to the
// display once: the echoed lines with their parser and result, the reply events with their
// decoded fields, the navigation display copy when it changed, every fix of the pass, the
// heartbeat, the host handshake, a port failure, and the line's health counters. Nothing in it
// points into the conversation.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "epoch/epoch.h"
#include "model/nav_record.h"
#include "session/reply_events.h"
#include "session/stream_splitter.h"
#include "statistics/fix_sample.h"

namespace vetra {

struct EchoedLine {
  std::string text;  // as the NMEA view shows it: last two bytes dropped, cut at a NUL
  ParserKind parser = ParserKind::Nmea;
  int result = 0;     // TNmea's result code; for TBinary 1 = checksum matched, 0 = not
  std::string frame;  // binary lines only: every byte as it arrived (the echo shows them as hex)
};

struct NavigationUpdate {
  TNavRecord record;  // the display copy, updated flag cleared
  DisplaySource source = DisplaySource::Nmea;
};

// Counters since the conversation was made; the status bar's line health reads them.
struct LineHealth {
  uint64_t bytesRead = 0;
  uint64_t sentencesAccepted = 0;  // TNmea gave a result
  uint64_t checksumErrors = 0;     // NMEA sentences whose checksum did not match
  uint64_t sentencesRejected = 0;  // NMEA sentences dropped for their length, address or ending
  uint64_t framesAccepted = 0;     // binary frames with a matching checksum
  uint64_t framesRejected = 0;     // binary frames with a wrong checksum
  int64_t lastValidSeconds = 0;    // wall clock of the last accepted sentence or frame; 0: none
  int64_t lastValidMs = -1;        // the clock's milliseconds of the same; -1: none
  int64_t lastByteMs = -1;         // the clock's milliseconds of the last byte read; -1: none
};

// The capture file could not be written (a full disk): the conversation closed it with what was
// written so far and captures no more.
struct CaptureFailure {
  std::string reason;  // the system's ("No space left on device")
};

struct PassValue {
  char heartbeat = 0;  // 'X' or 'O' (status panel 0) when bytes arrived; 0 when none did
  std::vector<EchoedLine> lines;
  std::vector<ReplyEvent> replies;
  // The display hand-offs of the pass, TNmea's first: navigation holds TNmea's record, or
  // TBinary's when only TBinary had news; binaryNavigation holds TBinary's when both had news, so
  // that binary output is shown even when NMEA arrives in every pass.
  std::optional<NavigationUpdate> navigation;
  // Every position update of the module's record in the pass with a 2D or 3D fix, in order (the
  // navigation copy above is only the last record): the position `vetra send` waits for. The
  // statistics count epochs (below) instead.
  std::vector<FixSample> fixes;
  std::optional<NavigationUpdate> binaryNavigation;
  // The receiver's epochs that closed during the pass (epoch/epoch_stream.h, any receiver), and
  // the NMEA sentences read whole, without line ends: what sharing and the statistics read.
  std::vector<Epoch> epochs;
  std::vector<std::string> sentences;
  int64_t seconds = 0;  // the conversation's wall clock when the pass read the port
  // The number of the last monitoring restart request taken before the pass read the port
  // (ReceiverConversation::RestartMonitoring): records older than a restart come with less.
  uint64_t monitoringRestarts = 0;
  int channelCount = 12;      // the C/N0 chart's horizontal range
  bool hostAnswered = false;  // a lone 'U' was answered: the "Host" button is enabled
  bool portFailed = false;    // reading stopped, the capture closed with every byte received
  std::optional<CaptureFailure> captureFailure;
  LineHealth health;

  bool HasNews() const {
    return heartbeat != 0 || !lines.empty() || !replies.empty() || navigation || !epochs.empty() ||
           hostAnswered || portFailed || captureFailure;
  }
};

// The display's side. ShowPass runs once per pass with news, on the window thread inside the
// conversation's blocking hand-off (inline on the conversation's thread in the terminal tools).
class IPassDisplay {
 public:
  virtual ~IPassDisplay() = default;
  virtual void ShowPass(const PassValue& pass) = 0;
};

}  // namespace vetra
