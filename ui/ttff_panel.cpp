#include "ui/ttff_panel.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

#include "ttff/conversation_ttff_monitor.h"
#include "ui/chart_style.h"
#include "ui/texts.h"
#include "ui/ttff_plot.h"
#include "ui/widget_text.h"

namespace vetra::ui {

// The test's view of the receiver conversation, which the main window creates after its pages.
class TtffPanel::Monitor final : public ITtffMonitor {
 public:
  explicit Monitor(std::function<ReceiverConversation&()> conversation)
      : conversation_(std::move(conversation)) {}
  uint64_t RestartMonitoring() override { return Made().RestartMonitoring(); }
  void SendRestart(std::span<const uint8_t> frame, int delayMs) override {
    Made().SendRestart(frame, delayMs);
  }
  std::string RestartNotSent() override { return Made().RestartNotSent(); }

 private:
  ConversationTtffMonitor& Made() {
    if (!made_) made_.emplace(conversation_());
    return *made_;
  }
  std::function<ReceiverConversation&()> conversation_;
  std::optional<ConversationTtffMonitor> made_;
};

namespace {

constexpr const char* kButtonNames[3] = {"btHotStart", "btWarmStart", "btColdStart"};
constexpr const char* kAverageNames[3] = {"edTestAvgHot", "edTestAvgWarm", "edTestAvgCold"};
constexpr char kCsvFilter[] = "CSV (*.csv)";

// Default: the palette's own text colour (an invalid colour gives the text back to it).
QColor ColourOf(TextColour colour) {
  switch (colour) {
    case TextColour::Green:
      return ToQColor(kGreen);
    case TextColour::Red:
      return ToQColor(kRed);
    case TextColour::Default:
      break;
  }
  return QColor();
}

QLabel* StatusLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

QLabel* Figure(const char* name, QWidget* parent) {
  auto* label = new QLabel("-", parent);
  label->setObjectName(name);
  label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance("9999.9s"));
  return label;
}

QString FigureText(const std::optional<double>& value) {
  return value ? QString::fromStdString(FormatSeconds(*value)).trimmed() : QString("-");
}

}  // namespace

TtffPanel::TtffPanel(Hooks hooks, QWidget* parent)
    : QWidget(parent),
      hooks_(std::move(hooks)),
      monitor_(std::make_unique<Monitor>(hooks_.conversation)),
      test_(std::make_unique<TtffCampaign>(
          *monitor_, hooks_.clock != nullptr ? *hooks_.clock : SystemClock::instance())) {
  setObjectName("pnTest");
  BuildControls();
  Show();
}

TtffPanel::~TtffPanel() = default;

void TtffPanel::BuildControls() {
  const vetra::TtffPanel& model = test_->panel();
  auto* buttonRow = new QHBoxLayout;
  for (int i = 0; i < 3; ++i) {
    buttons_[i] = new QPushButton(QString::fromStdString(model.captions[i]), this);
    buttons_[i]->setObjectName(kButtonNames[i]);
    buttonRow->addWidget(buttons_[i]);
    const auto type = static_cast<TestType>(i + 1);
    connect(buttons_[i], &QPushButton::clicked, this, [this, type] { ModeClick(type); });
  }
  lbTTFF_ = StatusLabel("lbTTFF", this);
  lbGPSstatus_ = StatusLabel("lbGPSstatus", this);
  lbTestStatus_ = StatusLabel("lbTestStatus", this);
  lbTestStatus_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lbTestStatus_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lbTestStatus_->setMinimumWidth(lbTestStatus_->fontMetrics().horizontalAdvance("00000"));
  lbTestCycle_ = StatusLabel("lbTestCycle", this);
  auto* statusRow = new QHBoxLayout;
  statusRow->addWidget(lbTTFF_);
  statusRow->addWidget(lbGPSstatus_, 1);
  statusRow->addWidget(lbTestStatus_);

  csTestCycles_ = new QSpinBox(this);
  csTestCycles_->setObjectName("csTestCycles");
  csTestCycles_->setRange(1, 10'000);
  csTestCycles_->setValue(TtffCampaign::CyclesFromText(model.cyclesText));
  csWaitTime_ = new QSpinBox(this);
  csWaitTime_->setObjectName("csWaitTime");
  csWaitTime_->setRange(3, 20);
  csWaitTime_->setValue(TtffCampaign::WaitTimeFromText(model.waitTimeText));
  csWaitTime_->setSuffix(" s");
  auto* settings = new QHBoxLayout;
  auto* cyclesForm = new QFormLayout;
  cyclesForm->addRow("Cycles", csTestCycles_);
  auto* waitForm = new QFormLayout;
  waitForm->addRow("Wait Time", csWaitTime_);
  settings->addLayout(cyclesForm);
  settings->addLayout(waitForm);

  // The mean of each mode ("%5.1fs"); the field holds the mode's name until its first result.
  auto* means = new QHBoxLayout;
  means->addWidget(new QLabel("Mean", this));
  for (int i = 0; i < 3; ++i) {
    averages_[i] = new QLineEdit(QString::fromStdString(model.results[i]), this);
    averages_[i]->setObjectName(kAverageNames[i]);
    averages_[i]->setReadOnly(true);
    averages_[i]->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    averages_[i]->setMinimumWidth(averages_[i]->fontMetrics().horizontalAdvance(" 9999.9s  "));
    means->addWidget(averages_[i]);
  }

  // The spread of the last test.
  auto* spread = new QGroupBox("Last test", this);
  spread->setObjectName("gbTestSpread");
  auto* grid = new QGridLayout(spread);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setVerticalSpacing(1);
  lbTestMin_ = Figure("lbTestMin", spread);
  lbTestMedian_ = Figure("lbTestMedian", spread);
  lbTestMax_ = Figure("lbTestMax", spread);
  lbTestStdDev_ = Figure("lbTestStdDev", spread);
  lbTestValid_ = Figure("lbTestValid", spread);
  lbTestValid_->setToolTip("Cycles counted of restarts sent");
  grid->addWidget(new QLabel("Min", spread), 0, 0);
  grid->addWidget(lbTestMin_, 0, 1);
  grid->addWidget(new QLabel("Max", spread), 0, 2);
  grid->addWidget(lbTestMax_, 0, 3);
  grid->addWidget(new QLabel("Median", spread), 1, 0);
  grid->addWidget(lbTestMedian_, 1, 1);
  grid->addWidget(new QLabel("Std dev", spread), 1, 2);
  grid->addWidget(lbTestStdDev_, 1, 3);
  grid->addWidget(new QLabel("Valid", spread), 2, 0);
  grid->addWidget(lbTestValid_, 2, 1);
  btTestExport_ = new QPushButton("Export", spread);
  btTestExport_->setObjectName("btTestExport");
  btTestExport_->setToolTip("Save every restart of the last test as CSV");
  grid->addWidget(btTestExport_, 2, 2, 1, 2);
  pbTestPlot_ = new TtffPlot(spread);
  grid->addWidget(pbTestPlot_, 3, 0, 1, 4);
  connect(btTestExport_, &QPushButton::clicked, this, &TtffPanel::ExportClick);

  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(4);
  layout->addLayout(buttonRow);
  layout->addLayout(statusRow);
  layout->addWidget(lbTestCycle_);
  layout->addLayout(settings);
  layout->addLayout(means);
  layout->addWidget(spread, 1);

  tmrTest_ = new QTimer(this);
  tmrTest_->setObjectName("tmrTest");
  tmrTest_->setInterval(1000);
  connect(tmrTest_, &QTimer::timeout, this, &TtffPanel::Tick);
}

void TtffPanel::UseManualTicks(bool manual) {
  manualTicks_ = manual;
  SyncTimer();
}

void TtffPanel::SyncTimer() {
  const bool run = test_->panel().timerRunning && !manualTicks_;
  if (run && !tmrTest_->isActive()) tmrTest_->start();
  if (!run) tmrTest_->stop();
}

void TtffPanel::ModeClick(TestType type) {
  if (!test_->panel().timerRunning) lastMode_ = type;
  test_->ButtonClicked(type);
  Show();
}

int TtffPanel::cycles() const { return csTestCycles_->value(); }
void TtffPanel::SetCycles(int cycles) { csTestCycles_->setValue(cycles); }

void TtffPanel::SetLastMode(TestType mode) {
  lastMode_ = mode;
  buttons_[static_cast<int>(mode) - 1]->setFocus();
}

void TtffPanel::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // A minimised window hides spontaneously; another page hides it from within the program.
  if (!event->spontaneous() && test_->panel().timerRunning) ModeClick(test_->testType());
}

void TtffPanel::Tick() {
  vetra::TtffPanel& model = test_->panel();
  // The spin edits as the user left them; the test reads them at each cycle's end and pause.
  model.cyclesText = csTestCycles_->cleanText().toStdString();
  model.waitTimeText = csWaitTime_->cleanText().toStdString();
  test_->Tick();
  if (!model.lastSendError.empty() && hooks_.showStatus) {
    hooks_.showStatus("Restart not sent: " + QString::fromStdString(model.lastSendError));
  }
  Show();
}

void TtffPanel::Show() {
  const vetra::TtffPanel& model = test_->panel();
  SetText(lbGPSstatus_, model.gpsStatus);
  SetTextColour(lbGPSstatus_, ColourOf(model.gpsStatusColour));
  SetText(lbTestStatus_, model.testStatus);
  SetTextColour(lbTestStatus_, ColourOf(model.testStatusColour));
  SetText(lbTestCycle_, model.testCycle);
  SetText(lbTTFF_, model.ttffMode);
  for (int i = 0; i < 3; ++i) {
    buttons_[i]->setText(QString::fromStdString(model.captions[i]));
    buttons_[i]->setVisible(model.visible[i]);
    buttons_[i]->setEnabled(model.enabled[i]);
    SetText(averages_[i], model.results[i]);
  }
  btTestExport_->setEnabled(!test_->cycles().empty());
  ShowStatistics();
  SyncTimer();
}

void TtffPanel::ShowStatistics() {
  const TtffStatistics s = test_->statistics();
  SetText(lbTestMin_, FigureText(s.minimum));
  SetText(lbTestMedian_, FigureText(s.median));
  SetText(lbTestMax_, FigureText(s.maximum));
  SetText(lbTestStdDev_, FigureText(s.standardDeviation));
  SetText(lbTestValid_, QString::fromStdString(ValidCountText(s)));
  pbTestPlot_->SetCycles(test_->cycles(), s.mean);
}

void TtffPanel::ExportClick() {
  if (test_->cycles().empty()) return;
  const QString suggested =
      QString("ttff-%1-%2.csv")
          .arg(QString::fromUtf8(ModeName(test_->testType()).data(),
                                 static_cast<qsizetype>(ModeName(test_->testType()).size())))
          .arg(QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss"));
  const QString path = chooseCsv_
                           ? chooseCsv_(suggested)
                           : QFileDialog::getSaveFileName(this, "Export", suggested, kCsvFilter);
  if (path.isEmpty()) return;
  if (!WriteCsv(path.toStdString(), test_->cycles())) {
    if (hooks_.messages != nullptr) hooks_.messages->Show(kWrongFile, kErrorTitle);
    return;
  }
  if (hooks_.showStatus) hooks_.showStatus("Exported: " + path);
}

}  // namespace vetra::ui
