#pragma once
// pnTest: the time-to-first-fix test's controls: a button per restart mode, the phase, seconds
// and cycle labels, the cycle count and wait time, and one average per mode.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace vetra::ui {

class TtffPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TtffPanel(QWidget* parent = nullptr);

 private:
  QPushButton *btHotStart_, *btWarmStart_, *btColdStart_;
  QLabel *lbGPSstatus_, *lbTestStatus_, *lbTestCycle_, *lbTTFF_;
  QSpinBox *csTestCycles_, *csWaitTime_;
  QLineEdit *edTestAvgHot_, *edTestAvgWarm_, *edTestAvgCold_;
  QTimer* tmrTest_;
};

}  // namespace vetra::ui
