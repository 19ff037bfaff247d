#pragma once
// The reply displays of the command area: the panels whose fields show what a query brought back
// (revision, clock offset, built-in test, module and customized ID, the settings reports, the
// trace status of the maintain command). Each panel is a page of the command area's stack.

#include <QWidget>
#include <map>
#include <string>

#include "present/reports.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;
class QGroupBox;
class QRadioButton;

namespace vetra::ui {

class ReplyPanels {
 public:
  // Creates the panels as pages of stack (pnNothing first, shown).
  explicit ReplyPanels(QStackedWidget* stack);

  QWidget* panel(const std::string& name) const;  // "pnRevision" ...; nullptr when unknown
  void ShowPanel(const std::string& name);        // unknown names show pnNothing

  void ShowRevision(const RevisionView& view);
  void ShowClockOffset(const std::string& text);
  void ShowSelfTest(const SelfTestView& view);
  int idChoice() const;  // rgID: 0 "Production ID", 1 "User Key ID"
  void ShowModuleId(const std::string& text);
  void ShowCustomizedId(const std::string& text);
  void ShowReport(const std::vector<std::string>& lines);  // moShowText
  // The maintain panel's share of a trace report (lbTraceStatus, lbTraceUsed, lbTraceNum,
  // moTraceCfg).
  void ShowTraceReport(const TraceReport& report);
  void ShowTestResult(const TestResultView& view);

 private:
  QWidget* AddPanel(const char* name);

  QStackedWidget* stack_;
  std::map<std::string, QWidget*> panels_;
  QLabel *lbRevision_, *lbRevDate_, *lbRevTime_, *lbCRC_;
  QLabel* lbClockOffSet_;
  QLabel* lbResult_[4];
  QLabel* lbBitResult_;
  QRadioButton *idProduction_, *idUserKey_;
  QLineEdit* edModuleID_;
  QLineEdit* edCID_;
  QPlainTextEdit* moShowText_;
  QLabel *lbTraceStatus_, *lbTraceNum_, *lbTraceUsed_;
  QPlainTextEdit* moTraceCfg_;
};

}  // namespace vetra::ui
