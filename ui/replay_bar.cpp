#include "ui/replay_bar.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <algorithm>

namespace vetra::ui {

namespace {
constexpr int kPermille = 1000;
constexpr int kShowEveryMs = 250;
constexpr int kFileNameWidth = 80;  // pixels; the whole name is the label's tool tip
}  // namespace

ReplayBar::ReplayBar(std::function<void(ReplaySpeed)> speedChanged, QWidget* parent)
    : QToolBar("Replay", parent), speedChanged_(std::move(speedChanged)) {
  setObjectName("tbReplay");
  setMovable(false);
  lbReplayFile_ = new QLabel(this);
  lbReplayFile_->setObjectName("lbReplayFile");
  cbReplaySpeed_ = new QComboBox(this);
  cbReplaySpeed_->setObjectName("cbReplaySpeed");
  cbReplaySpeed_->addItems({"1x", "10x", "As fast as possible"});
  // Narrow on the compact View page; the list shows the whole texts.
  cbReplaySpeed_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbReplaySpeed_->setMinimumContentsLength(6);
  cbReplaySpeed_->setToolTip("1x delivers the bytes at the line rate of the Setup page");
  btReplayPause_ = new QPushButton("Pause", this);
  btReplayPause_->setObjectName("btReplayPause");
  tbReplayPosition_ = new QSlider(Qt::Horizontal, this);
  tbReplayPosition_->setObjectName("tbReplayPosition");
  tbReplayPosition_->setRange(0, kPermille);
  tbReplayPosition_->setMinimumWidth(80);
  tbReplayPosition_->setToolTip("Position in the log: drag to go there");
  lbReplayPosition_ = new QLabel(this);
  lbReplayPosition_->setObjectName("lbReplayPosition");
  lbReplayPosition_->setAlignment(Qt::AlignCenter);
  // Two rows, so that the bar fits the compact View page: the file, the speed and Play/Pause;
  // then the position.
  auto* rows = new QWidget(this);
  auto* grid = new QGridLayout(rows);
  grid->setContentsMargins(2, 0, 2, 0);
  grid->setVerticalSpacing(0);
  lbReplayFile_->setParent(rows);
  cbReplaySpeed_->setParent(rows);
  btReplayPause_->setParent(rows);
  tbReplayPosition_->setParent(rows);
  lbReplayPosition_->setParent(rows);
  grid->addWidget(lbReplayFile_, 0, 0);
  grid->addWidget(cbReplaySpeed_, 0, 1);
  grid->addWidget(btReplayPause_, 0, 2);
  grid->addWidget(tbReplayPosition_, 1, 0, 1, 2);
  grid->addWidget(lbReplayPosition_, 1, 2);
  grid->setColumnStretch(0, 1);
  addWidget(rows);

  connect(cbReplaySpeed_, &QComboBox::currentIndexChanged, this,
          [this](int index) { SetSpeed(static_cast<ReplaySpeed>(index)); });
  connect(btReplayPause_, &QPushButton::clicked, this, &ReplayBar::PauseClick);
  // While the knob is held the shown position does not fight it; the log moves where it is let go.
  connect(tbReplayPosition_, &QSlider::sliderReleased, this,
          [this] { SeekToPermille(tbReplayPosition_->value()); });
  connect(tbReplayPosition_, &QSlider::actionTriggered, this, [this](int action) {
    if (action != QAbstractSlider::SliderMove) {
      QTimer::singleShot(0, this, [this] { SeekToPermille(tbReplayPosition_->value()); });
    }
  });
  timer_ = new QTimer(this);
  timer_->setInterval(kShowEveryMs);
  connect(timer_, &QTimer::timeout, this, &ReplayBar::ShowPosition);
  hide();
}

void ReplayBar::Attach(std::shared_ptr<ReplaySource> source, const QString& fileName) {
  source_ = std::move(source);
  lbReplayFile_->setToolTip(fileName);
  lbReplayFile_->setText(
      lbReplayFile_->fontMetrics().elidedText(fileName, Qt::ElideMiddle, kFileNameWidth));
  {
    QSignalBlocker block(cbReplaySpeed_);
    cbReplaySpeed_->setCurrentIndex(static_cast<int>(source_->speed()));
  }
  speedChanged_(source_->speed());
  btReplayPause_->setText(source_->paused() ? "Play" : "Pause");
  timer_->start();
  ShowPosition();
  show();
}

void ReplayBar::Detach() {
  timer_->stop();
  source_.reset();
  speedChanged_(ReplaySpeed::LineRate);
  hide();
}

void ReplayBar::SetSpeed(ReplaySpeed speed) {
  if (cbReplaySpeed_->currentIndex() != static_cast<int>(speed)) {
    cbReplaySpeed_->setCurrentIndex(static_cast<int>(speed));  // comes back here
    return;
  }
  if (source_) source_->SetSpeed(speed);
  speedChanged_(speed);
}

void ReplayBar::PauseClick() {
  if (!source_) return;
  source_->SetPaused(!source_->paused());
  btReplayPause_->setText(source_->paused() ? "Play" : "Pause");
  ShowPosition();
}

void ReplayBar::SeekToPermille(int permille) {
  if (!source_) return;
  source_->Seek(source_->size() * static_cast<size_t>(std::clamp(permille, 0, kPermille)) /
                kPermille);
  ShowPosition();
}

QString ReplayBar::stateText() const {
  if (!source_) return {};
  if (source_->finished()) return "End of log";
  return source_->paused() ? "Paused" : "Playing";
}

void ReplayBar::ShowPosition() {
  if (!source_) return;
  const size_t size = std::max<size_t>(source_->size(), 1);
  const size_t position = source_->position();
  if (!tbReplayPosition_->isSliderDown()) {
    QSignalBlocker block(tbReplayPosition_);
    tbReplayPosition_->setValue(static_cast<int>(position * kPermille / size));
  }
  const QString text = source_->finished() ? QString("End")
                       : source_->paused() ? QString("Paused")
                                           : QString("%1 %").arg(position * 100 / size);
  if (lbReplayPosition_->text() != text) lbReplayPosition_->setText(text);
}

}  // namespace vetra::ui
