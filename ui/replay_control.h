#pragma once
// A raw receive log played in the port's place (File > Open receive log..., `--replay FILE`): the
// menu entry, the replay bar and the log itself. The log is opened through Setup, as a change of
// port goes (the port in use, or the log before, is closed first), and played from the View
// page; the window's OpenPort hands the conversation a ReplayPort over source() while one is
// loaded. Entering Setup ends the replay.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "link/replay_port.h"
#include "util/messages.h"

class QMainWindow;
class QMenu;

namespace vetra::ui {

class ReplayBar;

class ReplayControl : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<std::string()> startFolder;      // where the file dialog opens
    std::function<bool()> pagesFree;               // false while a load or an auto-scan runs
    std::function<bool(const QString&)> showPage;  // "tsSetup" ...: false when refused
    std::function<void(int passIntervalMs)> setPassInterval;  // the conversation's pace
  };
  // The replay bar goes to the bottom of window.
  ReplayControl(QMainWindow& window, IMessages& messages, Hooks hooks);

  // File > Open receive log... and a separator after it.
  void AddMenuEntries(QMenu* file);
  // The file dialog; tests put a chooser of their own in its place.
  using FileChooser = std::function<QString(const QString& startFolder)>;
  void SetChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  void OpenClick();

  // false, with a message, when the file cannot be read or the pages are held.
  bool Start(const std::string& path);
  void End();

  bool replaying() const { return source_ != nullptr; }
  bool finished() const { return source_ != nullptr && source_->finished(); }
  const std::shared_ptr<ReplaySource>& source() const { return source_; }
  ReplayBar& bar() { return *bar_; }

 private:
  QMainWindow& window_;
  IMessages& messages_;
  Hooks hooks_;
  FileChooser chooser_;
  ReplayBar* bar_;
  std::shared_ptr<ReplaySource> source_;  // null: the serial port
};

}  // namespace vetra::ui
