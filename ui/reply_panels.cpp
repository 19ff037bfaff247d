#include "ui/reply_panels.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/chart_style.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

QLabel* ValueLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  label->setFrameShape(QFrame::StyledPanel);
  label->setFrameShadow(QFrame::Sunken);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  return memo;
}

void SetLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  QStringList list;
  for (const auto& line : lines) list << QString::fromStdString(line);
  memo->setPlainText(list.join('\n'));
}

}  // namespace

ReplyPanels::ReplyPanels(QStackedWidget* stack) : stack_(stack) {
  AddPanel("pnNothing");

  {  // Query Firmware Revision
    QWidget* panel = AddPanel("pnRevision");
    auto* form = new QFormLayout(panel);
    lbRevision_ = ValueLabel(panel, "lbRevision");
    lbCRC_ = ValueLabel(panel, "lbCRC");
    lbRevDate_ = ValueLabel(panel, "lbRevDate");
    lbRevTime_ = ValueLabel(panel, "lbRevTime");
    form->addRow("Revision Label", lbRevision_);
    form->addRow("CRC", lbCRC_);
    form->addRow("Date (YY/MM/DD)", lbRevDate_);
    form->addRow("Time (HH:MM:SS)", lbRevTime_);
  }
  {  // Clock Offset
    QWidget* panel = AddPanel("pnClkOff");
    auto* form = new QFormLayout(panel);
    lbClockOffSet_ = ValueLabel(panel, "lbClockOffSet");
    form->addRow("Clock Offset", lbClockOffSet_);
  }
  {  // Perform Built-In-Test
    QWidget* panel = AddPanel("pnBIT");
    auto* layout = new QVBoxLayout(panel);
    auto* group = new QGroupBox("RESULT", panel);
    auto* form = new QFormLayout(group);
    for (int i = 0; i < 4; ++i) {
      const QByteArray name = "lbResult" + QByteArray::number(i + 1);
      lbResult_[i] = ValueLabel(group, name.constData());
      form->addRow(QString("W %1").arg(i + 1), lbResult_[i]);
    }
    lbBitResult_ = new QLabel(panel);
    lbBitResult_->setObjectName("lbBitResult");
    lbBitResult_->setAlignment(Qt::AlignCenter);
    lbBitResult_->setAutoFillBackground(true);
    QFont big = lbBitResult_->font();
    big.setBold(true);
    lbBitResult_->setFont(big);
    layout->addWidget(group);
    layout->addWidget(lbBitResult_);
    layout->addStretch();
  }
  {  // Set ID / Query ID
    QWidget* panel = AddPanel("pnID");
    auto* layout = new QVBoxLayout(panel);
    auto* rgID = new QGroupBox(panel);
    rgID->setObjectName("rgID");
    idProduction_ = new QRadioButton("Production ID", rgID);
    idUserKey_ = new QRadioButton("User Key ID", rgID);
    idUserKey_->setChecked(true);
    auto* group = new QButtonGroup(rgID);
    group->addButton(idProduction_, 0);
    group->addButton(idUserKey_, 1);
    auto* idLayout = new QVBoxLayout(rgID);
    idLayout->addWidget(idProduction_);
    idLayout->addWidget(idUserKey_);
    edModuleID_ = new QLineEdit(panel);
    edModuleID_->setObjectName("edModuleID");
    edModuleID_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(rgID);
    layout->addWidget(edModuleID_);
    layout->addStretch();
  }
  {  // Maintain Customized ID
    QWidget* panel = AddPanel("pnCustomizedID");
    auto* layout = new QVBoxLayout(panel);
    edCID_ = new QLineEdit(panel);
    edCID_->setObjectName("edCID");
    edCID_->setMaxLength(32);  // the receiver keeps 32 characters
    layout->addWidget(edCID_);
    layout->addStretch();
  }
  {  // Query Navigation Setting / Query System Setting
    QWidget* panel = AddPanel("pnShowText");
    auto* layout = new QVBoxLayout(panel);
    moShowText_ = Memo(panel, "moShowText");
    layout->addWidget(moShowText_);
  }
  {  // Maintain Trace Buffer: the status share
    QWidget* panel = AddPanel("pnMaintainTrace");
    auto* layout = new QVBoxLayout(panel);
    auto* status = new QGroupBox("Status ", panel);
    status->setObjectName("gbTrcStatus");
    auto* form = new QFormLayout(status);
    lbTraceStatus_ = ValueLabel(status, "lbTraceStatus");
    lbTraceNum_ = ValueLabel(status, "lbTraceNum");
    lbTraceUsed_ = ValueLabel(status, "lbTraceUsed");
    form->addRow("Status", lbTraceStatus_);
    form->addRow("Logged", lbTraceNum_);
    form->addRow("Used %", lbTraceUsed_);
    moTraceCfg_ = Memo(status, "moTraceCfg");
    form->addRow(moTraceCfg_);
    layout->addWidget(status);
  }
  ShowPanel("pnNothing");
}

QWidget* ReplyPanels::AddPanel(const char* name) {
  auto* panel = new QWidget(stack_);
  panel->setObjectName(name);
  stack_->addWidget(panel);
  panels_[name] = panel;
  return panel;
}

QWidget* ReplyPanels::panel(const std::string& name) const {
  const auto it = panels_.find(name);
  return it == panels_.end() ? nullptr : it->second;
}

void ReplyPanels::ShowPanel(const std::string& name) {
  QWidget* target = panel(name);
  stack_->setCurrentWidget(target != nullptr ? target : panel("pnNothing"));
}

void ReplyPanels::ShowRevision(const RevisionView& view) {
  SetText(lbRevision_, view.revision);
  SetText(lbRevDate_, view.date);
  SetText(lbRevTime_, view.time);
  SetText(lbCRC_, view.crc);
}

void ReplyPanels::ShowClockOffset(const std::string& text) { SetText(lbClockOffSet_, text); }

void ReplyPanels::ShowSelfTest(const SelfTestView& view) {
  for (int i = 0; i < 4; ++i) SetText(lbResult_[i], view.results[i]);
  if (!view.verdict) return;
  // Green or red with white text; otherwise the system's own window colours (the menu bar's).
  QPalette palette = QApplication::palette(lbBitResult_);
  if (view.verdict->background) {
    palette.setColor(QPalette::Window, ToQColor(*view.verdict->background));
    palette.setColor(QPalette::WindowText, Qt::white);
  }
  lbBitResult_->setPalette(palette);
  SetText(lbBitResult_, view.verdict->text);
}

int ReplyPanels::idChoice() const {
  if (idProduction_->isChecked()) return 0;
  if (idUserKey_->isChecked()) return 1;
  return -1;
}

void ReplyPanels::ShowModuleId(const std::string& text) {
  edModuleID_->setText(QString::fromStdString(text));
}

void ReplyPanels::ShowCustomizedId(const std::string& text) {
  edCID_->setText(QString::fromStdString(text));
}

void ReplyPanels::ShowReport(const std::vector<std::string>& lines) {
  SetLines(moShowText_, lines);
}

void ReplyPanels::ShowTraceReport(const TraceReport& report) {
  if (report.traceStatusFont) SetTextColour(lbTraceStatus_, ToQColor(*report.traceStatusFont));
  SetText(lbTraceStatus_, report.traceStatus);
  SetText(lbTraceUsed_, report.usedPercent);
  SetText(lbTraceNum_, report.recordsLogged);
  if (report.config) SetLines(moTraceCfg_, *report.config);
}

void ReplyPanels::ShowTestResult(const TestResultView& view) {
  SetTextColour(lbTraceStatus_, ToQColor(view.font));
  SetText(lbTraceStatus_, view.text);
}

}  // namespace vetra::ui
