#pragma once
// Where the line's failures reach the window: a port that failed (the conversation stopped
// reading and closed the capture file with every byte received) and a capture file that could not
// be written (closed with what it holds). It is one of the receiver conversation's pass displays,
// beside the View page, the Statistics window and the share server; no page relays a failure.
// What it does runs after the hand-off that brought the pass has returned: the conversation waits
// inside the hand-off, and going back to Setup switches it off.

#include <QObject>
#include <functional>
#include <string>

#include "app/capture_slot.h"
#include "session/pass_value.h"
#include "util/messages.h"

namespace vetra::ui {

class FailureDisplay : public QObject, public IPassDisplay {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<void()> backToSetup;  // the Setup page shown, which closes the port
    // The trace read's file failed: the Trace page stops the read and tells the user.
    std::function<void(const std::string& path, const std::string& reason)> traceCaptureFailed;
  };
  FailureDisplay(CaptureSlot& capture, IMessages& messages, Hooks hooks, QObject* parent = nullptr);

  void ShowPass(const PassValue& pass) override;

  // The slot is freed, the user told once, Setup shown.
  void PortFailed();
  // The slot is freed; the trace read tells the user itself (it stops on the receiver too), the
  // raw log is told here with the size it kept.
  void CaptureFailed(const std::string& reason);

 private:
  CaptureSlot& capture_;
  IMessages& messages_;
  Hooks hooks_;
};

}  // namespace vetra::ui
