#include "ui/upgrade_page.h"

#include <QCheckBox>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "firmware/load_frames.h"
#include "firmware/upgrade_actions.h"
#include "ui/chart_style.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

const QColor kVerdictRed(255, 0, 0);
const QColor kVerdictGreen = ToQColor(kGreen);
// "NOT CONFIRMED": SetTextColour darkens the amber on light windows until it reads.
const QColor kVerdictAmber = ToQColor(kAmber);
constexpr int kStopWaitMs = 5000;  // a stop is taken between pieces: well within this
constexpr char kImageFilter[] = "Binary (*.bin)";

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLineEdit* NumberField(const char* name, const char* text, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  edit->setAlignment(Qt::AlignRight);
  return edit;
}

}  // namespace

UpgradePage::UpgradePage(Hooks hooks, QWidget* parent) : QWidget(parent), hooks_(std::move(hooks)) {
  setObjectName("tsReload");
  BuildControls();
  HandOff handOff = hooks_.handOff ? hooks_.handOff : [](const std::function<void()>& fn) { fn(); };
  ILoadDisplay& display = *this;
  loader_ = std::make_unique<TLoadTask>(image_, monitor_, clock(), std::move(handOff), display);
}

UpgradePage::~UpgradePage() {
  StopLoader();
  loader_.reset();
}

bool UpgradePage::loadRunning() const { return LoadRunning(loader_->lastStateShown()); }

void UpgradePage::StopLoadAndWait() {
  if (!loadRunning()) return;
  // The loader shows "STOP!" through the blocking hand-off onto this thread: the events must run
  // while it is awaited. Nothing else may be clicked meanwhile.
  QWidget* window = this->window();
  window->setEnabled(false);
  QEventLoop wait;
  QTimer::singleShot(kStopWaitMs, &wait, &QEventLoop::quit);
  stopWait_ = &wait;  // StateChanged ends the wait with the verdict
  loader_->SetActive(false);
  wait.exec();
  stopWait_ = nullptr;
  window->setEnabled(true);
}

void UpgradePage::StopLoader() {
  // The window has shut its hand-off down by now, so the loader cannot wait on this thread.
  loader_->RequestStop();
  ReleaseLoaderPort();
}

IClock& UpgradePage::clock() const {
  return hooks_.clock != nullptr ? *hooks_.clock : SystemClock::instance();
}

void UpgradePage::BuildControls() {
  bbBrowse_ = new QPushButton("&File", this);
  bbBrowse_->setObjectName("bbBrowse");
  edFilePath_ = new QLineEdit(this);
  edFilePath_->setObjectName("edFilePath");
  edFilePath_->setReadOnly(true);
  leLoadSize_ = NumberField("leLoadSize", "256", this);
  leLoadSize_->setReadOnly(true);
  leLoadAddr_ = NumberField("leLoadAddr", "20000000", this);
  leLoadAddr_->setMaxLength(8);
  chPmonK700_ = new QCheckBox("PMON K700", this);
  chPmonK700_->setObjectName("chPmonK700");
  chPmonK900_ = new QCheckBox("PMON K900", this);
  chPmonK900_->setObjectName("chPmonK900");
  chPmonK900_->setEnabled(false);
  sbGo_ = new QPushButton("Write", this);
  sbGo_->setObjectName("sbGo");
  sbGo_->setCheckable(true);  // stays down while a load runs
  sbGo_->setEnabled(false);   // until an image (and a chosen monitor) is ready
  lbState_ = new QLabel("Setup!", this);
  lbState_->setObjectName("lbState");
  QFont stateFont = lbState_->font();
  stateFont.setBold(true);
  lbState_->setFont(stateFont);
  lbResult_ = new QLabel(this);
  lbResult_->setObjectName("lbResult");
  QFont verdict = font();
  verdict.setBold(true);
  verdict.setPointSizeF(verdict.pointSizeF() * 2);
  lbResult_->setFont(verdict);
  lbResult_->setAlignment(Qt::AlignCenter);
  lbResult_->setMinimumHeight(QFontMetrics(verdict).height() + 8);
  lbResult_->setToolTip("Click to clear the verdict and the progress");
  lbResult_->installEventFilter(this);
  brProgress_ = new QProgressBar(this);
  brProgress_->setObjectName("brProgress");
  brProgress_->setRange(0, 128);
  brProgress_->setValue(0);

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(bbBrowse_);
  fileRow->addWidget(edFilePath_, 1);
  auto* form = new QFormLayout;
  form->addRow("Size (K bytes)", leLoadSize_);
  form->addRow("Address", leLoadAddr_);
  auto* monitors = new QHBoxLayout;
  monitors->addWidget(chPmonK700_);
  monitors->addWidget(chPmonK900_);
  monitors->addStretch();
  auto* goRow = new QHBoxLayout;
  goRow->addWidget(sbGo_);
  goRow->addWidget(lbState_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fileRow);
  layout->addLayout(form);
  layout->addLayout(monitors);
  layout->addSpacing(6);
  layout->addLayout(goRow);
  layout->addWidget(brProgress_);
  layout->addWidget(lbResult_);
  layout->addStretch();

  connect(bbBrowse_, &QPushButton::clicked, this, &UpgradePage::BrowseClick);
  connect(sbGo_, &QPushButton::clicked, this, &UpgradePage::GoClick);
  connect(chPmonK700_, &QCheckBox::clicked, this, [this] { PmonClick(Chip::K700); });
  connect(chPmonK900_, &QCheckBox::clicked, this, [this] { PmonClick(Chip::K900); });
}

// --- Page rules ----------------------------------------------------------------------------------

void UpgradePage::EnterForChip(bool secondChip) {
  EnterUpgradePage(choice_, secondChip ? Chip::K900 : Chip::K700);
  ShowChoice();
  leLoadAddr_->setText(QString::fromStdString(choice_.loadAddress));
}

void UpgradePage::SetLoaderIdle() { ReleaseLoaderPort(); }

void UpgradePage::ReleaseLoaderPort() {
  // SetPort waits for a pass that uses the port; afterwards no pass reads or writes it, and the
  // port goes back to the conversation.
  loader_->SetActive(false);
  loader_->SetPort(nullptr);
  if (lentPort_ != nullptr && hooks_.returnPort) hooks_.returnPort();
  lentPort_ = nullptr;
}

// --- Buttons -------------------------------------------------------------------------------------

std::string UpgradePage::imageFolder() const { return view_.lastFolder; }
void UpgradePage::SetImageFolder(const std::string& folder) { view_.lastFolder = folder; }

void UpgradePage::BrowseClick() {
  QString startFolder = QString::fromStdString(view_.lastFolder);
  if (startFolder.isEmpty() && hooks_.imagePath) {
    startFolder = QString::fromStdString(FolderOf(hooks_.imagePath()));
  }
  const QString chosen =
      chooseImage_ ? chooseImage_(startFolder)
                   : QFileDialog::getOpenFileName(this, QString(), startFolder, kImageFilter);
  if (chosen.isEmpty()) return;
  std::string scratchPath;
  std::string& imagePath = hooks_.imagePath ? hooks_.imagePath() : scratchPath;
  IMessages* messages = hooks_.messages;
  SilentMessages silent;
  const ImageChoice result =
      ChooseImageFile(chosen.toStdString(), image_, view_, imagePath, choice_, monitor_, *loader_,
                      messages != nullptr ? *messages : silent);
  ShowImageView();
  if (result.standby) {
    SetText(lbState_, std::string(LoadPageText(LoadState::Ready)));
    sbGo_->setEnabled(true);
  }
}

void UpgradePage::GoClick() {
  const bool idle = LoadIdle(loader_->lastStateShown());
  if (idle) {
    // Write resets the port on this thread: no loader pass may use it meanwhile.
    ReleaseLoaderPort();
    lentPort_ = hooks_.lendPort ? hooks_.lendPort() : nullptr;
    loader_->SetPort(lentPort_);
  }
  IPort* port = lentPort_;
  GoRequest request;
  request.imagePath = hooks_.imagePath ? hooks_.imagePath() : view_.filePath;
  request.monitorMode = choice_.anyChecked();
  request.firmwareBaud = hooks_.firmwareBaud ? hooks_.firmwareBaud() : 4800;
  request.loadAddress = ReadLoadAddress(leLoadAddr_->text().toStdString());
  request.chip = hooks_.secondChip && hooks_.secondChip() ? Chip::K900 : Chip::K700;
  request.confirm = hooks_.messages;
  const GoResult result = vetra::GoClick(request, image_, view_, *loader_, port, clock());
  ShowImageView();
  switch (result) {
    case GoResult::Nothing:    // the file is gone: the button does nothing, not even go down
    case GoResult::Cancelled:  // the user said no
      sbGo_->setChecked(!idle);
      break;
    case GoResult::Started:
      sbGo_->setChecked(true);
      break;
    case GoResult::Stopped:  // comes up with the "STOP!" notification
      break;
  }
}

void UpgradePage::PmonClick(Chip box) {
  QCheckBox* clicked = box == Chip::K900 ? chPmonK900_ : chPmonK700_;
  const BoxClickOutcome outcome =
      MonitorBoxClicked(choice_, box, clicked->isChecked(), monitor_, image_, hooks_.startDirectory,
                        hooks_.firmwareBaud ? hooks_.firmwareBaud() : 4800);
  ShowChoice();
  if (outcome.setState) {
    loader_->SetStateQuiet(outcome.loaderState);
    SetText(lbState_, std::string(outcome.stateText));
    sbGo_->setEnabled(outcome.writeEnabled);
  }
  ReleaseLoaderPort();
  if (hooks_.resetLine) hooks_.resetLine(outcome.portBaud);
}

void UpgradePage::ResultClick() {
  lbResult_->clear();
  brProgress_->setValue(0);
}

bool UpgradePage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lbResult_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    ResultClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// --- Showing -------------------------------------------------------------------------------------

void UpgradePage::ShowImageView() {
  SetText(leLoadSize_, view_.loadSizeText);
  SetText(edFilePath_, view_.filePath);
}

void UpgradePage::ShowChoice() {
  const auto show = [](QCheckBox* widget, const MonitorBox& box) {
    widget->setChecked(box.checked);
    widget->setEnabled(box.enabled);
    widget->setText(QString::fromStdString(box.caption));
    if (box.red) SetTextColour(widget, kVerdictRed);
  };
  show(chPmonK700_, choice_.k700);
  show(chPmonK900_, choice_.k900);
}

void UpgradePage::SetIdleControlsEnabled(bool enabled) {
  // While a load runs the image, the address and the monitor choice stay as the load took them.
  bbBrowse_->setEnabled(enabled);
  leLoadAddr_->setReadOnly(!enabled);
  chPmonK700_->setEnabled(enabled && choice_.k700.enabled);
  chPmonK900_->setEnabled(enabled && choice_.k900.enabled);
}

void UpgradePage::StateChanged(const LoadStateView& view) {
  if (stopWait_ != nullptr && !loadRunning()) stopWait_->quit();
  if (hooks_.showStatus) hooks_.showStatus(ToQString(view.statusText));
  if (hooks_.setPagesEnabled) hooks_.setPagesEnabled(view.pagesEnabled);
  SetIdleControlsEnabled(view.pagesEnabled);
  if (view.shownChanged) {
    if (view.releaseWrite) sbGo_->setChecked(false);
    SetText(lbState_, ToQString(view.pageText));
  }
}

void UpgradePage::InitProgress(int maximum) {
  brProgress_->setRange(0, maximum);
  brProgress_->setValue(0);
}

void UpgradePage::StepProgress() {
  if (brProgress_->value() < brProgress_->maximum())
    brProgress_->setValue(brProgress_->value() + 1);
}

void UpgradePage::FillProgress() { brProgress_->setValue(brProgress_->maximum()); }

void UpgradePage::ShowResult(std::string_view text, ResultColour colour) {
  QColor shade = kVerdictRed;
  if (colour == ResultColour::Green) shade = kVerdictGreen;
  if (colour == ResultColour::Amber) shade = kVerdictAmber;
  SetTextColour(lbResult_, shade);
  SetText(lbResult_, ToQString(text));
}

void UpgradePage::ClearResult() { lbResult_->clear(); }

}  // namespace vetra::ui
