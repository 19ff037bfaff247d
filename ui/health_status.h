#pragma once
// The line's health in the status bar: sbHealth shows the counters (bytes per second, sentences
// accepted, checksum errors, frames accepted and rejected, seconds since the last valid sentence
// or frame) once a second while a port is open, or in their place a plain hint when something is
// wrong (session/line_health.h decides which). Where the bar is too narrow for the whole text (the
// compact window) it shows the short form of present/health_brief.h, a coloured word and one
// figure ("No data 5 s", "Wrong rate?", "35 ok/s"); the tooltip, and a click, give the whole text
// and the counters in words. The hints are judged only while the conversation monitors: the
// loader's page borrows the port and reads it itself. A replay that has played its whole log says
// "Replay ended", not that the receiver is silent.

#include <QObject>
#include <functional>

#include "present/health_brief.h"
#include "session/line_health.h"
#include "session/pass_value.h"
#include "util/clock.h"

class QStatusBar;
class QTimer;

namespace vetra::ui {

class BriefLabel;

class HealthStatus : public QObject, public IPassDisplay {
  Q_OBJECT
 public:
  // name: the field's objectName (a window with two lines names each).
  HealthStatus(QStatusBar* bar, IClock& clock, const char* name = "sbHealth");

  // The line's counters as the latest pass (or the second receiver's latest update) carried them;
  // the field shows them at its next tick.
  void ShowHealth(const LineHealth& health) { health_ = health; }
  void ShowPass(const PassValue& pass) override { ShowHealth(pass.health); }

  // Whether the port is a replay that has played its whole log (none: never).
  void SetReplayEnded(std::function<bool()> replayEnded) { replayEnded_ = std::move(replayEnded); }

  // A port is open: the counters count from now. monitoring: the conversation reads it, so the
  // hints are judged (from now on, after kHintSeconds).
  void PortOpened();
  void SetMonitoring(bool monitoring);
  void PortClosed();  // the field empty, the timer stopped
  void Tick();        // once a second; tests call it after moving their clock

  QString hint() const;  // the hint shown (whole), empty when all is well
  const HealthBrief& brief() const { return brief_; }

 private:
  LineHealth health_;
  std::function<bool()> replayEnded_;
  IClock& clock_;
  LineHealthMeter meter_;
  bool open_ = false;
  bool monitoring_ = false;
  HealthBrief brief_;
  QString hint_;
  BriefLabel* sbHealth_;
  QTimer* timer_;
};

}  // namespace vetra::ui
