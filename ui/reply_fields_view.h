#pragma once
// The reply fields of the command area: where a query's answer is shown on its panel (revision,
// clock offset, built-in test, module and customized ID, the settings reports, the trace status of
// Maintain Trace Buffer, the ephemeris and almanac progress). The fields are widgets of the
// command panels (ui/command_panels.h), each on the panel of its command; this view fills them
// from the view models (present/reports.h, commands/store_files.h) and blanks them when a command
// is sent, so that an old answer never reads as the new one.

#include <string>
#include <vector>

#include "commands/store_files.h"
#include "present/reports.h"

namespace vetra::ui {

struct CommandPanels;

class ReplyFieldsView {
 public:
  explicit ReplyFieldsView(CommandPanels& panels) : panels_(panels) {}

  void ShowRevision(const RevisionView& view);  // lbRevision, lbRevDate, lbRevTime, lbCRC
  void ClearRevision();
  void ShowClockOffset(const std::string& text);  // lbClockOffSet
  void ClearClockOffset();
  void ShowSelfTest(const SelfTestView& view);  // lbResult, lbBitResult
  void ClearSelfTest(int keptTestItem);
  int idChoice() const;                            // rgID: 0 "Production ID", 1 "User Key ID"
  void ShowModuleId(const std::string& text);      // edModuleID
  void ShowCustomizedId(const std::string& text);  // edCID
  void ShowReport(const std::vector<std::string>& lines);  // moShowText
  // lbTraceStatus, lbTraceUsed, lbTraceNum, moTraceCfg.
  void ShowTraceReport(const TraceReport& report);
  void ClearTraceStatus();
  void ShowTestResult(const TestResultView& view);  // lbTraceStatus
  void ShowEphsProgress(const StoreProgress& progress);
  void ShowAlmcProgress(const StoreProgress& progress);

 private:
  CommandPanels& panels_;
};

}  // namespace vetra::ui
