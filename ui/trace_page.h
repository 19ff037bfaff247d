#pragma once
// The Trace page (tsTrace): the receiver's trace logger (pnTrace, shown when the settings say
// "Trace" = "ON") and the time-to-first-fix test (pnTest, TtffPanel). Without the logger the page
// is captioned "&TTFF" and shows the test alone; with it the test sits to the right of the logger,
// beyond the window's width until the user widens the window.
//
// The logger's rules are the core's (trace/trace_page_rules.h): the tree, the trace mode that locks
// the tree while recording or reading, the frames of each button. The read captures into
// "tracelog.tmp" through the receiver conversation's one capture slot, so it cannot start while a
// raw log holds the slot (its button is disabled then). The frames go to the conversation's queue;
// a write the port refused is told with the port's message. The conversion runs on the window
// thread and lets the window handle its events before each block.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/capture_slot.h"
#include "present/reports.h"
#include "session/receiver_conversation.h"
#include "trace/trace_format.h"
#include "trace/trace_page_rules.h"
#include "ui/trace_panels.h"
#include "util/clock.h"
#include "util/messages.h"

class QScrollArea;

namespace vetra::ui {

class TtffPanel;

class TracePage : public QWidget {
  Q_OBJECT
 public:
  // What the page needs of the main window.
  struct Hooks {
    // The receiver conversation (made after the pages).
    std::function<ReceiverConversation&()> conversation;
    CaptureSlot* capture = nullptr;  // shared with the raw log of the View page
    IClock* clock = nullptr;         // nullptr: the system clock
    IMessages* messages = nullptr;
    std::function<int()> setupBaudRate;              // the rate chosen in cbFWbaud
    std::string folder = ".";                        // where tracelog.tmp and tracedata.gps are
    std::function<void(const QString&)> showStatus;  // the last panel of sbStatus
  };

  explicit TracePage(Hooks hooks, QWidget* parent = nullptr);
  ~TracePage() override;

  void SetTraceLoggerShown(bool shown);  // pnTrace visible or not
  TtffPanel& ttff() { return *ttff_; }

  // The status fields of the logger (lbTrcStatus, lbTrcPct, lbTrcLogged), from the trace status
  // replies.
  void ShowTraceReport(const TraceReport& report);
  QString shownTraceStatus() const;
  // A trace record arrived while the conversation listens: the read's progress.
  void TraceRecordArrived();
  // The capture slot changed hands: the read cannot start while the raw log holds it, and a read
  // whose capture ended without the button (the port failed) leaves read mode.
  void CaptureSlotChanged(CaptureUser holder);
  // The read's capture at path could not be written (the conversation closed it): the read stops
  // on the receiver too, and the user hears which file, why and how many records it keeps.
  void CaptureFailed(const std::string& path, const std::string& reason);

  // The handlers, as the user triggers them.
  void TraceAction(int node);
  void RecordClick();
  void ReadClick();
  void ClearClick();
  void RequestClick();
  void ConvertClick();
  void SelCvtClick();

  int traceMode() const { return logger_->traceMode(); }
  // The conversion's output: "tracedata.gps" for the text forms, ".gpx" and ".kml" for the tracks
  // so that mapping tools open them directly.
  static const char* OutputFileName(TraceFormat format);

 private:
  TracePageInputs Inputs() const;
  void ShowLoggerState();
  void ShowReadEnded();
  void ShowStatus(const std::string& text);
  void ReadEventArrived(ReadEvent event);
  void Guarded(const std::function<void()>& send);
  std::string PathOf(const char* name) const;
  IClock& clock() const;

  Hooks hooks_;
  std::unique_ptr<TTracePage> logger_;
  TracePanels ui_;
  QScrollArea* testArea_;
  TtffPanel* ttff_;
  int recordsReceived_ = 0;  // during the read that runs
  int readStart_ = 0;
  bool converting_ = false;
};

}  // namespace vetra::ui
