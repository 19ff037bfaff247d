#include "ui/auto_scan_control.h"

#include <QTimer>

#include "ui/chart_style.h"
#include "ui/setup_page.h"

namespace vetra::ui {

AutoScanControl::AutoScanControl(IClock& clock, IMessages& messages, SetupPage& setup, Hooks hooks,
                                 QObject* parent)
    : QObject(parent), scan_(clock, messages), setup_(setup), hooks_(std::move(hooks)) {
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &AutoScanControl::Step);
}

void AutoScanControl::Click() {
  if (scan_.running() || hooks_.portOpen()) return;
  auto status = [this](const std::string& text, Rgb colour) {
    setup_.SetScanStatus(QString::fromStdString(text), ToQColor(colour));
  };
  if (!scan_.Start(hooks_.portFactory(), status)) return;
  // No second scan, no other port or rate, no other page while it runs.
  setup_.SetScanRunning(true);
  hooks_.holdPages(true);
  Step();
}

void AutoScanControl::Stop() { timer_->stop(); }

void AutoScanControl::Step() {
  const int waitMs = scan_.Step();
  if (waitMs >= 0) {
    timer_->start(waitMs);
    return;
  }
  Finished();
}

void AutoScanControl::Finished() {
  const AutoScan::Result& result = scan_.result();
  if (result.outcome == AutoScan::Outcome::Found) setup_.SetBaudIndex(result.baudIndex);
  setup_.SetScanRunning(false);
  hooks_.holdPages(false);
}

}  // namespace vetra::ui
