#pragma once
// The Setup page's auto-scan (btAutoScan) driven by a timer on the window thread: the scan's
// steps (app/auto_scan.h) with their waits, lbAutoScan showing its state, and the Scan button,
// the port and baud lists and the tabs held while it runs. A rate found is chosen in cbFWbaud.

#include <QObject>
#include <functional>

#include "app/auto_scan.h"

class QTimer;

namespace vetra::ui {

class SetupPage;

class AutoScanControl : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<bool()> portOpen;  // a scan waits until the port is closed
    // Opens the port chosen now at a rate.
    std::function<AutoScan::PortFactory()> portFactory;
    std::function<void(bool held)> holdPages;  // the tabs disabled while a scan runs
  };
  AutoScanControl(IClock& clock, IMessages& messages, SetupPage& setup, Hooks hooks,
                  QObject* parent = nullptr);

  void Click();
  bool running() const { return scan_.running(); }
  void Stop();  // the timer stopped: no step after the window's end

 private:
  void Step();
  void Finished();

  AutoScan scan_;
  SetupPage& setup_;
  Hooks hooks_;
  QTimer* timer_;
};

}  // namespace vetra::ui
