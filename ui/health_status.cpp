#include "ui/health_status.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace vetra::ui {

HealthStatus::HealthStatus(QStatusBar* bar, std::function<LineHealth()> health, IClock& clock)
    : QObject(bar), health_(std::move(health)), clock_(clock) {
  sbHint_ = new QLabel(bar);
  sbHint_->setObjectName("sbHint");
  sbHint_->setVisible(false);
  sbHealth_ = new QLabel(bar);
  sbHealth_->setObjectName("sbHealth");
  // Neither holds the compact window wide: what does not fit is cut, the tooltip has it all.
  sbHint_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  sbHealth_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  sbHealth_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  bar->addWidget(sbHint_, 8);  // most of the bar: the hint is longer than the counters
  bar->addPermanentWidget(sbHealth_, 1);
  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, &HealthStatus::Tick);
}

void HealthStatus::PortOpened() {
  open_ = true;
  meter_.Start(health_(), clock_.nowMs());
  timer_->start();
  Tick();
}

void HealthStatus::SetMonitoring(bool monitoring) {
  if (monitoring == monitoring_) return;
  monitoring_ = monitoring;
  // Listening starts again: the silence before it (the loader's page) is not the receiver's.
  if (open_) meter_.Start(health_(), clock_.nowMs());
  Tick();
}

void HealthStatus::PortClosed() {
  open_ = false;
  timer_->stop();
  sbHealth_->clear();
  sbHealth_->setToolTip(QString());
  sbHint_->clear();
  sbHint_->setVisible(false);
  sbHealth_->setVisible(true);
}

void HealthStatus::Tick() {
  if (!open_) return;
  LineHealthReading reading = meter_.Read(health_(), clock_.nowMs());
  if (!monitoring_) reading.hint.clear();
  const QString counters = QString::fromStdString(HealthCountersText(reading));
  if (sbHealth_->text() != counters) sbHealth_->setText(counters);
  sbHealth_->setToolTip(QString::fromStdString(HealthDetailText(reading)));
  const QString hint = QString::fromStdString(reading.hint);
  sbHint_->setToolTip(sbHealth_->toolTip());
  if (sbHint_->text() != hint) {
    sbHint_->setText(hint);
    // A hint takes the counters' place, on one line: a wrapped label makes the status bar
    // several lines tall. What a narrow window cuts off, and the counters, are in its tooltip.
    sbHint_->setVisible(!hint.isEmpty());
    sbHealth_->setVisible(hint.isEmpty());
  }
}

QString HealthStatus::hint() const { return sbHint_->text(); }

}  // namespace vetra::ui
