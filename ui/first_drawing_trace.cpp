#include "ui/first_drawing_trace.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "util/latency_trace.h"

namespace vetra::ui {
namespace {

// Sees the window's first paint event; the window and its children are painted and flushed to
// the screen within the same event, so the mark is set right after it, from the event loop.
class FirstDrawing final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        TraceLatencyEvent("drawn");
        deleteLater();
      });
    }
    return false;
  }

 private:
  bool seen_ = false;
};

}  // namespace

void TraceFirstDrawing(QWidget& window) {
  if (!LatencyTraceOn()) return;
  window.installEventFilter(new FirstDrawing(&window));
}

}  // namespace vetra::ui
