#include "ui/health_status.h"

#include <QStatusBar>
#include <QTimer>

#include "ui/brief_label.h"
#include "ui/chart_style.h"
#include "ui/widget_text.h"

namespace vetra::ui {

HealthStatus::HealthStatus(QStatusBar* bar, IClock& clock, const char* name)
    : QObject(bar), clock_(clock) {
  sbHealth_ = new BriefLabel(kReplayEndedText, bar);
  sbHealth_->setObjectName(name);
  sbHealth_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  bar->addPermanentWidget(sbHealth_, 3);  // most of the bar: the hints are long
  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, &HealthStatus::Tick);
}

void HealthStatus::PortOpened() {
  open_ = true;
  meter_.Start(health_, clock_.nowMs());
  timer_->start();
  Tick();
}

void HealthStatus::SetMonitoring(bool monitoring) {
  if (monitoring == monitoring_) return;
  monitoring_ = monitoring;
  // Listening starts again: the silence before it (the loader's page) is not the receiver's.
  if (open_) meter_.Start(health_, clock_.nowMs());
  Tick();
}

void HealthStatus::PortClosed() {
  open_ = false;
  timer_->stop();
  brief_ = {};
  hint_.clear();
  sbHealth_->SetTexts(QString(), QString());
  sbHealth_->setToolTip(QString());
  SetTextColour(sbHealth_, QColor());
}

void HealthStatus::Tick() {
  if (!open_) return;
  LineHealthReading reading = meter_.Read(health_, clock_.nowMs());
  if (!monitoring_) reading.hint.clear();
  brief_ = BriefHealth(reading, replayEnded_ && replayEnded_());
  const bool warning = brief_.full != HealthCountersText(reading);
  hint_ = warning ? QString::fromStdString(brief_.full) : QString();
  sbHealth_->SetTexts(QString::fromStdString(brief_.full), QString::fromStdString(brief_.text));
  // The counters keep the palette's colour; a hint, and every short form, its state's colour.
  const bool brief = sbHealth_->text() != sbHealth_->wholeText();
  SetTextColour(sbHealth_, warning || brief ? ToQColor(brief_.colour) : QColor());
  QString detail = QString::fromStdString(HealthDetailText(reading));
  if (warning && reading.hint.empty()) detail += "\n" + hint_;  // the replay's end
  sbHealth_->setToolTip(detail);
}

QString HealthStatus::hint() const { return hint_; }

}  // namespace vetra::ui
