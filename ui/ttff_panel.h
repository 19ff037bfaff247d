#pragma once
// pnTest: the time-to-first-fix test. A button per restart mode (its own caption turns "Stop"
// while its test runs, the other two hide), the phase, seconds and cycle labels, the cycle count
// and wait time, the running mean per mode, and beside it the spread of the last test: minimum,
// median, maximum, standard deviation, the valid count "L of M", a plot of the cycles and a CSV
// export.
//
// The test's rules are the core's (ttff/ttff_campaign.h). tmrTest steps it once a second on the
// window thread; tests switch the timer off and call Tick themselves.

#include <QWidget>
#include <functional>
#include <memory>

#include "session/receiver_conversation.h"
#include "ttff/ttff_campaign.h"
#include "util/clock.h"
#include "util/messages.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace vetra::ui {

class TtffPlot;

class TtffPanel : public QWidget {
  Q_OBJECT
 public:
  struct Hooks {
    // The receiver conversation (made after the pages).
    std::function<ReceiverConversation&()> conversation;
    IClock* clock = nullptr;  // nullptr: the system clock
    IMessages* messages = nullptr;
    std::function<void(const QString&)> showStatus;  // the last panel of sbStatus
  };

  explicit TtffPanel(Hooks hooks, QWidget* parent = nullptr);
  ~TtffPanel() override;

  // btHotStartClick, btWarmStartClick, btColdStartClick.
  void ModeClick(TestType type);
  // tmrTestTimer: one step of the test.
  void Tick();
  void ExportClick();

  // Tests: the timer is never started; they step the test with Tick.
  void UseManualTicks(bool manual);
  using FileChooser = std::function<QString(const QString& suggested)>;
  void SetCsvFileChooser(FileChooser chooser) { chooseCsv_ = std::move(chooser); }

  const TtffCampaign& test() const { return *test_; }
  // The test hears the receiver as a display of the conversation's passes.
  IPassDisplay& passDisplay() { return *test_; }

  // Remembered between runs: the cycle count and the mode of the last test started (its button
  // has the focus at the next start).
  int cycles() const;
  void SetCycles(int cycles);
  TestType lastMode() const { return lastMode_; }
  void SetLastMode(TestType mode);

 protected:
  // Leaving the page stops a running test: its restart frames must never reach a port that the
  // loader uses, nor one that is gone.
  void hideEvent(QHideEvent* event) override;

 private:
  class Monitor;
  void BuildControls();
  void Show();
  void ShowStatistics();
  void SyncTimer();

  Hooks hooks_;
  std::unique_ptr<Monitor> monitor_;
  std::unique_ptr<TtffCampaign> test_;
  FileChooser chooseCsv_;
  bool manualTicks_ = false;
  TestType lastMode_ = TestType::Hot;

  QPushButton* buttons_[3];  // btHotStart, btWarmStart, btColdStart
  QLabel *lbGPSstatus_, *lbTestStatus_, *lbTestCycle_, *lbTTFF_;
  QSpinBox *csTestCycles_, *csWaitTime_;
  QLineEdit* averages_[3];  // edTestAvgHot, edTestAvgWarm, edTestAvgCold
  QLabel *lbTestMin_, *lbTestMedian_, *lbTestMax_, *lbTestStdDev_, *lbTestValid_;
  TtffPlot* pbTestPlot_;
  QPushButton* btTestExport_;
  QTimer* tmrTest_;
};

}  // namespace vetra::ui
