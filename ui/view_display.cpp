// The View page as the monitoring task's display: everything here runs on the window thread
// inside the task's hand-off, so the task's records and reply fields may be read freely.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include "commands/store_files.h"
#include "link/latency_trace.h"
#include "ui/chart_style.h"
#include "ui/click_label.h"
#include "ui/cn0_chart.h"
#include "ui/command_area.h"
#include "ui/sky_view.h"
#include "ui/view_page.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

// A frame's echo holds raw bytes: control characters would break the line or vanish, so they are
// shown as dots; bytes from 80h up show as Latin-1 characters.
QString EchoText(std::string_view line) {
  QString text = QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
  for (QChar& c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0)) {
      c = QChar('.');
    }
  }
  return text;
}

}  // namespace

void ViewPage::SetHeartbeat(const char* text) {
  host_.SetStatusPanel(0, QString::fromLatin1(text));
}

void ViewPage::AppendNmeaLine(std::string_view line) { moNMEA_->appendPlainText(EchoText(line)); }

void ViewPage::ShowNavigation(const TNavRecord& display, DisplaySource source) {
  if (source == DisplaySource::Binary) {
    SetClockVisible(true);
    ShowPosition(display);
    ShowMeasurement(display);
  } else {
    SetClockVisible(false);
    ShowPosition(display);
  }
  TraceLatencyEvent("view");  // the latency benchmark's end mark (off unless asked for)
}

void ViewPage::ShowPosition(const TNavRecord& record) {
  const PositionView view =
      MakePositionView(record, coordinateFormat_, host_.viewTask().channelCount());
  SetText(lbTime_, view.time);
  if (view.fixText) {
    SetTextColour(lbFix_, ToQColor(view.fixColour));
    SetText(lbFix_, *view.fixText);
  }
  SetText(lbLat_, view.latitude);
  SetText(lbLong_, view.longitude);
  SetText(lbHigh_, view.altitude);
  SetText(lpdop_, view.pdop);
  SetText(lhdop_, view.hdop);
  SetText(lvisible_, view.inView);
  SetText(lbFixNo_, view.used);
  SetText(leSpeed_, view.speed);
  SetText(leDir_, view.heading);
  chSat_->SetPoints(view.points);
  chCn0_->SetBars(view.bars, view.cn0AxisMax);
  SetText(lbBigSNR_, view.bigSnr);
}

void ViewPage::ShowMeasurement(const TNavRecord& record) {
  const MeasurementView view = MakeMeasurementView(record, host_.secondChip(), host_.accessLevel());
  SetText(lbClkOff_, view.clock);
  SetText(edMeasUTC_, view.utc);
  SetText(edCB_, view.clockBias);
  SetText(edTB_, view.timeBias);
  SetText(edFB_, view.frequencyBias);
  for (size_t i = 0; i < view.rows.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    if (!view.rows[i] || row >= sgMeas_->rowCount()) continue;
    for (int column = 1; column <= 9; ++column) {
      QTableWidgetItem* item = sgMeas_->item(row, column);
      const QString text = QString::fromStdString((*view.rows[i])[column - 1]);
      if (item != nullptr && item->text() != text) item->setText(text);
    }
  }
}

void ViewPage::EnableHostButton() { host_.EnableHostButton(); }

void ViewPage::PortFailed() {
  // The task waits inside the hand-off: the message box and the return to Setup (which stops the
  // task) must run after it has returned.
  QTimer::singleShot(0, this, [this] { host_.PortFailed(); });
}

void ViewPage::onRevision() {
  commands_->ShowRevision(
      MakeRevisionView(host_.viewTask().binary().replies().revision, host_.secondChip()));
}

void ViewPage::onClockOffset() {
  commands_->ShowClockOffset(MakeClockOffsetText(host_.viewTask().binary().replies().clockOffset));
}

void ViewPage::onSelfTest() {
  commands_->ShowSelfTest(
      MakeSelfTestView(host_.viewTask().binary().replies().selfTest, commands_->keptTestItem()));
}

void ViewPage::onEphemeris() {
  commands_->ShowEphsProgress(
      EphemerisProgress(host_.viewTask().binary().stores().ephemeris.Get()));
}

void ViewPage::onAlmanac() {
  commands_->ShowAlmcProgress(AlmanacProgress(host_.viewTask().binary().stores().almanac.Get()));
}

void ViewPage::onModuleId() {
  commands_->ShowModuleId(
      MakeModuleIdText(host_.viewTask().binary().stores(), commands_->idChoice()));
}

void ViewPage::onCustomizedId() {
  commands_->ShowCustomizedId(MakeCustomizedIdText(host_.viewTask().binary().stores()));
}

void ViewPage::onNavSettings(std::span<const uint8_t> payload) {
  commands_->ShowReport(MakeNavSettingsReport(payload));
}

void ViewPage::onSysSettings(std::span<const uint8_t> payload) {
  commands_->ShowReport(MakeSysSettingsReport(payload));
}

void ViewPage::onTraceStatusFull() {
  const TraceReport report = MakeFullTraceReport(host_.viewTask().binary().replies().trace,
                                                 host_.shownTraceStatus().toStdString());
  commands_->ShowTraceReport(report);
  host_.ShowTraceReport(report);
}

void ViewPage::onTraceStatusShort() {
  const TraceReport report = MakeShortTraceReport(host_.viewTask().binary().replies().trace,
                                                  host_.shownTraceStatus().toStdString());
  commands_->ShowTraceReport(report);
  host_.ShowTraceReport(report);
}

void ViewPage::onTestResult() {
  commands_->ShowTestResult(MakeTestResultView(host_.viewTask().binary().stores().testFailed()));
}

void ViewPage::onTraceRecord(std::span<const uint8_t>) { host_.TraceRecordArrived(); }

void ViewPage::onAck(uint8_t) { commands_->ShowAcknowledgement(true); }
void ViewPage::onNack(uint8_t) { commands_->ShowAcknowledgement(false); }

}  // namespace vetra::ui
