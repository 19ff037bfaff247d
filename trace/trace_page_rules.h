#pragma once
// The Trace page's behaviour without its widgets: the command tree (Clear, Read, Record,
// Convert), the trace mode that locks the tree while recording or reading, and the frames each
// button sends. The read captures everything received into "tracelog.tmp" through the monitoring
// task's one capture slot; when a raw log holds the slot the read cannot start.
//
// A read starts only once the receiver's status says it does not read, and stops with the
// explicit stop frame confirmed by a status query (trace/trace_read_control.h): the page's own
// read frame toggles, and a receiver left reading would otherwise be stopped by a Start. Those
// steps wait for the receiver's answers; how each ended is told through onReadEvent.

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "link/byte_sink.h"
#include "link/frame_writer.h"
#include "session/exchange.h"
#include "trace/trace_frames.h"

namespace vetra {

inline constexpr std::array<const char*, 4> kTraceTreeNodes = {"Clear", "Read", "Record",
                                                               "Convert"};
inline constexpr std::array<const char*, 2> kTraceFormats = {"NMEA", "Binary"};  // rdTrcFormat
inline constexpr std::array<const char*, 4> kTracePageBauds = {"4800", "9600", "19200", "38400"};

// What the page's controls hold, read by the handlers.
struct TracePageInputs {
  std::string lbTrcDistance = "0";  // "Distance (Meter)"
  std::string lbTrcPeriod = "0";    // "Time period (Second)"
  std::string lbTrcTime = "65535";  // "Time to log"
  int rdTrcFormat = 1;              // 0 "NMEA", 1 "Binary"
  std::string lbStartPos = "0";     // "Start Poisition"
  int rdTrcBaud = 0;                // "4800" 0 ... "38400" 3
  std::string lbTrcLogged = "0";    // the logged count the status reports wrote
};

// How a read's start or stop ended, once the receiver answered (or did not).
enum class ReadEvent {
  Started,             // the receiver does not read (any more): the read frame went out
  NothingLogged,       // its status says nothing is logged
  CaptureUnavailable,  // tracelog.tmp cannot be created, or the raw log holds the slot
  NoStatus,            // it did not report its status: the read did not start
  StillReading,        // it still reads after the explicit stop: the read did not start
  StopConfirmed,       // the stop's status says it no longer reads
  StopUnconfirmed,     // no status after the stop, or one that says it still reads
};
// The status bar's text for an event; empty for those that need no word.
const char* ReadEventText(ReadEvent event);

class TTracePage {
 public:
  using Post = std::function<bool(Exchange, std::function<void(const ExchangeResult&)>)>;
  struct Hooks {
    IFrameWriter* writer = nullptr;  // the open port's queue, or none
    // Sends an exchange and tells its end later (the conversation's Post); false: no port.
    Post post;
    // Hands the read file (opened at path) to the conversation; a refused one is closed.
    std::function<bool(std::unique_ptr<IByteSink>, const std::string& path)> attachCapture;
    std::function<void()> closeCapture;  // asks it to close the file
    IFrameWriter::WriteDone onWritten;   // what became of each frame
    std::string captureDirectory = ".";
    std::function<void(ReadEvent)> onReadEvent;
    int answerTimeoutMs = 3000;
  };

  explicit TTracePage(Hooks hooks) : hooks_(std::move(hooks)) {}

  // Where the frames go from now on (the window opens and closes its port as the user moves
  // between pages); nullptr while no port is open. post stays: it fails while no port is open.
  void SetWriter(IFrameWriter* writer) { hooks_.writer = writer; }

  // A node of tvTraceCmd was chosen: the panel index becomes node + 1; lbTrace shows the node's
  // text; the read rate follows the Setup page's rate.
  void TraceAction(int node, int setupBaudRate, TracePageInputs& inputs);

  // "Start"/"Stop" of the Record panel.
  void RecordClick(const TracePageInputs& inputs);
  // "Start"/"Stop" of the Read panel. Start (when the logged count shown is not 0) asks for the
  // status and returns Asking; the read starts when the answer allows (onReadEvent). Stop closes
  // the capture, leaves read mode at once and sends the explicit stop with a status query.
  enum class ReadStart { Asking, Stopped, NothingLogged, NoPort, Busy };
  ReadStart ReadClick(const TracePageInputs& inputs);
  // The read ends without the button: the port failed (nothing is sent), or the capture could
  // not be written (the receiver is told to stop).
  void EndRead(bool stopReceiver);
  void ClearClick();
  void RequestClick();

  int traceMode() const { return traceMode_; }  // 0 idle, 1 recording, 2 reading
  bool asking() const { return asking_; }       // a read start waits for the receiver's status
  bool treeEnabled() const { return traceMode_ == 0 && !asking_; }
  int panelIndex() const { return panelIndex_; }
  const std::string& actionText() const { return actionText_; }  // lbTrace
  const char* recordCaption() const { return traceMode_ == 1 ? "Stop" : "Start"; }
  const char* readCaption() const { return traceMode_ == 2 ? "Stop" : "Start"; }
  int readProgressMaximum() const { return readProgressMaximum_; }
  std::string capturePath() const;

 private:
  bool Send(const Frame& frame, int delayMs = 0);
  bool AskStatus(bool stopFirst);
  void StatusForStart(const ExchangeResult& result, bool stopSent);
  void SendStop(int baudIndex);
  void Tell(ReadEvent event);

  Hooks hooks_;
  int traceMode_ = 0;
  int panelIndex_ = 0;
  std::string actionText_ = "no action";
  int readProgressMaximum_ = 0;
  bool asking_ = false;
  TracePageInputs pending_;  // the inputs of the start that waits for the status
  int readBaudIndex_ = 0;    // the rate of the read that runs
};

}  // namespace vetra
