// The View page as the receiver conversation's display: each pass value arrives on the window
// thread inside the conversation's hand-off and is shown from its own fields.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>

#include "commands/store_files.h"
#include "ui/chart_style.h"
#include "ui/cn0_chart.h"
#include "ui/command_area.h"
#include "ui/echo_view.h"
#include "ui/readout_label.h"
#include "ui/reply_fields_view.h"
#include "ui/sky_view.h"
#include "ui/view_page.h"
#include "ui/widget_text.h"
#include "util/latency_trace.h"

namespace vetra::ui {

void ViewPage::ShowPass(const PassValue& pass) {
  if (pass.heartbeat != 0) host_.SetStatusPanel(0, QString(QChar(pass.heartbeat)));
  channelCount_ = pass.channelCount;
  for (const EchoedLine& line : pass.lines) echo_->Append(line);
  for (const ReplyEvent& reply : pass.replies) ShowReply(reply);
  if (pass.navigation) ShowNavigation(*pass.navigation, pass.seconds);
  if (pass.binaryNavigation) ShowNavigation(*pass.binaryNavigation, pass.seconds);
  if (pass.hostAnswered) host_.EnableHostButton();
  // A failed port or capture is the window's failure display's (ui/failure_display.h).
}

void ViewPage::ShowNavigation(const NavigationUpdate& update, int64_t seconds) {
  const bool fromBinary = update.source == DisplaySource::Binary;
  const bool shown = measurementVisibility_.Shown(fromBinary, seconds);
  if (shown != measurementShown_) SetClockVisible(shown);
  ShowPosition(update.record);
  if (fromBinary) ShowMeasurement(update.record);
  TraceLatencyEvent("view");  // the latency benchmark's end mark (off unless asked for)
}

void ViewPage::ShowPosition(const TNavRecord& record) {
  const PositionView view = MakePositionView(record, coordinateFormat_, channelCount_);
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
  ShowSatellites(view.satellites);
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
    if (row >= sgMeas_->rowCount()) continue;
    for (int column = 1; column <= 9; ++column) {
      QTableWidgetItem* item = sgMeas_->item(row, column);
      const QString text = QString::fromStdString(view.rows[i][column - 1]);
      if (item != nullptr && item->text() != text) item->setText(text);
    }
  }
}

void ViewPage::ShowReply(const ReplyEvent& reply) {
  ReplyFieldsView& fields = commands_->replyFields();
  switch (reply.kind) {
    case ReplyKind::Ack:
    case ReplyKind::Nack:
      commands_->ShowAcknowledgement(reply.kind == ReplyKind::Ack);
      break;
    case ReplyKind::Revision:
      fields.ShowRevision(MakeRevisionView(reply.as<RevisionBlock>(), host_.secondChip()));
      break;
    case ReplyKind::ClockOffset:
      fields.ShowClockOffset(MakeClockOffsetText(reply.as<ClockOffsetValue>().offset));
      break;
    case ReplyKind::SelfTest:
      fields.ShowSelfTest(
          MakeSelfTestView(reply.as<SelfTestWords>().words, commands_->keptTestItem()));
      break;
    case ReplyKind::Ephemeris:
      fields.ShowEphsProgress(EphemerisProgress(*reply.as<EphemerisSnapshot>()));
      break;
    case ReplyKind::Almanac:
      fields.ShowAlmcProgress(AlmanacProgress(*reply.as<AlmanacSnapshot>()));
      break;
    case ReplyKind::ModuleId:
      fields.ShowModuleId(MakeModuleIdText(reply.as<ModuleIds>().ids, fields.idChoice()));
      break;
    case ReplyKind::CustomizedId:
      fields.ShowCustomizedId(reply.as<CustomizedIdText>().text);
      break;
    case ReplyKind::NavSettings:
      fields.ShowReport(MakeNavSettingsReport(reply.as<ReplyPayload>().bytes));
      break;
    case ReplyKind::SysSettings:
      fields.ShowReport(MakeSysSettingsReport(reply.as<ReplyPayload>().bytes));
      break;
    case ReplyKind::TraceStatusFull:
    case ReplyKind::TraceStatusShort: {
      const std::string shown = host_.shownTraceStatus().toStdString();
      const TraceReport report = reply.kind == ReplyKind::TraceStatusFull
                                     ? MakeFullTraceReport(reply.as<TraceStatus>(), shown)
                                     : MakeShortTraceReport(reply.as<TraceStatus>(), shown);
      fields.ShowTraceReport(report);
      host_.ShowTraceReport(report);
      break;
    }
    case ReplyKind::TestResult:
      fields.ShowTestResult(MakeTestResultView(reply.as<TestVerdict>().failed));
      break;
    case ReplyKind::TraceRecord:
      host_.TraceRecordArrived();
      break;
  }
}

}  // namespace vetra::ui
