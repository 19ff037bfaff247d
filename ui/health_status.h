#pragma once
// The line's health in the status bar: sbHealth shows the counters (bytes per second, sentences
// accepted, checksum errors, frames accepted and rejected, seconds since the last valid sentence
// or frame) once a second while a port is open, with the details in its tooltip; sbHint shows a
// plain hint in its place when something is wrong (monitor/line_health.h decides which). The hints
// are judged only while the conversation monitors: the loader's page borrows the port and reads it
// itself.

#include <QObject>
#include <functional>

#include "link/clock.h"
#include "monitor/line_health.h"

class QLabel;
class QStatusBar;
class QTimer;

namespace vetra::ui {

class HealthStatus : public QObject {
  Q_OBJECT
 public:
  // health: the conversation's counters as it published them last.
  HealthStatus(QStatusBar* bar, std::function<LineHealth()> health, IClock& clock);

  // A port is open: the counters count from now. monitoring: the conversation reads it, so the
  // hints are judged (from now on, after kHintSeconds).
  void PortOpened();
  void SetMonitoring(bool monitoring);
  void PortClosed();  // both fields empty, the timer stopped
  void Tick();        // once a second; tests call it after moving their clock

  QString hint() const;

 private:
  std::function<LineHealth()> health_;
  IClock& clock_;
  LineHealthMeter meter_;
  bool open_ = false;
  bool monitoring_ = false;
  QLabel* sbHealth_;
  QLabel* sbHint_;
  QTimer* timer_;
};

}  // namespace vetra::ui
