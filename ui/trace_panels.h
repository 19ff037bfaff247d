#pragma once
// The controls of the trace logger panel pnTrace: the command tree tvTraceCmd, the four panels it
// chooses between (Clear, Read, Record, Convert), the status fields and the Request button. Only
// the widgets; TracePage gives them their behaviour.

#include <QStringList>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QWidget;

namespace vetra::ui {

struct TracePanels {
  QWidget* pnTrace;
  QTreeWidget* tvTraceCmd;  // "Clear", "Read", "Record", "Convert"
  QLabel* lbTrace;          // the chosen node, "no action" at first
  QStackedWidget* panels;   // index 0: no panel; 1 pnTrcClear ... 4 pnTrcConvert
  QLabel *lbTrcStatus, *lbTrcPct, *lbTrcLogged, *lbTrcReadPos;
  QPushButton* Button1;  // "Request"

  // Clear
  QPushButton* btClear;
  // Read
  QButtonGroup* rdTrcFormat;  // 0 "NMEA", 1 "Binary"
  QLineEdit* lbStartPos;      // "Start Poisition"
  QButtonGroup* rdTrcBaud;    // "4800" 0 ... "38400" 3
  QProgressBar* pbReadProgress;
  QLabel* lbProgress;
  QPushButton* btTrcRead;
  // Record
  QLineEdit *lbTrcDistance, *lbTrcPeriod, *lbTrcTime;
  QPushButton* btTrcRecord;
  // Convert
  QWidget* rgSelCvtBox;
  QButtonGroup* rgSelCvt;  // the convert types in their order
  QProgressBar* pbConvert;
  QPushButton* btConvert;
  QLabel* lbCvtReport;  // records written, skipped and rejected, and the output file
};

TracePanels BuildTracePanels(QWidget* parent);

}  // namespace vetra::ui
