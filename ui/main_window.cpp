#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <cstdlib>

#include "app/baud_table.h"
#include "ui/page_control.h"
#include "ui/setup_page.h"
#include "ui/texts.h"
#include "ui/trace_page.h"
#include "ui/upgrade_page.h"

namespace vetra::ui {
namespace {

constexpr int kQueueSize = 4096;
constexpr int kCompactWidth = 282, kCompactHeight = 405;
constexpr int kOtherPageWidth = 300;
constexpr int kExpandedWidth = 720, kExpandedHeightK700 = 645, kExpandedHeightK900 = 713;

}  // namespace

TfmTop::TfmTop(Options options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      qtMessages_(this),
      messages_(options_.messages != nullptr ? options_.messages : &qtMessages_),
      handOff_(this) {
  setObjectName("fmTop");

  // Settings, command line and the derived start state.
  settings_ = ReadSettings(options_.settingsPath);
  ports_ = PortMap(options_.scanSerialDevices ? ScanSerialDevices() : std::vector<std::string>{},
                   settings_.pinnedPorts);
  const std::string currentDirectory = options_.currentDirectory.empty()
                                           ? QDir::currentPath().toStdString()
                                           : options_.currentDirectory;
  startup_ = DeriveStartup(settings_, options_.viewer, currentDirectory, ports_);
  portIndex_ = startup_.portIndex;
  baudIndex_ = startup_.baudIndex;
  fwPath_ = startup_.firmwarePath;
  workPath_ = startup_.workPath;

  // The window: page control with its sheets; the Config sheet exists but is never shown.
  pgCoder_ = new PageControl(this);
  setupPage_ = new SetupPage(pgCoder_);
  viewPage_ = new ViewPage(*this, pgCoder_);
  upgradePage_ = new UpgradePage(pgCoder_);
  configPage_ = new QWidget(pgCoder_);
  configPage_->setObjectName("tsConfig");
  tracePage_ = new TracePage(pgCoder_);
  pgCoder_->addTab(setupPage_, "&Setup");
  pgCoder_->addTab(viewPage_, "&View");
  pgCoder_->addTab(upgradePage_, "&Upgrade");
  pgCoder_->addTab(configPage_, "Config");
  pgCoder_->setTabVisible(pgCoder_->indexOf(configPage_), false);
  pgCoder_->addTab(tracePage_, "&Trace");
  pgCoder_->setCurrentWidget(setupPage_);
  pgCoder_->SetHooks([this](QWidget* leaving) { return pgBeforeChanging(leaving); },
                     [this](QWidget* entered) { pgCoderChange(entered); });
  setCentralWidget(pgCoder_);
  BuildMenus();
  BuildStatusBar();

  // The monitoring task: running, inactive, until View or Trace is entered.
  TViewTask::Options taskOptions;
  taskOptions.hostMode = startup_.hostMode;
  task_ = std::make_unique<TViewTask>(
      options_.clock != nullptr ? *options_.clock : SystemClock::instance(), handOff_.function(),
      *viewPage_, stores_, taskOptions);

  ApplyStartup();

  connect(setupPage_, &SetupPage::portChanged, this, [this](int index) { portIndex_ = index; });
  connect(setupPage_, &SetupPage::baudChanged, this, [this](int index) { baudIndex_ = index; });
  connect(setupPage_, &SetupPage::chipClicked, this,
          [this] { task_->ToggleChannelCount(secondChip()); });
  connect(viewPage_, &ViewPage::sizeToggleRequested, this, &TfmTop::ToggleWindowSize);

  ResizeTo(kCompactWidth, kCompactHeight);
}

TfmTop::~TfmTop() { StopTasks(); }

void TfmTop::ApplyStartup() {
  setupPage_->SetHostMode(startup_.hostMode);
  setupPage_->SetPortPaths(ports_.DevicePaths());
  setupPage_->SetPortIndex(portIndex_);
  setupPage_->SetBaudIndex(baudIndex_);
  viewPage_->SetBigSnrVisible(startup_.controls.showBigSnr);
  if (startup_.controls.sentenceWidth > 0) viewPage_->NarrowSentenceField();
  tracePage_->SetTraceLoggerShown(startup_.traceOn);
  pgCoder_->setTabText(pgCoder_->indexOf(tracePage_),
                       QString::fromStdString(startup_.traceTabCaption));
  viewPage_->ShowSizeButtons(false, false);
  SetCaption(QString(), kApplicationTitle);
  if (startup_.wrongCom) messages_->Show(kWrongComText, kWrongComTitle);
}

void TfmTop::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("File1");
  QAction* exit = file->addAction("E&xit");
  exit->setObjectName("Exit1");
  connect(exit, &QAction::triggered, this, &TfmTop::Exit1Click);
  QAction* about = menuBar()->addAction("&About");
  about->setObjectName("About1");
  connect(about, &QAction::triggered, this, &TfmTop::About1Click);
}

void TfmTop::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("sbStatus");
  bar->setSizeGripEnabled(true);
  for (int i = 0; i < 3; ++i) {
    statusPanels_[i] = new QLabel(bar);
    statusPanels_[i]->setObjectName(QString("sbStatusPanel%1").arg(i));
  }
  // Panel 0: the receive indicator ("X"/"O"), a fixed-width cell; panel 1 is not written;
  // panel 2: the messages of logging, loading and the trace read.
  statusPanels_[0]->setFixedWidth(statusPanels_[0]->fontMetrics().horizontalAdvance("XX") + 8);
  statusPanels_[0]->setAlignment(Qt::AlignCenter);
  statusPanels_[1]->setFixedWidth(40);
  bar->addWidget(statusPanels_[0]);
  bar->addWidget(statusPanels_[1]);
  bar->addWidget(statusPanels_[2], 1);
}

void TfmTop::SetStatusPanel(int panel, const QString& text) {
  if (panel < 0 || panel > 2) return;
  if (statusPanels_[panel]->text() != text) statusPanels_[panel]->setText(text);
}

bool TfmTop::secondChip() const { return setupPage_->secondChip(); }

void TfmTop::SetCaption(const QString& caption, const QString& applicationTitle) {
  setWindowTitle(caption);
  QGuiApplication::setApplicationDisplayName(applicationTitle);
}

void TfmTop::ResizeTo(int width, int height) {
  // The layouts settle their minimum sizes first, so that a smaller size can be taken at once.
  if (centralWidget()->layout() != nullptr) centralWidget()->layout()->activate();
  if (layout() != nullptr) layout()->activate();
  resize(width, height);
}

// --- Pages --------------------------------------------------------------------------------------

void TfmTop::ShowPage(const QString& objectName) {
  for (int i = 0; i < pgCoder_->count(); ++i) {
    if (pgCoder_->widget(i)->objectName() == objectName) pgCoder_->setCurrentIndex(i);
  }
}

bool TfmTop::pgBeforeChanging(QWidget* leaving) {
  // The monitoring task stops reading on every page change and is started again on entering View
  // or Trace: it never reads while the loader uses the port or while the port is replaced.
  task_->SetActive(false);
  if (leaving == setupPage_) {
    if (!OpenPort()) {
      messages_->Show("Wrong com!", "Open com port");
      return false;
    }
    const int portNumber = portIndex_ + 1;
    const QString title = setupPage_->titleText();
    const QString caption = title.isEmpty() ? QString("C%1-VetraViewer").arg(portNumber)
                                            : QString("C%1-%2").arg(portNumber).arg(title);
    SetCaption(caption, caption);
  } else if (leaving == viewPage_) {
    task_->SetExpanded(false);
    viewPage_->SetExpanded(false);
    ResizeTo(kCompactWidth, kCompactHeight);
    viewPage_->ShowSizeButtons(false, false);
  }
  return true;
}

void TfmTop::pgCoderChange(QWidget* entered) {
  SetStatusPanel(2, QString());
  if (entered == upgradePage_) {
    upgradePage_->EnterForChip(secondChip());
    ResetPort(kLoaderBaud);
  }
  if (entered == viewPage_ || entered == tracePage_) {
    if (entered == viewPage_) viewPage_->ShowSizeButtons(true, false);
    ResetPort(BaudRateAt(baudIndex_));
    task_->SetActive(true);
    viewPage_->SizeGridForChip(secondChip());
  }
  if (entered == setupPage_) {
    ClosePort();
    SetCaption(QString(), kApplicationTitle);
    setupPage_->ClearScanStatus();
  }
  if (entered == viewPage_) {
    viewPage_->ShowSizeButtons(true, false);
    task_->SetExpanded(false);
    viewPage_->SetExpanded(false);
    ResizeTo(kCompactWidth, kCompactHeight);
  } else {
    ResizeTo(kOtherPageWidth, kCompactHeight);
  }
}

bool TfmTop::OpenPort() {
  const std::string path = ports_.DevicePath(portIndex_);
  if (path.empty()) return false;  // the name stands for no device here
  auto port =
      std::make_unique<TSerialPort>(startup_.hostMode, path, BaudRateAt(baudIndex_), 8, kOneStopBit,
                                    kParityNone, kQueueSize, kQueueSize, *messages_);
  if (!port->Open()) return false;
  port_ = std::move(port);
  task_->port().Set(port_.get());
  return true;
}

void TfmTop::ClosePort() {
  task_->SetActive(false);
  task_->port().Set(nullptr);  // waits until the task no longer uses it
  port_.reset();
}

void TfmTop::ResetPort(int baudRate) {
  if (port_ != nullptr) port_->Reset(baudRate, 8, kOneStopBit, kParityNone);
}

void TfmTop::PointSelectedPortAt(const std::string& devicePath, int baudIndex) {
  ports_.Pin(portIndex_, devicePath);
  setupPage_->SetPortPaths(ports_.DevicePaths());
  setupPage_->SetBaudIndex(baudIndex);
  baudIndex_ = baudIndex;
}

// --- View options -------------------------------------------------------------------------------

void TfmTop::ToggleWindowSize() {
  if (pgCoder_->currentWidget() != viewPage_) return;
  const bool expanded = task_->ToggleWindowSize();
  viewPage_->SetExpanded(expanded);
  viewPage_->ShowSizeButtons(!expanded, expanded);
  if (expanded) {
    ResizeTo(kExpandedWidth, secondChip() ? kExpandedHeightK900 : kExpandedHeightK700);
  } else {
    ResizeTo(kCompactWidth, kCompactHeight);
  }
}

void TfmTop::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double-click on the window's free area (FormDblClick): only the View page changes size.
  event->accept();
  ToggleWindowSize();
}

QString TfmTop::ChooseLogFile(const QString& startFolder) {
  if (chooseLogFile_) return chooseLogFile_(startFolder);
  return QFileDialog::getSaveFileName(this, QString(), startFolder, kLogFilter);
}

// --- Monitoring task's requests -----------------------------------------------------------------

void TfmTop::EnableHostButton() { setupPage_->hostButton()->setEnabled(true); }

void TfmTop::PortFailed() {
  // The task has stopped reading and closed the raw log; the window forgets the log, tells the
  // user once and goes back to Setup, which closes the port.
  viewPage_->StopLog();
  messages_->Show(kPortFailedText, kErrorTitle);
  pgCoder_->setCurrentWidget(setupPage_);
}

void TfmTop::ShowTraceReport(const TraceReport& report) { tracePage_->ShowTraceReport(report); }
QString TfmTop::shownTraceStatus() const { return tracePage_->shownTraceStatus(); }

// --- End of the run -----------------------------------------------------------------------------

void TfmTop::WriteSettings() {
  WriteBackSettings(options_.settingsPath, portIndex_, fwPath_, workPath_);
}

void TfmTop::StopTasks() {
  if (tasksStopped_) return;
  tasksStopped_ = true;
  handOff_.Shutdown();  // no task waits on the window from here on
  task_.reset();        // asks the thread to end and waits for it; closes an attached log
  port_.reset();
}

void TfmTop::closeEvent(QCloseEvent* event) {
  WriteSettings();
  StopTasks();
  event->accept();
}

void TfmTop::Exit1Click() {
  WriteSettings();
  // The process ends at once, without waiting for the tasks; the raw log gets every byte
  // received so far first.
  task_->CloseLog();
  std::fflush(nullptr);
  std::_Exit(0);
}

void TfmTop::About1Click() {
  QMessageBox box(QMessageBox::Information, kAboutTitle, kAboutText, QMessageBox::Ok, this);
  box.setWindowModality(Qt::WindowModal);
  box.exec();
}

}  // namespace vetra::ui
