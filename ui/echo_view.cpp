#include "ui/echo_view.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <iterator>

namespace vetra::ui {

EchoView::EchoView(QWidget* parent) : QWidget(parent) {
  setObjectName("pnEcho");
  cbEchoFilter_ = new QComboBox(this);
  cbEchoFilter_->setObjectName("cbEchoFilter");
  for (const char* text : kEchoFilterTexts) cbEchoFilter_->addItem(text);
  auto* filterCaption = new QLabel("Show", this);
  filterCaption->setBuddy(cbEchoFilter_);
  btEchoPause_ = new QPushButton("Pause", this);
  btEchoPause_->setObjectName("btEchoPause");
  btEchoPause_->setCheckable(true);
  btEchoPause_->setToolTip("Hold the echo still; the lines that arrive meanwhile follow");
  btEchoClear_ = new QPushButton("Clear", this);
  btEchoClear_->setObjectName("btEchoClear");

  moNMEA_ = new QPlainTextEdit(this);
  moNMEA_->setObjectName("moNMEA");
  moNMEA_->setReadOnly(true);
  moNMEA_->setLineWrapMode(QPlainTextEdit::NoWrap);
  moNMEA_->setMaximumBlockCount(kLines);
  moNMEA_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  moNMEA_->setUndoRedoEnabled(false);

  auto* controls = new QHBoxLayout;
  controls->addWidget(filterCaption);
  controls->addWidget(cbEchoFilter_);
  controls->addStretch();
  controls->addWidget(btEchoPause_);
  controls->addWidget(btEchoClear_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addLayout(controls);
  layout->addWidget(moNMEA_, 1);

  connect(cbEchoFilter_, &QComboBox::currentIndexChanged, this,
          [this](int index) { SetFilter(static_cast<EchoFilter>(index)); });
  connect(btEchoPause_, &QPushButton::toggled, this, &EchoView::SetPaused);
  connect(btEchoClear_, &QPushButton::clicked, this, &EchoView::Clear);
}

QWidget* EchoView::firstControl() const { return cbEchoFilter_; }

void EchoView::Append(const EchoedLine& line) {
  kept_.push_back({QString::fromStdString(EchoText(line)), line.parser});
  if (kept_.size() > kLines) kept_.pop_front();
  if (paused_) {
    behind_ = true;
    return;
  }
  if (!EchoShows(filter_, line.parser)) return;
  // Appending moves nothing sideways: the view stays where the user scrolled it (at first the
  // left edge, where the lines begin).
  QScrollBar* sideways = moNMEA_->horizontalScrollBar();
  const int left = sideways->value();
  moNMEA_->appendPlainText(kept_.back().text);
  sideways->setValue(left);
}

void EchoView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // After the editor's show and the layout's first sizes, which may scroll it.
  QTimer::singleShot(0, this, [this] { moNMEA_->horizontalScrollBar()->setValue(0); });
}

void EchoView::SetFilter(EchoFilter filter) {
  if (cbEchoFilter_->currentIndex() != static_cast<int>(filter)) {
    cbEchoFilter_->setCurrentIndex(static_cast<int>(filter));  // comes back here
    return;
  }
  filter_ = filter;
  Refill();
}

void EchoView::SetPaused(bool paused) {
  if (btEchoPause_->isChecked() != paused) {
    btEchoPause_->setChecked(paused);  // comes back here
    return;
  }
  paused_ = paused;
  if (!paused_ && behind_) Refill();
}

void EchoView::Clear() {
  kept_.clear();
  moNMEA_->clear();
  behind_ = false;
}

// Shows the kept lines that pass the filter, newest at the bottom, scrolled to it.
void EchoView::Refill() {
  behind_ = false;
  if (paused_) {
    behind_ = true;  // shown when Pause is released
    return;
  }
  QStringList shown;
  for (const Entry& entry : kept_) {
    if (EchoShows(filter_, entry.parser)) shown << entry.text;
  }
  moNMEA_->setPlainText(shown.join('\n'));
  moNMEA_->verticalScrollBar()->setValue(moNMEA_->verticalScrollBar()->maximum());
  moNMEA_->horizontalScrollBar()->setValue(0);
}

}  // namespace vetra::ui
