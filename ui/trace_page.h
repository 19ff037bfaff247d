#pragma once
// The Trace page (tsTrace): the receiver's position logger (pnTrace, shown when the settings say
// "Trace" = "ON") and the time-to-first-fix test (pnTest, TtffPanel). Without the logger the page
// is captioned "&TTFF" and shows the test alone.

#include <QWidget>

#include "monitor/reports.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;
class QGroupBox;

namespace vetra::ui {

class TtffPanel;

class TracePage : public QWidget {
  Q_OBJECT
 public:
  explicit TracePage(QWidget* parent = nullptr);

  void SetTraceLoggerShown(bool shown);  // pnTrace visible or not
  TtffPanel& ttff() { return *ttff_; }

  // The status fields of the logger (lbTrcStatus, lbTrcPct, lbTrcLogged).
  void ShowTraceReport(const TraceReport& report);
  QString shownTraceStatus() const;

 private:
  QWidget* BuildTracePanel();
  QWidget* AddPanel(const char* name);

  QWidget* pnTrace_;
  QTreeWidget* tvTraceCmd_;
  QStackedWidget* panels_;
  QLabel *lbTrace_, *lbTrcStatus_, *lbTrcPct_, *lbTrcLogged_, *lbTrcReadPos_;
  TtffPanel* ttff_;
};

}  // namespace vetra::ui
