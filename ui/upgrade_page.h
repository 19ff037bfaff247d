#pragma once
// The Upgrade page (tsReload): the firmware image ("&File"), the boot-monitor boxes, the load
// address and the Write button with the loader's state, verdict and progress.
//
// The page owns the image and monitor buffers and the loader task (TLoadTask); the rules are the
// core's (firmware/upgrade_actions.h, firmware/chip_selection.h). The page is the loader's
// display: its calls arrive on the window thread through the blocking hand-off while the loader
// waits.
//
// The receiver conversation lends the loader the port from a Write press until the page is left
// (SetLoaderIdle) or a box is clicked, and does not touch it meanwhile. The window thread changes
// the rate (the box clicks', Write's) only while no loader pass can use the port.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "firmware/chip_selection.h"
#include "firmware/firmware_image.h"
#include "firmware/load_task.h"
#include "link/port.h"
#include "util/clock.h"
#include "util/messages.h"

class QCheckBox;
class QEventLoop;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vetra::ui {

class UpgradePage : public QWidget, private ILoadDisplay {
  Q_OBJECT
 public:
  // What the page needs of the main window.
  struct Hooks {
    HandOff handOff;                          // onto the window thread, blocking
    IClock* clock = nullptr;                  // nullptr: the system clock
    IMessages* messages = nullptr;            // "Wrong file!" / "Error"
    std::function<IPort*()> lendPort;         // the conversation's hand-over: the port, or nullptr
    std::function<void()> returnPort;         // ... and back
    std::function<bool(int)> resetLine;       // the port's rate, while the loader does not hold it
    std::function<int()> firmwareBaud;        // the rate chosen in cbFWbaud
    std::string startDirectory;               // where "mpd.srec" and "mpdK900.srec" lie
    std::function<std::string&()> imagePath;  // the "FWPath" setting
    std::function<void(bool)> setPagesEnabled;       // pgCoder's tabs
    std::function<void(const QString&)> showStatus;  // the last panel of sbStatus
    std::function<bool()> secondChip;                // rgChip: TQ-K900 chosen
  };

  explicit UpgradePage(Hooks hooks, QWidget* parent = nullptr);
  ~UpgradePage() override;

  // Page entry: only the chosen chip's boot-monitor box is enabled; the chip's load address is
  // shown, whatever was typed there before.
  void EnterForChip(bool secondChip);
  // Leaving the page: the loader stops (a load that runs ends with "STOP!") and lets the port go.
  void SetLoaderIdle();
  // The window closes: the loader's thread is asked to end and lets the port go. Call after the
  // window's hand-off has been shut down.
  void StopLoader();
  // A load runs and has not reached its verdict: quitting must ask first.
  bool loadRunning() const;
  // Stops a running load the way Write does (between pieces) and returns once its verdict
  // ("STOP!") is shown, the window's events running meanwhile; at most a few seconds.
  void StopLoadAndWait();

  // The folder the image dialog starts in (remembered between runs); empty: the image's own.
  std::string imageFolder() const;
  void SetImageFolder(const std::string& folder);

  // bbBrowseClick / Load1Click and the other handlers, as the user triggers them.
  void BrowseClick();
  void GoClick();
  void PmonClick(Chip box);
  void ResultClick();

  // The file dialog; tests put a chooser of their own in its place. Empty: cancelled.
  using FileChooser = std::function<QString(const QString& startFolder)>;
  void SetImageFileChooser(FileChooser chooser) { chooseImage_ = std::move(chooser); }

  TLoadTask& loader() { return *loader_; }
  const FirmwareImage& image() const { return image_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // ILoadDisplay: the loader's notifications, on the window thread.
  void StateChanged(const LoadStateView& view) override;
  void InitProgress(int maximum) override;
  void StepProgress() override;
  void FillProgress() override;
  void ShowResult(std::string_view text, ResultColour colour) override;
  void ClearResult() override;

  void BuildControls();
  void ShowImageView();
  void ShowChoice();
  void SetIdleControlsEnabled(bool enabled);
  void ReleaseLoaderPort();
  IPort* lentPort_ = nullptr;       // lent to the loader by the conversation
  QEventLoop* stopWait_ = nullptr;  // StopLoadAndWait's, while it waits
  IClock& clock() const;

  Hooks hooks_;
  FileChooser chooseImage_;
  FirmwareImage image_;
  MonitorImage monitor_;
  ImageFileView view_;
  UpgradeChoice choice_;
  std::unique_ptr<TLoadTask> loader_;

  QPushButton* bbBrowse_;
  QLineEdit* edFilePath_;
  QLineEdit* leLoadSize_;
  QLineEdit* leLoadAddr_;
  QCheckBox* chPmonK700_;
  QCheckBox* chPmonK900_;
  QPushButton* sbGo_;
  QLabel* lbState_;
  QLabel* lbResult_;
  QProgressBar* brProgress_;
};

}  // namespace vetra::ui
