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
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>

#include "app/baud_table.h"
#include "app/receiver_port.h"
#include "ui/about_box.h"
#include "ui/auto_scan_control.h"
#include "ui/chart_style.h"
#include "ui/command_area.h"
#include "ui/failure_display.h"
#include "ui/health_status.h"
#include "ui/page_control.h"
#include "ui/replay_control.h"
#include "ui/setup_page.h"
#include "ui/share_control.h"
#include "ui/statistics_window.h"
#include "ui/texts.h"
#include "ui/trace_page.h"
#include "ui/ttff_panel.h"
#include "ui/upgrade_page.h"
#include "ui/window_placement.h"

namespace vetra::ui {
namespace {

constexpr int kPortRefreshMs = 2000;

constexpr const char* kPageKeys[] = {"setup", "view", "upgrade", "trace"};
constexpr const char* kPageObjects[] = {"tsSetup", "tsView", "tsReload", "tsTrace"};
static_assert(std::size(kPageKeys) == std::size(kPageObjects));

IClock& ClockOf(const TfmTop::Options& options) {
  return options.clock != nullptr ? *options.clock : SystemClock::instance();
}

}  // namespace

TfmTop::TfmTop(Options options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      qtMessages_(this),
      messages_(options_.messages != nullptr ? options_.messages : &qtMessages_),
      handOff_(this),
      rules_(*this, *messages_),
      capture_(
          [this](std::unique_ptr<IByteSink> sink) {
            return conversation_->AttachLog(std::move(sink));
          },
          [this] { return conversation_->CloseLog(); }) {
  setObjectName("fmTop");
  qtMessages_.SetWithoutWaiting(options_.messagesWithoutWaiting);

  // Settings, command line and the derived start state.
  settings_ = ReadSettings(options_.settingsPath);
  ports_ = options_.scanSerialDevices ? SystemPortMap(settings_.pinnedPorts)
                                      : PortMap(std::vector<std::string>{}, settings_.pinnedPorts);
  const std::string currentDirectory = options_.currentDirectory.empty()
                                           ? QDir::currentPath().toStdString()
                                           : options_.currentDirectory;
  startup_ = DeriveStartup(settings_, options_.viewer, currentDirectory, ports_);
  fwPath_ = startup_.firmwarePath;
  workPath_ = startup_.workPath;
  rules_.SetPortIndex(startup_.portIndex);
  rules_.SetBaudIndex(startup_.baudIndex);
  rules_.SetHostMode(startup_.hostMode);

  BuildPages();
  setCentralWidget(pgCoder_);
  placement_ = std::make_unique<WindowPlacement>(*this, *pgCoder_);
  statistics_ = new StatisticsWindow(*messages_, this);
  ResolvePortsForTheSecondReceiver();
  BuildReplay();
  BuildMenus();
  BuildStatusBar();
  BuildSharing();
  sharing_->FollowPage(Page::Setup);

  // The receiver conversation: running and inactive until View or Trace is entered.
  ReceiverConversation::Options conversationOptions;
  conversationOptions.hostMode = startup_.hostMode;
  passDisplays_.Add(*viewPage_);
  passDisplays_.Add(*statistics_);
  passDisplays_.Add(sharing_->display());
  passDisplays_.Add(tracePage_->ttff().passDisplay());
  FailureDisplay::Hooks failureHooks;
  failureHooks.backToSetup = [this] { pgCoder_->setCurrentWidget(setupPage_); };
  failureHooks.traceCaptureFailed = [this](const std::string& path, const std::string& reason) {
    tracePage_->CaptureFailed(path, reason);
  };
  failures_ = new FailureDisplay(capture_, *messages_, std::move(failureHooks), this);
  passDisplays_.Add(*failures_);
  conversation_ = std::make_unique<ReceiverConversation>(
      ClockOf(options_), handOff_.function(), passDisplays_, stores_, conversationOptions);
  capture_.SetListener([this](CaptureUser holder) {
    viewPage_->CaptureSlotChanged(holder);
    tracePage_->CaptureSlotChanged(holder);
  });

  BuildAutoScan();
  // A two-second look at the cheap device scan while Setup is shown: simpler than a watcher on
  // /dev or a udev monitor, and the same on every system (Windows' list is read the same way).
  portRefreshTimer_ = new QTimer(this);
  portRefreshTimer_->setInterval(kPortRefreshMs);
  connect(portRefreshTimer_, &QTimer::timeout, this, &TfmTop::RefreshPorts);
  health_ = new HealthStatus(statusBar(), ClockOf(options_));
  passDisplays_.Add(*health_);  // the counters of every pass
  health_->SetReplayEnded([this] { return replay_->finished(); });
  BuildChipField();

  ApplyStartup();

  connect(setupPage_, &SetupPage::portChanged, this,
          [this](int index) { rules_.SetPortIndex(index); });
  connect(setupPage_, &SetupPage::baudChanged, this,
          [this](int index) { rules_.SetBaudIndex(index); });
  connect(setupPage_, &SetupPage::autoScanClicked, this, &TfmTop::AutoScanClick);
  connect(setupPage_, &SetupPage::devicePathTyped, this,
          [this](const QString& path) { ChooseTypedDevice(path.toStdString()); });
  connect(setupPage_, &SetupPage::chipClicked, this, [this] {
    conversation_->ToggleChannelCount(secondChip());
    viewPage_->commandArea().ChipClicked(secondChip());
    ShowChip();
  });
  connect(viewPage_, &ViewPage::sizeToggleRequested, this, &TfmTop::ToggleWindowSize);

  ApplyRemembered();
  SetLayout(PageLayout::Compact);
  placement_->RestorePosition();
  FollowPortsWhileOnSetup();
}

TfmTop::~TfmTop() { StopTasks(); }

// The page control with its sheets; the Config sheet exists but is never shown.
void TfmTop::BuildPages() {
  pgCoder_ = new PageControl(this);
  setupPage_ = new SetupPage(pgCoder_);
  viewPage_ = new ViewPage(*this, pgCoder_);
  UpgradePage::Hooks upgradeHooks;
  upgradeHooks.handOff = handOff_.function();
  upgradeHooks.clock = options_.clock;
  upgradeHooks.messages = messages_;
  upgradeHooks.lendPort = [this] { return conversation_->LendPort(); };
  upgradeHooks.returnPort = [this] { conversation_->ReturnPort(); };
  upgradeHooks.resetLine = [this](int baudRate) { return conversation_->ResetLine(baudRate); };
  upgradeHooks.firmwareBaud = [this] { return BaudRateAt(rules_.baudIndex()); };
  upgradeHooks.startDirectory = startup_.startDirectory;
  upgradeHooks.imagePath = [this]() -> std::string& { return fwPath_; };
  upgradeHooks.setPagesEnabled = [this](bool enabled) { pgCoder_->tabBar()->setEnabled(enabled); };
  upgradeHooks.showStatus = [this](const QString& text) { SetStatusPanel(2, text); };
  upgradeHooks.secondChip = [this] { return secondChip(); };
  upgradePage_ = new UpgradePage(std::move(upgradeHooks), pgCoder_);
  configPage_ = new QWidget(pgCoder_);
  configPage_->setObjectName("tsConfig");
  TracePage::Hooks traceHooks;
  traceHooks.conversation = [this]() -> ReceiverConversation& { return *conversation_; };
  traceHooks.capture = &capture_;
  traceHooks.clock = options_.clock;
  traceHooks.messages = messages_;
  traceHooks.setupBaudRate = [this] { return BaudRateAt(rules_.baudIndex()); };
  if (!options_.currentDirectory.empty()) traceHooks.folder = options_.currentDirectory;
  traceHooks.showStatus = [this](const QString& text) { SetStatusPanel(2, text); };
  tracePage_ = new TracePage(std::move(traceHooks), pgCoder_);
  pgCoder_->addTab(setupPage_, "&Setup");
  pgCoder_->addTab(viewPage_, "&View");
  pgCoder_->addTab(upgradePage_, "&Upgrade");
  pgCoder_->addTab(configPage_, "Config");
  pgCoder_->setTabVisible(pgCoder_->indexOf(configPage_), false);
  pgCoder_->addTab(tracePage_, "&Trace");
  pgCoder_->setCurrentWidget(setupPage_);
  pgCoder_->SetHooks(
      [this](QWidget*, QWidget* entering) { return rules_.BeforeChanging(PageOf(entering)); },
      [this](QWidget* entered) {
        rules_.Changed(PageOf(entered));
        FollowPortsWhileOnSetup();
        sharing_->FollowPage(PageOf(entered));
      });
}

void TfmTop::ApplyStartup() {
  setupPage_->SetHostMode(startup_.hostMode);
  ShowPorts();
  setupPage_->SetPortIndex(startup_.portIndex);
  setupPage_->SetBaudIndex(startup_.baudIndex);
  viewPage_->SetBigSnrVisible(startup_.controls.showBigSnr);
  if (startup_.controls.sentenceWidth > 0) viewPage_->NarrowSentenceField();
  tracePage_->SetTraceLoggerShown(startup_.traceOn);
  pgCoder_->setTabText(pgCoder_->indexOf(tracePage_),
                       QString::fromStdString(startup_.traceTabCaption));
  viewPage_->ShowSizeButtons(false, false);
  SetCaption("", kApplicationTitle);
  if (startup_.wrongCom) messages_->Show(kWrongComText, kWrongComTitle);
  if (settings_.readOnly) {
    messages_->Show(ReadOnlySettingsText(options_.settingsPath), kSettingsTitle,
                    IMessages::Kind::Information);
  }
  if (!settings_.problem.empty()) messages_->Show(settings_.problem, kSettingsTitle);
}

void TfmTop::ApplyRemembered() {
  const Remembered& r = settings_.remembered;
  if (const int index = BaudIndexOf(r.baudRate); index >= 0) {
    rules_.SetBaudIndex(index);
    setupPage_->SetBaudIndex(index);
  }
  if (r.chip == "K900") SelectSecondChip(true);
  if (r.coordinateFormat >= 0) viewPage_->SetCoordinateFormat(r.coordinateFormat);
  if (r.ttffCycles > 0) tracePage_->ttff().SetCycles(r.ttffCycles);
  if (r.ttffMode >= 0 && r.ttffMode <= 2) {
    tracePage_->ttff().SetLastMode(static_cast<TestType>(r.ttffMode + 1));
  }
  if (!r.imageFolder.empty()) upgradePage_->SetImageFolder(r.imageFolder);
  placement_->Restore(r.windows);
}

Remembered TfmTop::CollectRemembered() {
  Remembered r = settings_.remembered;
  r.baudRate = BaudRateAt(rules_.baudIndex());
  r.chip = secondChip() ? "K900" : "K700";
  r.coordinateFormat = viewPage_->coordinateFormat();
  for (size_t i = 0; i < std::size(kPageObjects); ++i) {
    if (pgCoder_->currentWidget()->objectName() == kPageObjects[i]) r.page = kPageKeys[i];
  }
  r.ttffCycles = tracePage_->ttff().cycles();
  r.ttffMode = static_cast<int>(tracePage_->ttff().lastMode()) - 1;
  r.imageFolder = upgradePage_->imageFolder();
  r.windows = placement_->Collect();
  r.typedPorts = typedPorts_;
  return r;
}

void TfmTop::ShowStartPage(const QString& commandLinePage) {
  if (commandLinePage.isEmpty()) {
    ShowRememberedPage();
  } else {
    ShowPage(commandLinePage);
  }
}

void TfmTop::ShowRememberedPage() {
  for (size_t i = 0; i < std::size(kPageKeys); ++i) {
    if (settings_.remembered.page == kPageKeys[i] && i > 0) ShowPage(kPageObjects[i]);
  }
}

// --- The port list ------------------------------------------------------------------------------

void TfmTop::ShowPorts() {
  std::vector<bool> present(kPortCount);
  for (int i = 0; i < kPortCount; ++i) present[static_cast<size_t>(i)] = ports_.Present(i);
  setupPage_->SetPortPaths(ports_.Labels(), present);
}

void TfmTop::RefreshPorts() {
  if (!options_.scanSerialDevices || scan_->running()) return;
  if (ports_.Refresh(FindSerialDevices())) ShowPorts();
}

void TfmTop::FollowPortsWhileOnSetup() {
  const bool onSetup = pgCoder_->currentWidget() == setupPage_;
  if (onSetup && !portRefreshTimer_->isActive()) {
    RefreshPorts();
    portRefreshTimer_->start();
  } else if (!onSetup) {
    portRefreshTimer_->stop();
  }
}

void TfmTop::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("File1");
  replay_->AddMenuEntries(file);
  BuildViewMenu();
  QAction* exit = file->addAction("E&xit");
  exit->setObjectName("Exit1");
  connect(exit, &QAction::triggered, this, &TfmTop::Exit1Click);
  BuildDisplayMenu();
  QAction* about = menuBar()->addAction("&About");
  about->setObjectName("About1");
  connect(about, &QAction::triggered, this, &TfmTop::About1Click);
}

void TfmTop::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("sbStatus");
  for (int i = 0; i < 3; ++i) {
    statusPanels_[i] = new QLabel(bar);
    statusPanels_[i]->setObjectName(QString("sbStatusPanel%1").arg(i));
  }
  // Panel 0: the receive indicator ("X"/"O") in a fixed cell; panel 1 is not written;
  // panel 2: the messages of logging, loading and the trace read.
  statusPanels_[0]->setFixedWidth(statusPanels_[0]->fontMetrics().horizontalAdvance("XX") + 8);
  statusPanels_[0]->setAlignment(Qt::AlignCenter);
  statusPanels_[1]->setFixedWidth(statusPanels_[0]->width());
  // A long message (a log's path) never holds the window wide: it is cut, whole in its tooltip.
  statusPanels_[2]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  bar->addWidget(statusPanels_[0]);
  bar->addWidget(statusPanels_[1]);
  bar->addWidget(statusPanels_[2], 1);
}

// The chip in use, always in sight: it changes the codes of Restart, Block Sats and the loader,
// and it is remembered between runs, so a user who once loaded a K900 sees it before sending to a
// K700. A click leads to the Setup page, where it is chosen.
void TfmTop::BuildChipField() {
  sbChip_ = new QToolButton(statusBar());
  sbChip_->setObjectName("sbChip");
  sbChip_->setAutoRaise(true);
  sbChip_->setFocusPolicy(Qt::NoFocus);
  sbChip_->setToolTip(
      "The receiver's chip: it decides the codes that Restart, Block Sats and the loader send.\n"
      "Chosen on the Setup page.");
  statusBar()->addPermanentWidget(sbChip_);
  connect(sbChip_, &QToolButton::clicked, this, [this] {
    if (pgCoder_->tabBar()->isEnabled()) ShowPage("tsSetup");
  });
  ShowChip();
}

void TfmTop::ShowChip() {
  const QString chip = secondChip() ? "K900" : "K700";
  if (sbChip_->text() != chip) sbChip_->setText(chip);
}

// File > "Share on localhost" and its status-bar field.
void TfmTop::BuildSharing() {
  ShareControl::Hooks hooks;
  hooks.device = [this] { return ports_.DevicePath(rules_.portIndex()); };
  hooks.baudRate = [this] { return BaudRateAt(rules_.baudIndex()); };
  hooks.showError = [this](const std::string& text, const std::string& title) {
    messages_->Show(text, title);
  };
  sharing_ = new ShareControl(findChild<QMenu*>("File1"), statusBar(), std::move(hooks), this);
}

void TfmTop::SetStatusPanel(int panel, const QString& text) {
  if (panel < 0 || panel > 2) return;
  if (statusPanels_[panel]->text() == text) return;
  statusPanels_[panel]->setText(text);
  if (panel == 2) statusPanels_[panel]->setToolTip(text);
}

bool TfmTop::secondChip() const { return setupPage_->secondChip(); }
std::string TfmTop::TitleText() const { return setupPage_->titleText().toStdString(); }

// --- Pages and the port -------------------------------------------------------------------------

Page TfmTop::PageOf(QWidget* page) const {
  if (page == viewPage_) return Page::View;
  if (page == upgradePage_) return Page::Upgrade;
  if (page == configPage_) return Page::Config;
  if (page == tracePage_) return Page::Trace;
  return Page::Setup;
}

bool TfmTop::ShowPage(const QString& objectName) {
  for (int i = 0; i < pgCoder_->count(); ++i) {
    if (pgCoder_->widget(i)->objectName() == objectName) pgCoder_->setCurrentIndex(i);
  }
  return pgCoder_->currentWidget()->objectName() == objectName;
}

bool TfmTop::OpenPort(int portIndex, int baudRate, bool hostMode, std::string& problem) {
  if (replay_->replaying()) {
    conversation_->AttachPort(
        std::make_unique<ReplayPort>(replay_->source(), baudRate, ClockOf(options_)));
    health_->PortOpened();
    return true;
  }
  std::unique_ptr<IPort> port = OpenReceiverPort(ports_.DevicePath(portIndex), baudRate, hostMode,
                                                 *messages_, &problem, PortName(portIndex));
  const bool opened = port != nullptr;
  conversation_->AttachPort(std::move(port));
  if (opened) health_->PortOpened();
  return opened;
}

// Returns once the conversation no longer uses the old port.
void TfmTop::DiscardPort() {
  conversation_->ClosePort();
  replay_->End();
  health_->PortClosed();
}

void TfmTop::ResetPort(int baudRate) { conversation_->ResetLine(baudRate); }

void TfmTop::SetMonitoringActive(bool active) {
  conversation_->SetActive(active);
  health_->SetMonitoring(active);
}

void TfmTop::LeaveExpandedView() { viewPage_->SetExpanded(false); }

void TfmTop::SetCaption(const std::string& windowCaption, const std::string& applicationTitle) {
  // The application's name first: the title bar shows it where the window's own caption is empty,
  // and a caption set before it would keep the port of the name before ("C3-VetraViewer").
  QGuiApplication::setApplicationDisplayName(QString::fromStdString(applicationTitle));
  setWindowTitle(QString::fromStdString(windowCaption));
}

void TfmTop::SetLayout(PageLayout layout) { placement_->Take(layout, secondChip()); }

void TfmTop::ShowExpandButtons(bool showLarge, bool showSmall) {
  viewPage_->ShowSizeButtons(showLarge, showSmall);
}

void TfmTop::ClearAutoScanStatus() { setupPage_->ClearScanStatus(); }

void TfmTop::SizeMeasurementGrid(int rows) {
  // The grid takes the height its rows need, not a fixed one.
  viewPage_->SizeGridForChip(rows > 13);
}

void TfmTop::SetUpgradeChipControls(bool pmonK700Enabled, bool, const std::string&) {
  upgradePage_->EnterForChip(!pmonK700Enabled);
}

void TfmTop::SetLoaderIdle() { upgradePage_->SetLoaderIdle(); }

void TfmTop::PointSelectedPortAt(const std::string& devicePath, int baudIndex) {
  ports_.Pin(rules_.portIndex(), devicePath);
  ShowPorts();
  setupPage_->SetBaudIndex(baudIndex);
}

void TfmTop::SelectSecondChip(bool second) { setupPage_->SetSecondChip(second); }

// A device typed into the port box: the name that has it already, else the first name without a
// device (else the one chosen) is pinned to it and chosen; the pin is written to [Ports] at the
// end, so the next start finds it under the same name.
void TfmTop::ChooseTypedDevice(const std::string& path) {
  std::optional<int> index = ports_.IndexOf(path);
  if (!index) {
    for (int i = 0; i < kPortCount && !index; ++i) {
      if (ports_.DevicePath(i).empty()) index = i;
    }
    const int pinned = index.value_or(rules_.portIndex());
    ports_.Pin(pinned, path);
    typedPorts_[pinned] = path;
    index = pinned;
  }
  ShowPorts();
  setupPage_->SetPortIndex(*index);
  rules_.SetPortIndex(*index);
}

// --- Replay, auto-scan and statistics -----------------------------------------------------------

void TfmTop::BuildReplay() {
  ReplayControl::Hooks hooks;
  hooks.startFolder = [this] { return workPath_; };
  hooks.pagesFree = [this] { return pgCoder_->tabBar()->isEnabled(); };
  hooks.showPage = [this](const QString& page) { return ShowPage(page); };
  hooks.setPassInterval = [this](int ms) { conversation_->SetPassIntervalMs(ms); };
  replay_ = new ReplayControl(*this, *messages_, std::move(hooks));
}

void TfmTop::BuildAutoScan() {
  AutoScanControl::Hooks hooks;
  hooks.portOpen = [this] { return conversation_->portOpen(); };
  hooks.portFactory = [this]() -> AutoScan::PortFactory {
    const std::string path = ports_.DevicePath(rules_.portIndex());
    const bool host = startup_.hostMode;
    const std::string name = PortName(rules_.portIndex());
    return [this, path, host, name](int baudRate, std::string& problem) {
      return OpenReceiverPort(path, baudRate, host, *messages_, &problem, name);
    };
  };
  hooks.holdPages = [this](bool held) { pgCoder_->tabBar()->setEnabled(!held); };
  scan_ = new AutoScanControl(ClockOf(options_), *messages_, *setupPage_, std::move(hooks), this);
}

void TfmTop::AutoScanClick() { scan_->Click(); }

void TfmTop::BuildViewMenu() {
  QMenu* view = menuBar()->addMenu("&View");
  view->setObjectName("View1");
  QAction* statistics = view->addAction("&Statistics...");
  statistics->setObjectName("Statistics1");
  connect(statistics, &QAction::triggered, this, &TfmTop::ShowStatistics);
}

// A port name typed as the Statistics window's second receiver means the device it means here.
void TfmTop::ResolvePortsForTheSecondReceiver() {
  statistics_->SetPortResolver([this](const std::string& name) {
    const std::optional<int> index = MatchPortName(name);
    const std::string path = index ? ports_.DevicePath(*index) : std::string();
    return path.empty() ? name : path;
  });
}

void TfmTop::ShowStatistics() {
  // Its first size no larger than the screen has room for (a laptop, 200 %).
  if (!statistics_->isVisible() && screen() != nullptr) {
    statistics_->resize(statistics_->size().boundedTo(screen()->availableGeometry().size()));
  }
  statistics_->show();
  statistics_->raise();
  statistics_->activateWindow();
}

// --- View options -------------------------------------------------------------------------------

void TfmTop::ToggleWindowSize() {
  if (pgCoder_->currentWidget() != viewPage_) return;
  const bool expanded = !viewPage_->expanded();
  viewPage_->SetExpanded(expanded);
  viewPage_->ShowSizeButtons(!expanded, expanded);
  SetLayout(expanded ? PageLayout::Expanded : PageLayout::Compact);
}

void TfmTop::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double-click on the window's free area: only the View page changes size.
  event->accept();
  ToggleWindowSize();
}

QString TfmTop::ChooseLogFile(const QString& startFolder) {
  if (chooseLogFile_) return chooseLogFile_(startFolder);
  return QFileDialog::getSaveFileName(this, QString(), startFolder, kLogFilter);
}

// --- The conversation's requests -----------------------------------------------------------------

void TfmTop::EnableHostButton() { setupPage_->hostButton()->setEnabled(true); }

void TfmTop::ShowTraceReport(const TraceReport& report) { tracePage_->ShowTraceReport(report); }
QString TfmTop::shownTraceStatus() const { return tracePage_->shownTraceStatus(); }
void TfmTop::TraceRecordArrived() { tracePage_->TraceRecordArrived(); }

// --- End of the run -----------------------------------------------------------------------------

void TfmTop::WriteSettings() {
  if (settings_.unusable) return;  // told at start: a directory or a device is never written
  const Remembered remembered = CollectRemembered();
  const SaveResult saved =
      WriteBackSettings(options_.settingsPath, rules_.portIndex(), fwPath_, workPath_, &remembered);
  // A read-only file was told of at start; a failed save is told now.
  if (saved.outcome == SaveOutcome::Failed) {
    messages_->Show(FailedSaveText(options_.settingsPath, saved.reason), kSettingsTitle);
  }
}

void TfmTop::StopTasks() {
  if (tasksStopped_) return;
  tasksStopped_ = true;
  scan_->Stop();
  portRefreshTimer_->stop();
  health_->PortClosed();  // its timer reads the conversation
  handOff_.Shutdown();    // no task waits on the window from here on
  upgradePage_->StopLoader();
  conversation_.reset();  // asks the thread to end and waits for it; closes the log and the port
}

bool TfmTop::MayQuit() {
  // A load cut off mid-flash leaves the module silent: the user decides, and a confirmed quit
  // stops the load between pieces and shows its verdict before the program ends.
  if (!upgradePage_->loadRunning()) return true;
  if (!messages_->Ask(kQuitDuringLoadText, kQuitDuringLoadTitle)) return false;
  upgradePage_->StopLoadAndWait();
  return true;
}

void TfmTop::closeEvent(QCloseEvent* event) {
  if (!tasksStopped_ && !MayQuit()) {
    event->ignore();
    return;
  }
  WriteSettings();
  StopTasks();
  event->accept();
}

void TfmTop::Exit1Click() {
  if (!MayQuit()) return;
  WriteSettings();
  // The process ends at once once the tasks have let the port and the raw log go (every byte
  // received is in the log).
  StopTasks();
  std::fflush(nullptr);
  std::_Exit(0);
}

void TfmTop::About1Click() {
  QMessageBox box(QMessageBox::Information, kAboutTitle, AboutText(), QMessageBox::Ok, this);
  box.setWindowModality(Qt::WindowModal);
  box.exec();
}

}  // namespace vetra::ui
