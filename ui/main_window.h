#pragma once
// TfmTop: the main window. It reads the settings and the command line at start-up, owns the
// receiver conversation (which owns the one serial port), the capture slot and the pages, and
// lets the page rules (app/page_rules.h) decide what a tab change does to them. Each page's own
// behaviour lives in its class (SetupPage, ViewPage, UpgradePage, TracePage), and so do the
// replayed log (ReplayControl), the auto-scan (AutoScanControl), the window's size and place per
// layout (WindowPlacement) and the line's failures (FailureDisplay); this class wires them
// together.

#include <QLabel>
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/capture_slot.h"
#include "app/page_rules.h"
#include "app/port_names.h"
#include "app/settings.h"
#include "app/startup.h"
#include "model/receiver_stores.h"
#include "session/pass_fan_out.h"
#include "session/receiver_conversation.h"
#include "ui/auto_scan_control.h"
#include "ui/hand_off.h"
#include "ui/qt_messages.h"
#include "ui/replay_control.h"
#include "ui/view_page.h"

class QMenu;
class QTimer;
class QToolButton;

namespace vetra::ui {

class HealthStatus;
class PageControl;
class SetupPage;
class UpgradePage;
class TracePage;
class ShareControl;
class StatisticsWindow;
class ReplayBar;
class WindowPlacement;
class FailureDisplay;

class TfmTop : public QMainWindow, private ViewPageHost, private IPageHost {
  Q_OBJECT
 public:
  struct Options {
    std::string settingsPath;       // the settings file (read at start, written at the end)
    ViewerOptions viewer;           // the parsed command line
    std::string currentDirectory;   // empty: the process's
    bool scanSerialDevices = true;  // false: no device fills COM1.. (tests)
    IMessages* messages = nullptr;  // nullptr: message boxes
    IClock* clock = nullptr;        // nullptr: the system clock
    // Message boxes are shown and not waited for (--screenshot: the picture includes them and
    // the program ends); a question is then answered Cancel.
    bool messagesWithoutWaiting = false;
  };

  explicit TfmTop(Options options, QWidget* parent = nullptr);
  ~TfmTop() override;

  // Points the selected port at a device and selects the rate it talks at (the virtual
  // receiver of --simulate).
  void PointSelectedPortAt(const std::string& devicePath, int baudIndex);
  void SelectSecondChip(bool second);
  // A device path typed into the Setup page's port box.
  void ChooseTypedDevice(const std::string& path);

  // The log file dialog; tests put a chooser of their own in its place.
  using FileChooser = std::function<QString(const QString& startFolder)>;
  void SetLogFileChooser(FileChooser chooser) { chooseLogFile_ = std::move(chooser); }

  // File > Open receive log...: the file dialog; tests put a chooser of their own in its place.
  void SetReceiveLogChooser(FileChooser chooser) { replay_->SetChooser(std::move(chooser)); }
  void OpenReceiveLogClick() { replay_->OpenClick(); }
  // Plays a raw receive log in the port's place from the View page (ui/replay_control.h).
  bool StartReplay(const std::string& path) { return replay_->Start(path); }
  bool replaying() const { return replay_->replaying(); }
  ReplayBar& replayBar() { return replay_->bar(); }
  // View > Statistics...
  void ShowStatistics();
  StatisticsWindow& statisticsWindow() { return *statistics_; }

  bool ShowPage(const QString& objectName);  // "tsView" ...: as if the user chose that tab
  // The page of the last run, as if the user chose it.
  void ShowRememberedPage();
  // At start: the page the command line names ("tsView" ...) wins; without one, the last run's.
  void ShowStartPage(const QString& commandLinePage);
  void ToggleWindowSize();
  void AutoScanClick();
  void Exit1Click();
  void About1Click();
  void WriteSettings();

  int portIndex() const { return rules_.portIndex(); }
  int baudIndex() const { return rules_.baudIndex(); }
  int accessLevel() const override { return startup_.accessLevel; }
  const std::string& workPathSetting() const { return workPath_; }
  ReceiverConversation& conversation() override { return *conversation_; }
  ReceiverStores& stores() override { return stores_; }
  bool portOpen() const { return conversation_->portOpen(); }
  bool autoScanRunning() const { return scan_->running(); }
  ViewPage& viewPage() { return *viewPage_; }
  ShareControl& sharing() { return *sharing_; }
  HealthStatus& healthStatus() { return *health_; }
  // Looks for serial devices plugged in or out (every 2 s while Setup is shown).
  void RefreshPorts();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;  // palette changes (main_window_display.cpp)

 private:
  // ViewPageHost
  bool secondChip() const override;
  IMessages& messages() override { return *messages_; }
  CaptureSlot& captureSlot() override { return capture_; }
  int setupBaudIndex() const override { return rules_.baudIndex(); }
  std::string workPath() const override { return workPath_; }
  void SetWorkPath(const std::string& path) override { workPath_ = path; }
  void SetStatusPanel(int panel, const QString& text) override;
  QString ChooseLogFile(const QString& startFolder) override;
  void EnableHostButton() override;
  void ShowTraceReport(const TraceReport& report) override;
  QString shownTraceStatus() const override;
  void TraceRecordArrived() override;

  // IPageHost
  bool OpenPort(int portIndex, int baudRate, bool hostMode, std::string& problem) override;
  void DiscardPort() override;
  void ResetPort(int baudRate) override;
  void SetMonitoringActive(bool active) override;
  void SetLoaderIdle() override;
  void LeaveExpandedView() override;
  void SetCaption(const std::string& windowCaption, const std::string& applicationTitle) override;
  void SetLayout(PageLayout layout) override;
  void ShowExpandButtons(bool showLarge, bool showSmall) override;
  void ClearStatusMessage() override { SetStatusPanel(2, QString()); }
  void ClearAutoScanStatus() override;
  void SizeMeasurementGrid(int rows) override;
  void SetUpgradeChipControls(bool pmonK700Enabled, bool pmonK900Enabled,
                              const std::string& loadAddress) override;
  bool SecondChipSelected() const override { return secondChip(); }
  std::string TitleText() const override;

  void BuildPages();
  void BuildMenus();
  void BuildViewMenu();
  void BuildReplay();
  void BuildAutoScan();
  void BuildDisplayMenu();  // main_window_display.cpp
  void BuildStatusBar();
  void BuildSharing();
  void ResolvePortsForTheSecondReceiver();
  void BuildChipField();
  void ShowChip();  // sbChip: the chip chosen on the Setup page
  void ApplyStartup();
  // What the last run remembered ([Desk]) and what this run leaves for the next.
  void ApplyRemembered();
  Remembered CollectRemembered();
  void ShowPorts();
  void FollowPortsWhileOnSetup();
  Page PageOf(QWidget* page) const;
  void StopTasks();
  bool MayQuit();  // false: a load runs and the user keeps it

  Options options_;
  Settings settings_;
  PortMap ports_;
  StartupState startup_;
  std::string fwPath_;
  std::string workPath_;

  QtMessages qtMessages_;
  IMessages* messages_;
  FileChooser chooseLogFile_;
  ReceiverStores stores_;
  WindowHandOff handOff_;
  ShareControl* sharing_;  // a child of the window, outlives the conversation
  // The View page, the Statistics window, the share server, the TTFF test and the failures.
  PassFanOut passDisplays_;
  FailureDisplay* failures_ = nullptr;
  StatisticsWindow* statistics_;
  ReplayControl* replay_ = nullptr;
  std::unique_ptr<ReceiverConversation> conversation_;
  bool tasksStopped_ = false;
  PageRules rules_;
  CaptureSlot capture_;
  AutoScanControl* scan_ = nullptr;
  QTimer* portRefreshTimer_;
  HealthStatus* health_ = nullptr;
  std::unique_ptr<WindowPlacement> placement_;
  std::map<int, std::string> typedPorts_;  // device paths typed into cbPort, by port index

  PageControl* pgCoder_;
  SetupPage* setupPage_;
  ViewPage* viewPage_;
  UpgradePage* upgradePage_;
  QWidget* configPage_;
  TracePage* tracePage_;
  QLabel* statusPanels_[3];
  QToolButton* sbChip_ = nullptr;
};

}  // namespace vetra::ui
