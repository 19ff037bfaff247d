#pragma once
// The controls of a replayed receive log (File > Open receive log..., `--replay FILE`): the file's
// name, the speed (1x: the bytes at the line rate, as a live port delivers them; 10x; as fast as
// possible), pause and play, and a position slider to seek to any point of the log. Shown while a
// log takes the port's place; the receiver conversation reads the log through a ReplayPort over
// the same ReplaySource.

#include <QToolBar>
#include <functional>
#include <memory>

#include "link/replay_port.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace vetra::ui {

class ReplayBar : public QToolBar {
  Q_OBJECT
 public:
  // speedChanged: the conversation's pace between passes for the chosen speed.
  explicit ReplayBar(std::function<void(ReplaySpeed)> speedChanged, QWidget* parent = nullptr);

  void Attach(std::shared_ptr<ReplaySource> source, const QString& fileName);
  void Detach();
  void SetSpeed(ReplaySpeed speed);  // as if chosen in the list
  void PauseClick();
  void SeekToPermille(int permille);

  // What the bar shows now: "Playing", "Paused", "End of log".
  QString stateText() const;

 private:
  void ShowPosition();

  std::function<void(ReplaySpeed)> speedChanged_;
  std::shared_ptr<ReplaySource> source_;
  QLabel* lbReplayFile_;
  QComboBox* cbReplaySpeed_;
  QPushButton* btReplayPause_;
  QSlider* tbReplayPosition_;
  QLabel* lbReplayPosition_;
  QTimer* timer_;
};

}  // namespace vetra::ui
