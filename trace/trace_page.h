#pragma once
// The Trace page's behaviour without its widgets: the command tree (Clear, Read, Record,
// Convert), the trace mode that locks the tree while recording or reading, and the frames each
// button sends. The read captures everything received into "tracelog.tmp" through the monitoring
// task's one capture slot; when a raw log holds the slot the read cannot start.

#include <array>
#include <cstdio>
#include <functional>
#include <string>

#include "link/frame_writer.h"
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

class TTracePage {
 public:
  struct Hooks {
    IFrameWriter* writer = nullptr;                 // the open port's queue, or none
    std::function<bool(std::FILE*)> attachCapture;  // hands the read file to the conversation
    std::function<void()> closeCapture;             // asks it to close the file
    IFrameWriter::WriteDone onWritten;              // what became of each frame
    std::string captureDirectory = ".";
  };

  explicit TTracePage(Hooks hooks) : hooks_(std::move(hooks)) {}

  // Where the frames go from now on (the window opens and closes its port as the user moves
  // between pages); nullptr while no port is open.
  void SetWriter(IFrameWriter* writer) { hooks_.writer = writer; }

  // A node of tvTraceCmd was chosen: the panel index becomes node + 1; lbTrace shows the node's
  // text; the read rate follows the Setup page's rate.
  void TraceAction(int node, int setupBaudRate, TracePageInputs& inputs);

  // "Start"/"Stop" of the Record panel.
  void RecordClick(const TracePageInputs& inputs);
  // "Start"/"Stop" of the Read panel; recordsLogged is the count of the last status reply.
  enum class ReadStart { Started, Stopped, NothingLogged, CaptureUnavailable, NoPort };
  ReadStart ReadClick(const TracePageInputs& inputs, int recordsLogged);
  void ClearClick();
  void RequestClick();

  int traceMode() const { return traceMode_; }  // 0 idle, 1 recording, 2 reading
  bool treeEnabled() const { return traceMode_ == 0; }
  int panelIndex() const { return panelIndex_; }
  const std::string& actionText() const { return actionText_; }  // lbTrace
  const char* recordCaption() const { return traceMode_ == 1 ? "Stop" : "Start"; }
  const char* readCaption() const { return traceMode_ == 2 ? "Stop" : "Start"; }
  int readProgressMaximum() const { return readProgressMaximum_; }

 private:
  bool Send(const Frame& frame, int delayMs = 0);

  Hooks hooks_;
  int traceMode_ = 0;
  int panelIndex_ = 0;
  std::string actionText_ = "no action";
  int readProgressMaximum_ = 0;
};

}  // namespace vetra
