#include "ui/reply_fields_view.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <algorithm>

#include "session/reply_events.h"
#include "ui/chart_style.h"
#include "ui/command_panels.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

void ShowProgress(const StoreProgress& progress, QProgressBar* bar, QLabel* count, QLabel* sv,
                  QLabel* week, QLabel* toe) {
  // A bar whose maximum is 0 would show Qt's busy animation, and one below the position would
  // refuse the position: the maximum is at least 1 and at least the replies received.
  bar->setRange(0, std::max({progress.maximum, progress.position, 1}));
  bar->setValue(progress.position);
  SetText(count, progress.count);
  if (progress.sv) SetText(sv, *progress.sv);
  if (progress.weekNumber) SetText(week, *progress.weekNumber);
  if (toe != nullptr && progress.toe) SetText(toe, *progress.toe);
}

}  // namespace

void ReplyFieldsView::ShowRevision(const RevisionView& view) {
  SetText(panels_.lbRevision, view.revision);
  SetText(panels_.lbRevDate, view.date);
  SetText(panels_.lbRevTime, view.time);
  SetText(panels_.lbCRC, view.crc);
}

// The fields blank at once; the conversation's stored reply is replaced whole by the reply.
void ReplyFieldsView::ClearRevision() { ShowRevision(MakeRevisionView(RevisionBlock{}, false)); }

void ReplyFieldsView::ShowClockOffset(const std::string& text) {
  SetText(panels_.lbClockOffSet, text);
}

void ReplyFieldsView::ClearClockOffset() { ShowClockOffset(MakeClockOffsetText(0)); }

void ReplyFieldsView::ShowSelfTest(const SelfTestView& view) {
  for (int i = 0; i < 4; ++i) SetText(panels_.lbResult[i], view.results[i]);
  if (!view.verdict) return;
  // Green or red with the text that reads on it; otherwise the system's own window colours.
  QLabel* verdict = panels_.lbBitResult;
  if (view.verdict->background) {
    SetVerdictColours(verdict, ToQColor(*view.verdict->background));
  } else {
    verdict->setPalette(QApplication::palette(verdict));
  }
  SetText(verdict, view.verdict->text);
}

void ReplyFieldsView::ClearSelfTest(int keptTestItem) {
  ShowSelfTest(MakeSelfTestView(SelfTestWords{}.words, keptTestItem));
}

int ReplyFieldsView::idChoice() const { return panels_.rgID->position(); }

void ReplyFieldsView::ShowModuleId(const std::string& text) { SetText(panels_.edModuleID, text); }

// The receiver's bytes, one character each (the bytes Set Customized ID sends for the text).
void ReplyFieldsView::ShowCustomizedId(const std::string& text) {
  const QString id = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  if (panels_.edCID->text() != id) panels_.edCID->setText(id);
}

void ReplyFieldsView::ShowReport(const std::vector<std::string>& lines) {
  SetLines(panels_.moShowText, lines);
}

void ReplyFieldsView::ShowTraceReport(const TraceReport& report) {
  if (report.traceStatusFont) {
    SetTextColour(panels_.lbTraceStatus, ToQColor(*report.traceStatusFont));
  }
  SetText(panels_.lbTraceStatus, report.traceStatus);
  SetText(panels_.lbTraceUsed, report.usedPercent);
  SetText(panels_.lbTraceNum, report.recordsLogged);
  if (report.config) SetLines(panels_.moTraceCfg, *report.config);
}

void ReplyFieldsView::ClearTraceStatus() {
  panels_.lbTraceStatus->clear();
  panels_.lbTraceNum->clear();
  panels_.lbTraceUsed->clear();
  panels_.moTraceCfg->clear();
}

void ReplyFieldsView::ShowTestResult(const TestResultView& view) {
  SetTextColour(panels_.lbTraceStatus, ToQColor(view.font));
  SetText(panels_.lbTraceStatus, view.text);
}

void ReplyFieldsView::ShowEphsProgress(const StoreProgress& progress) {
  const CommandPanels& p = panels_;
  ShowProgress(progress, p.pbReadEphs, p.lbReadEphs, p.lbEphsSV, p.lbEphsWn, p.lbEphsToe);
}

void ReplyFieldsView::ShowAlmcProgress(const StoreProgress& progress) {
  const CommandPanels& p = panels_;
  ShowProgress(progress, p.pbReadAlmc, p.lbReadAlmc, p.lbAlmcSV, p.lbAlmcWn, nullptr);
}

}  // namespace vetra::ui
