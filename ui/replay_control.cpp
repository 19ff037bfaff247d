#include "ui/replay_control.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>

#include "session/receiver_conversation.h"
#include "ui/replay_bar.h"
#include "ui/texts.h"

namespace vetra::ui {
namespace {

// A log replayed as fast as possible: passes five times as often as on a live line, each reading
// what the pass buffer holds.
constexpr int kFastReplayPassMs = 20;
constexpr char kReplayWaitText[] =
    "A firmware load or an auto-scan is running: open the log when it has ended.";
constexpr char kReceiveLogFilter[] = "Receive logs (*.bin *.log *.nmea *.txt);;All files (*)";

}  // namespace

ReplayControl::ReplayControl(QMainWindow& window, IMessages& messages, Hooks hooks)
    : QObject(&window), window_(window), messages_(messages), hooks_(std::move(hooks)) {
  bar_ = new ReplayBar(
      [this](ReplaySpeed speed) {
        hooks_.setPassInterval(speed == ReplaySpeed::AsFastAsPossible
                                   ? kFastReplayPassMs
                                   : ReceiverConversation::kDefaultPassIntervalMs);
      },
      &window);
  window.addToolBar(Qt::BottomToolBarArea, bar_);
}

void ReplayControl::AddMenuEntries(QMenu* file) {
  QAction* open = file->addAction("Open receive &log...");
  open->setObjectName("OpenReceiveLog1");
  connect(open, &QAction::triggered, this, &ReplayControl::OpenClick);
  file->addSeparator();
}

void ReplayControl::OpenClick() {
  const QString start = QString::fromStdString(hooks_.startFolder());
  const QString path = chooser_ ? chooser_(start)
                                : QFileDialog::getOpenFileName(&window_, "Open receive log", start,
                                                               kReceiveLogFilter);
  if (!path.isEmpty()) Start(path.toStdString());
}

bool ReplayControl::Start(const std::string& path) {
  std::string error;
  std::shared_ptr<ReplaySource> source = ReplaySource::FromFile(path, error);
  if (!source) {
    messages_.Show("Cannot replay the receive log: " + error + ".", kErrorTitle);
    return false;
  }
  // A firmware load or an auto-scan holds the pages (and the port) until it ends.
  if (!hooks_.pagesFree()) {
    messages_.Show(kReplayWaitText, kErrorTitle);
    return false;
  }
  // Through Setup, as a change of port goes: the port in use (or the log before) is closed first.
  if (!hooks_.showPage("tsSetup")) return false;
  source_ = std::move(source);
  const QString name = QFileInfo(QString::fromStdString(path)).fileName();
  bar_->Attach(source_, name);
  if (!hooks_.showPage("tsView")) {
    End();
    return false;
  }
  window_.setWindowTitle("Replay - " + name);
  return true;
}

void ReplayControl::End() {
  if (!source_) return;
  source_.reset();
  bar_->Detach();
}

}  // namespace vetra::ui
