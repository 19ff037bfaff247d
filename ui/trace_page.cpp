#include "ui/trace_page.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <charconv>
#include <climits>
#include <filesystem>

#include "app/capture_slot.h"
#include "trace/trace_convert.h"
#include "trace/trace_read_control.h"
#include "ui/texts.h"
#include "ui/ttff_panel.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

constexpr char kClearTitle[] = "Clear";

int IntegerOr(const std::string& text, int fallback) {
  int value = fallback;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size() ? value : fallback;
}

}  // namespace

TracePage::TracePage(Hooks hooks, QWidget* parent) : QWidget(parent), hooks_(std::move(hooks)) {
  setObjectName("tsTrace");
  TTracePage::Hooks logger;
  logger.post = [this](Exchange exchange, std::function<void(const ExchangeResult&)> done) {
    return hooks_.conversation && hooks_.conversation().Post(std::move(exchange), std::move(done));
  };
  logger.attachCapture = [this](std::unique_ptr<IByteSink> file, const std::string& path) {
    return hooks_.capture != nullptr &&
           hooks_.capture->Take(CaptureUser::TraceRead, std::move(file), path);
  };
  logger.onReadEvent = [this](ReadEvent event) { ReadEventArrived(event); };
  logger.closeCapture = [this] {
    if (hooks_.capture != nullptr) hooks_.capture->Give(CaptureUser::TraceRead);
  };
  logger.onWritten = [page = QPointer<TracePage>(this)](WriteOutcome outcome,
                                                        const std::string& why) {
    // Inside the conversation's hand-off: the message box waits until it has returned.
    if (page == nullptr || outcome != WriteOutcome::Failed) return;
    QTimer::singleShot(0, page, [page, why] {
      if (page->hooks_.messages != nullptr) page->hooks_.messages->Show(why, kErrorTitle);
    });
  };
  logger.captureDirectory = hooks_.folder;
  logger_ = std::make_unique<TTracePage>(std::move(logger));

  ui_ = BuildTracePanels(this);
  TtffPanel::Hooks ttff;
  ttff.conversation = hooks_.conversation;
  ttff.clock = hooks_.clock;
  ttff.messages = hooks_.messages;
  ttff.showStatus = hooks_.showStatus;
  ttff_ = new TtffPanel(std::move(ttff), this);

  // With the logger shown, the test lies to its right: reachable by widening the window, without
  // holding the window wide.
  testArea_ = new QScrollArea(this);
  testArea_->setObjectName("pnTestArea");
  testArea_->setFrameShape(QFrame::NoFrame);
  testArea_->setWidgetResizable(true);
  testArea_->setMinimumWidth(0);
  testArea_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(ui_.pnTrace);
  layout->addWidget(testArea_, 1);
  layout->addWidget(ttff_, 1);

  connect(ui_.tvTraceCmd, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item != nullptr) TraceAction(ui_.tvTraceCmd->indexOfTopLevelItem(item));
  });
  connect(ui_.btTrcRecord, &QPushButton::clicked, this, &TracePage::RecordClick);
  connect(ui_.btTrcRead, &QPushButton::clicked, this, &TracePage::ReadClick);
  connect(ui_.btClear, &QPushButton::clicked, this, &TracePage::ClearClick);
  connect(ui_.Button1, &QPushButton::clicked, this, &TracePage::RequestClick);
  connect(ui_.btConvert, &QPushButton::clicked, this, &TracePage::ConvertClick);
  connect(ui_.rgSelCvt, &QButtonGroup::idClicked, this, &TracePage::SelCvtClick);

  SetTraceLoggerShown(false);
}

TracePage::~TracePage() = default;

IClock& TracePage::clock() const {
  return hooks_.clock != nullptr ? *hooks_.clock : SystemClock::instance();
}

std::string TracePage::PathOf(const char* name) const {
  return (std::filesystem::path(hooks_.folder) / name).string();
}

void TracePage::SetTraceLoggerShown(bool shown) {
  ui_.pnTrace->setVisible(shown);
  QHBoxLayout* layout = static_cast<QHBoxLayout*>(this->layout());
  if (shown && testArea_->widget() != ttff_) {
    layout->removeWidget(ttff_);
    testArea_->setWidget(ttff_);
  } else if (!shown && testArea_->widget() == ttff_) {
    testArea_->takeWidget();
    ttff_->setParent(this);
    layout->addWidget(ttff_, 1);
  }
  testArea_->setVisible(shown);
  ttff_->show();
}

// --- Status --------------------------------------------------------------------------------------

void TracePage::ShowTraceReport(const TraceReport& report) {
  SetText(ui_.lbTrcStatus, report.trcStatus);
  SetText(ui_.lbTrcPct, report.usedPercent);
  SetText(ui_.lbTrcLogged, report.recordsLogged);
}

QString TracePage::shownTraceStatus() const { return ui_.lbTrcStatus->text(); }

void TracePage::TraceRecordArrived() {
  if (logger_->traceMode() != 2) return;
  ++recordsReceived_;
  ui_.pbReadProgress->setValue(std::min(recordsReceived_, ui_.pbReadProgress->maximum()));
  SetText(ui_.lbProgress, QString::number(recordsReceived_));
  SetText(ui_.lbTrcReadPos, QString::number(readStart_ + recordsReceived_));
}

void TracePage::CaptureSlotChanged(CaptureUser holder) {
  if (holder != CaptureUser::TraceRead && logger_->traceMode() == 2) {
    // The read's capture ended without the button (the port failed): the page leaves read mode,
    // so that Stop does not start another read.
    logger_->EndRead(false);
    ShowReadEnded();
  }
  ui_.btTrcRead->setToolTip(holder == CaptureUser::RawLog
                                ? "The raw log holds the capture: stop it on the View page first"
                                : QString());
  ShowLoggerState();
}

void TracePage::CaptureFailed(const std::string& path, const std::string& reason) {
  // The conversation closed the file with what it holds; the receiver is told to stop reading.
  logger_->EndRead(true);
  ShowReadEnded();
  ShowLoggerState();
  const uint64_t kept = CountTraceRecords(path);
  const std::string text = TraceCaptureFailedText(path, reason, kept);
  QTimer::singleShot(0, this, [this, text] {
    if (hooks_.messages != nullptr) hooks_.messages->Show(text, kErrorTitle);
  });
}

void TracePage::ShowReadEnded() {
  ui_.pbReadProgress->setValue(0);
  SetText(ui_.lbProgress, QString("0"));
}

void TracePage::ShowStatus(const std::string& text) {
  if (hooks_.showStatus) hooks_.showStatus(QString::fromStdString(text));
}

// --- Handlers ------------------------------------------------------------------------------------

TracePageInputs TracePage::Inputs() const {
  TracePageInputs in;
  in.lbTrcDistance = ui_.lbTrcDistance->text().toStdString();
  in.lbTrcPeriod = ui_.lbTrcPeriod->text().toStdString();
  in.lbTrcTime = ui_.lbTrcTime->text().toStdString();
  in.rdTrcFormat = std::max(0, ui_.rdTrcFormat->checkedId());
  in.lbStartPos = ui_.lbStartPos->text().toStdString();
  in.rdTrcBaud = std::max(0, ui_.rdTrcBaud->checkedId());
  in.lbTrcLogged = ui_.lbTrcLogged->text().toStdString();
  return in;
}

void TracePage::ShowLoggerState() {
  ui_.tvTraceCmd->setEnabled(logger_->treeEnabled());
  ui_.btTrcRecord->setText(logger_->recordCaption());
  ui_.btTrcRead->setText(logger_->readCaption());
  // Not while a start waits for the receiver, nor while the raw log holds the capture.
  const bool rawLog = hooks_.capture != nullptr && hooks_.capture->heldBy(CaptureUser::RawLog);
  ui_.btTrcRead->setEnabled(!logger_->asking() && !rawLog);
}

// The frames go to the conversation while a port is open; a write the port refuses is told later
// (onWritten).
void TracePage::Guarded(const std::function<void()>& send) {
  ReceiverConversation* conversation = hooks_.conversation ? &hooks_.conversation() : nullptr;
  logger_->SetWriter(conversation != nullptr && conversation->portOpen() ? conversation : nullptr);
  send();
  ShowLoggerState();
}

void TracePage::TraceAction(int node) {
  TracePageInputs in = Inputs();
  logger_->TraceAction(node, hooks_.setupBaudRate ? hooks_.setupBaudRate() : 4800, in);
  ui_.panels->setCurrentIndex(logger_->panelIndex());
  SetText(ui_.lbTrace, logger_->actionText());
  SetTextColour(ui_.lbTrace, palette().color(QPalette::Highlight));
  if (QAbstractButton* baud = ui_.rdTrcBaud->button(in.rdTrcBaud)) baud->setChecked(true);
}

void TracePage::RecordClick() {
  const TracePageInputs in = Inputs();
  Guarded([&] { logger_->RecordClick(in); });
}

void TracePage::ReadClick() {
  const TracePageInputs in = Inputs();
  auto result = TTracePage::ReadStart::NothingLogged;
  Guarded([&] { result = logger_->ReadClick(in); });
  switch (result) {
    case TTracePage::ReadStart::Asking:  // the read starts once the receiver's status allows
      readStart_ = IntegerOr(in.lbStartPos, 0);
      break;
    case TTracePage::ReadStart::Stopped: {
      ShowReadEnded();
      std::string note;
      if (hooks_.capture != nullptr && !hooks_.capture->closeError().empty()) {
        note = "Could not write the end of " + logger_->capturePath() + ": " +
               hooks_.capture->closeError();
      } else if (recordsReceived_ == 0) {
        note = "No record was read: " + SettleEmptyCapture(logger_->capturePath()) + ".";
      }
      if (!note.empty()) ShowStatus(note);
      break;
    }
    default:  // nothing logged, no port: the button does nothing
      break;
  }
}

void TracePage::ReadEventArrived(ReadEvent event) {
  // Inside the conversation's hand-off (a completion): only the page's own fields change here.
  if (event == ReadEvent::Started) {
    recordsReceived_ = 0;
    ui_.pbReadProgress->setRange(0, std::max(1, logger_->readProgressMaximum()));
    ui_.pbReadProgress->setValue(0);
    SetText(ui_.lbProgress, QString("0"));
  }
  if (const std::string text = ReadEventText(event); !text.empty()) ShowStatus(text);
  ShowLoggerState();
}

void TracePage::ClearClick() {
  // The receiver's whole log goes: the window asks first (the terminal's `vetra trace clear` acts
  // as it is told).
  const QString logged = ui_.lbTrcLogged->text();
  const std::string question = logged.isEmpty()
                                   ? std::string("Erase all logged positions?")
                                   : "Erase all " + logged.toStdString() + " logged positions?";
  if (hooks_.messages != nullptr && !hooks_.messages->Ask(question, kClearTitle)) return;
  Guarded([&] { logger_->ClearClick(); });
}

void TracePage::RequestClick() {
  Guarded([&] { logger_->RequestClick(); });
}

void TracePage::SelCvtClick() { ui_.pbConvert->setValue(0); }

const char* TracePage::OutputFileName(TraceFormat format) { return TraceOutputFile(format); }

void TracePage::ConvertClick() {
  if (converting_) return;
  converting_ = true;
  // The window handles its events during the conversion: no second one, no change of type.
  ui_.btConvert->setEnabled(false);
  ui_.rgSelCvtBox->setEnabled(false);
  const auto format = static_cast<TraceFormat>(std::max(0, ui_.rgSelCvt->checkedId()));
  const std::string output = PathOf(OutputFileName(format));
  QProgressBar* bar = ui_.pbConvert;
  int64_t scale = 1;  // the bar counts in ints; a capture above 2 GB counts in larger steps
  TraceConvertCallbacks callbacks;
  callbacks.started = [&](int64_t total) {
    scale = total / INT_MAX + 1;
    // An empty capture still has an end: a range of 0 to 0 would be a busy bar for good.
    bar->setRange(0, std::max(1, static_cast<int>(total / scale)));
    bar->setValue(0);
  };
  callbacks.beforeBlock = [] { QCoreApplication::processEvents(); };
  callbacks.progress = [&](int64_t read) { bar->setValue(static_cast<int>(read / scale)); };
  const TraceConvertResult result =
      ConvertTraceFile(PathOf(kTraceCaptureFile), output, format, callbacks);
  const std::string name = OutputFileName(format);
  const std::string why = result.error.empty() ? "." : ": " + result.error + ".";
  switch (result.status) {
    case TraceConvertStatus::Ok:
      bar->setValue(bar->maximum());
      SetText(ui_.lbCvtReport, TraceConvertReport(result, name));
      break;
    case TraceConvertStatus::InputMissing:  // no capture: changes nothing and says nothing
    case TraceConvertStatus::OutputFailed:
      ui_.lbCvtReport->clear();
      break;
    case TraceConvertStatus::SameFile:  // the output leads to the capture itself (a link)
      ui_.lbCvtReport->clear();
      if (hooks_.messages != nullptr) {
        hooks_.messages->Show(output + " is the capture " + PathOf(kTraceCaptureFile) +
                                  " itself: nothing was written.",
                              kErrorTitle);
      }
      break;
    case TraceConvertStatus::ReadFailed:
    case TraceConvertStatus::WriteFailed:
      // The earlier output stays as it was: the new one must not pass for a whole conversion.
      ui_.lbCvtReport->clear();
      if (hooks_.messages != nullptr) {
        const std::string text = result.status == TraceConvertStatus::ReadFailed
                                     ? "Could not read " + PathOf(kTraceCaptureFile) + why
                                     : "Could not write " + output + why;
        hooks_.messages->Show(text + "\n" + name + " was left as it was.", kErrorTitle);
      }
      break;
  }
  ui_.btConvert->setEnabled(true);
  ui_.rgSelCvtBox->setEnabled(true);
  converting_ = false;
}

}  // namespace vetra::ui
