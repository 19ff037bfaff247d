#include "ui/command_area.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "app/access_controls.h"
#include "app/page_rules.h"
#include "commands/catalogue.h"
#include "commands/control_values.h"
#include "commands/panel_rules.h"
#include "commands/reply_expectation.h"
#include "ui/chart_style.h"
#include "ui/command_binding.h"
#include "ui/command_panels.h"
#include "ui/pick_tree.h"
#include "ui/reply_fields_view.h"
#include "ui/texts.h"
#include "ui/view_page.h"
#include "ui/widget_text.h"
#include "util/clock.h"

namespace vetra::ui {
namespace {

constexpr char kSaveDialogFilter[] = "Binary (*.bin)";
const QColor kBlockedColour{255, 0, 0};

// The first catalogue command that shows a panel (the one whose rules the panel follows).
int CommandOf(PanelId panel) {
  for (int n = 1; n <= kCommandCount; ++n) {
    if (CatalogueEntryOf(n).panel == panel) return n;
  }
  return 0;
}

int64_t UtcNow() { return SystemClock::instance().nowSeconds(); }

}  // namespace

CommandArea::CommandArea(ViewPageHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName("pnCommandArea");
  cmdTree_ = new PickTree(this);
  cmdTree_->setObjectName("CmdTree");
  cmdTree_->setHeaderHidden(true);
  cmdTree_->setRootIsDecorated(false);
  cmdTree_->setUniformRowHeights(true);

  lbCmd_ = new QLabel(vetra::kNoCommandCaption, this);
  lbCmd_->setObjectName("lbCmd");
  QFont bold = lbCmd_->font();
  bold.setBold(true);
  lbCmd_->setFont(bold);

  // The parameter area takes the height most panels need where the window has it, and scrolls for
  // the few that need more.
  parameterArea_ = new QWidget;
  parameterArea_->setObjectName("pnParameters");
  panels_ = std::make_unique<CommandPanels>(parameterArea_);
  replies_ = std::make_unique<ReplyFieldsView>(*panels_);
  auto* scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(parameterArea_);
  // Where the window must be small (a 1080p screen at 200 %), the area keeps four lines of its
  // panel in sight and scrolls.
  scroll->setMinimumHeight(4 * fontMetrics().lineSpacing());

  btSend_ = new QPushButton("Send", this);
  btSend_->setObjectName("btSend");
  // The receiver's answer to the last Send. The two buttons are indicators, not choices: they
  // take no clicks and no focus, but are drawn enabled so that they read; nothing is marked
  // before the first Send (a checked ACK before any Send looks like an answer nobody got).
  pnAck_ = new QGroupBox(this);
  pnAck_->setObjectName("pnAck");
  pnAck_->setToolTip("The receiver's answer to the last command sent");
  rbACK_ = new QRadioButton("ACK", pnAck_);
  rbACK_->setObjectName("rbACK");
  rbNACK_ = new QRadioButton("NACK", pnAck_);
  rbNACK_->setObjectName("rbNACK");
  lbAckState_ = new QLabel(pnAck_);
  lbAckState_->setObjectName("lbAckState");
  // Room for the longest state it shows, "no answer in 3 s", so that the row does not jitter.
  const QString noAnswer = QString("no answer in %1 s").arg((kAnswerTimeoutMs + 999) / 1000);
  lbAckState_->setMinimumWidth(lbAckState_->fontMetrics().horizontalAdvance(noAnswer));
  auto* ackLayout = new QHBoxLayout(pnAck_);
  ackLayout->setContentsMargins(4, 2, 4, 2);
  ackLayout->setSpacing(4);
  for (QRadioButton* indicator : {rbACK_, rbNACK_}) {
    indicator->setAttribute(Qt::WA_TransparentForMouseEvents);
    indicator->setFocusPolicy(Qt::NoFocus);
    ackLayout->addWidget(indicator);
  }
  ackLayout->addWidget(lbAckState_, 1);

  lbSentence_ = new QLineEdit(this);
  lbSentence_->setObjectName("lbSentence");
  lbSentence_->setReadOnly(true);
  lbSentence_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* sentenceCaption = new QLabel("Command", this);
  sentenceCaption->setBuddy(lbSentence_);

  auto* sendRow = new QHBoxLayout;
  sendRow->addWidget(btSend_);
  sendRow->addWidget(pnAck_, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(lbCmd_);
  right->addWidget(scroll, 1);
  right->addLayout(sendRow);
  auto* top = new QHBoxLayout;
  top->addWidget(cmdTree_, 2);
  top->addLayout(right, 3);
  auto* sentenceRow = new QHBoxLayout;
  sentenceRow->addWidget(sentenceCaption);
  sentenceRow->addWidget(lbSentence_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(top, 1);
  layout->addLayout(sentenceRow);

  const CommandPanels& p = *panels_;
  connect(cmdTree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { TreeItemChanged(current); });
  connect(btSend_, &QPushButton::clicked, this, [this] { SendClick(); });
  connect(p.btSyncTime, &QPushButton::clicked, this, &CommandArea::SyncTimeClick);
  connect(p.rgID, &ChoiceGroup::clicked, this, &CommandArea::IdKindClick);
  connect(p.rgCID, &ChoiceGroup::clicked, this, &CommandArea::IdKindClick);
  connect(p.rgCustomizedLED, &ChoiceGroup::clicked, this, &CommandArea::LedClick);
  connect(p.btSelectAll, &QPushButton::clicked, this, [this] { SelectAllClick(true); });
  connect(p.btUnSelectAll, &QPushButton::clicked, this, [this] { SelectAllClick(false); });
  connect(p.rgTraceStatus, &ChoiceGroup::clicked, this, &CommandArea::TraceStatusClick);
  connect(p.btEphsSave, &QPushButton::clicked, this, [this] { SaveClick(true); });
  connect(p.btSaveAlmc, &QPushButton::clicked, this, [this] { SaveClick(false); });
  context_.chip = host_.secondChip() ? Chip::K900 : Chip::K700;
  context_.extension = &trace_;
  InitCommandTree(host_.accessLevel());
}

CommandArea::~CommandArea() = default;

// --- The tree -----------------------------------------------------------------------------------

void CommandArea::InitCommandTree(int accessLevel) {
  accessLevel_ = accessLevel;
  context_.accessLevel = accessLevel;
  tree_ = BuildCommandTree(accessLevel);
  state_ = {};
  {
    const QSignalBlocker blocker(cmdTree_);
    cmdTree_->clear();
    for (int k = 0; k < tree_.nodeCount; ++k) {
      const std::string_view text = tree_.nodeText(k);
      auto* item = new QTreeWidgetItem(
          cmdTree_, {QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()))});
      item->setToolTip(0, item->text(0));
    }
  }
  // Every name whole with its message id ("Query System Setting (13h)"): the tree is as wide as
  // its longest row, its scroll bar and its frame.
  int widest = 0;
  for (int k = 0; k < cmdTree_->topLevelItemCount(); ++k) {
    widest = std::max(
        widest, cmdTree_->fontMetrics().horizontalAdvance(cmdTree_->topLevelItem(k)->text(0)));
  }
  const int itemMargins = 2 * (cmdTree_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 4);
  cmdTree_->setMinimumWidth(widest + itemMargins + 2 * cmdTree_->frameWidth() +
                            cmdTree_->verticalScrollBar()->sizeHint().width());
  ApplyAccessLevel(values_, accessLevel);
  ApplyAccessLevelToWidgets(accessLevel);
  for (int n = 1; n <= kCommandCount; ++n) WritePanel(n);
  TraceStatusClick(trace_.maintain.rgTraceStatus);
  panels_->Show(PanelId::pnNothing);
  lbCmd_->setText(vetra::kNoCommandCaption);
  ShowSendReady();
}

// Nothing to send until the user picks a command in the tree.
void CommandArea::ShowSendReady() {
  const bool picked = state_.current != 0;
  btSend_->setEnabled(picked);
  btSend_->setToolTip(picked ? QString() : QString("Pick a command in the tree first"));
}

void CommandArea::ApplyAccessLevelToWidgets(int accessLevel) {
  CommandPanels& p = *panels_;
  p.rgBaud->SetItems(values_.pnCfgIO.rgBaudItems, 2);
  RebuildChipLists();
  // Hidden for good below the top level; what the restart boxes hold is still sent.
  const AccessControls controls = ControlsForLevel(accessLevel);
  for (const Field& field : p.restartFields) field.SetVisible(!controls.hideRestartTimeFields);
  p.btSyncTime->setVisible(!controls.hideRestartTimeFields);
  p.rgOutputFormat2->setVisible(!controls.hideOutputFormat2);
  p.lbOutput2->setVisible(!controls.hideOutputFormat2);
  if (controls.sentenceWidth > 0) NarrowSentenceField();
}

void CommandArea::NarrowSentenceField() { lbSentence_->setMaximumWidth(kNarrowSentenceWidth); }

void CommandArea::TreeItemChanged(QTreeWidgetItem* current) {
  if (current != nullptr) CmdTreeChange(cmdTree_->indexOfTopLevelItem(current));
}

void CommandArea::CmdTreeChange(int node) {
  // The restart boxes may be filled on the panel's first placement: keep what was typed so far.
  ReadPanel(kCmdRestart);
  const auto selection =
      vetra::SelectCommand(state_, tree_, node, values_, host_.setupBaudIndex(), UtcNow());
  if (!selection) return;
  CommandPanels& p = *panels_;
  if (selection->show == PanelId::pnRestart) WritePanel(kCmdRestart);
  if (selection->show == PanelId::pnSetDatum) {
    p.lbEdIdx.SetVisible(selection->showEllipsoidIndex);
    p.lbElpA.SetVisible(selection->showEllipsoidShape);
    p.lbElpF.SetVisible(selection->showEllipsoidShape);
  }
  if (selection->traceBaudPosition) p.rgTraceBaud->SetPosition(*selection->traceBaudPosition);
  p.Show(selection->show);

  lbCmd_->setText(QString::fromLatin1(selection->caption.data(),
                                      static_cast<qsizetype>(selection->caption.size())));
  SetTextColour(lbCmd_, palette().color(QPalette::Highlight));
  ShowSendReady();
}

bool CommandArea::SelectCommand(int number) {
  for (int k = 0; k < tree_.nodeCount; ++k) {
    if (tree_.nodeMap[k] != number) continue;
    cmdTree_->setCurrentItem(cmdTree_->topLevelItem(k));
    return true;
  }
  return false;
}

// --- Panel values -------------------------------------------------------------------------------

std::vector<ControlRef> CommandArea::Controls(int number) {
  return CommandControls(number, values_, &trace_, accessLevel_);
}

void CommandArea::ReadPanel(int number) {
  ReadControls(panels_->panel(CatalogueEntryOf(number).panel), Controls(number));
}

void CommandArea::WritePanel(int number) {
  WriteControls(panels_->panel(CatalogueEntryOf(number).panel), Controls(number));
}

void CommandArea::RebuildChipLists() {
  CommandPanels& p = *panels_;
  // Two columns for the short K700 list too, so that the date and time boxes stay in sight.
  p.SetStartMode->SetItems(values_.pnRestart.SetStartModeItems,
                           std::max(2, RestartModeColumns(values_.pnRestart)));
  p.rgBlkAction->SetItems(values_.pnBlkSats.rgBlkActionItems, 2);
  WritePanel(kCmdRestart);
  WritePanel(CommandOf(PanelId::pnBlkSats));
}

void CommandArea::ChipClicked(bool secondChip) {
  ReadPanel(kCmdRestart);
  ReadPanel(CommandOf(PanelId::pnBlkSats));
  context_.chip = secondChip ? Chip::K900 : Chip::K700;
  ApplyChip(values_, context_.chip);
  RebuildChipLists();
}

// --- Send ---------------------------------------------------------------------------------------

SendOutcome CommandArea::SendClick() {
  const int command = state_.current;
  if (command == 0) return {SendOutcome::Status::NothingToSend, 0, {}};  // nothing picked yet
  ReadPanel(command);
  context_.chip = host_.secondChip() ? Chip::K900 : Chip::K700;
  context_.stores = &host_.stores();
  FrameBatch frames;
  context_.writer = host_.conversation().portOpen() ? &frames : nullptr;
  SendOutcome outcome;
  try {
    outcome = SendCommand(command, values_, context_, *this);
  } catch (const std::exception& e) {  // nothing may escape a click
    outcome = {SendOutcome::Status::WriteFailed, 0, e.what()};
  }
  context_.writer = nullptr;
  // The command's frames go to the receiver as one exchange with the answer it waits for.
  if (!frames.frames.empty() && !Post(command, std::move(frames.frames))) {
    outcome = {SendOutcome::Status::NoPort, 0, kNoPortText};
  }
  WritePanel(command);  // encoders that change their panel
  if (CatalogueEntryOf(command).panel == PanelId::pnBlkSats) ShowSatelliteColours();
  Report(outcome);
  return outcome;
}

bool CommandArea::Post(int command, std::vector<std::vector<uint8_t>> frames) {
  Exchange exchange;
  exchange.frames = std::move(frames);
  exchange.awaited = ExpectationFor(command, values_);
  exchange.timeoutMs = kAnswerTimeoutMs;
  const uint64_t ticket = ackTicket_;
  const bool posted = host_.conversation().Post(
      std::move(exchange),
      [area = QPointer<CommandArea>(this), command, ticket](const ExchangeResult& r) {
        if (area) area->Answered(command, ticket, r);
      });
  if (posted) {
    ack_.Posted(ticket);
    ShowAck();
  }
  return posted;
}

// The replies themselves are shown as they arrive; here only what the user would otherwise miss.
// Runs inside the conversation's hand-off: a message box waits until it has returned.
void CommandArea::Answered(int command, uint64_t ackTicket, const ExchangeResult& result) {
  ack_.Ended(ackTicket, result.outcome, kAnswerTimeoutMs);
  ShowAck();
  if (result.outcome == ExchangeOutcome::PortFailed && !result.written) {
    QTimer::singleShot(0, this, [this, error = result.error] {
      Report({SendOutcome::Status::WriteFailed, 0, error});
    });
  } else if (result.outcome == ExchangeOutcome::NoAnswer) {
    const std::string_view text = CatalogueEntryOf(command).treeText;
    host_.ShowStatusMessage(kNoAnswerPrefix +
                            QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  }
}

void CommandArea::Report(const SendOutcome& outcome) {
  using Status = SendOutcome::Status;
  switch (outcome.status) {
    case Status::Refused:
      if (outcome.refused) RefuseValue(*outcome.refused);
      break;
    case Status::ConversionFailed:
      host_.messages().Show(outcome.message, kApplicationTitle);
      break;
    case Status::NoPort:
      host_.messages().Show(outcome.message, kApplicationTitle, IMessages::Kind::Information);
      break;
    case Status::WriteFailed:
      host_.messages().Show(outcome.message, kErrorTitle);
      break;
    case Status::Sent:
    case Status::NothingToSend:
    case Status::Declined:
      break;
  }
}

// The field is named as the panel captions it; after the message it has the focus with its text
// selected, so that typing replaces the value.
void CommandArea::RefuseValue(const RefusedValue& refused) {
  QWidget* panel = panels_->panel(panels_->shown());
  const QString name = QString::fromStdString(refused.control);
  auto* edit = panel->findChild<QLineEdit*>(name);
  const auto* caption = panel->findChild<QLabel*>(name + "Caption");
  const QString field = caption != nullptr ? caption->text().trimmed() : name;
  host_.messages().Show(RefusalText(field.toStdString(), refused) + ".\nNothing was sent.",
                        kApplicationTitle);
  if (edit != nullptr) {
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
  }
}

bool CommandArea::Confirm(const std::string& question, const std::string& title) {
  return host_.messages().Ask(question, title);
}

void CommandArea::UncheckAcknowledgement() {
  ackTicket_ = ack_.Sent();
  ShowAck();
}

void CommandArea::ShowAck() {
  const AckView& view = ack_.view();
  const std::pair<QRadioButton*, AckMark> indicators[] = {{rbACK_, AckMark::Ack},
                                                          {rbNACK_, AckMark::Nack}};
  for (const auto& [button, mark] : indicators) {
    const bool marked = view.mark == mark;
    // Radio buttons of one group keep one checked; both may be clear until the next answer.
    button->setAutoExclusive(false);
    button->setChecked(marked);
    button->setAutoExclusive(true);
    QFont font = button->font();
    font.setBold(marked);
    button->setFont(font);
    SetTextColour(button, marked ? ToQColor(mark == AckMark::Ack ? kGreen : kRed) : QColor());
  }
  SetText(lbAckState_, view.state);
  SetTextColour(lbAckState_, view.warning ? ToQColor(kAmber) : QColor());
}

void CommandArea::ShowSentence(const std::string& text) { SetText(lbSentence_, text); }
void CommandArea::ClearRevision() { replies_->ClearRevision(); }
void CommandArea::ClearClockOffset() { replies_->ClearClockOffset(); }
void CommandArea::ClearSelfTest() { replies_->ClearSelfTest(context_.keptTestItem); }
void CommandArea::ClearTraceStatus() { replies_->ClearTraceStatus(); }

void CommandArea::ShowSatelliteColours() {
  for (int i = 0; i < kSatelliteBoxes; ++i) {
    SetTextColour(panels_->cbPRN[i], values_.pnBlkSats.cbPRNRed[i] ? kBlockedColour : QColor());
  }
}

// --- Panel events -------------------------------------------------------------------------------

void CommandArea::SyncTimeClick() {
  ReadPanel(kCmdRestart);
  const SignedPosition position = PositionOf(host_.conversation().DisplayCopy());
  SyncRestart(values_.pnRestart, UtcNow(), position.latitudeDeg, position.longitudeDeg);
  WritePanel(kCmdRestart);
}

void CommandArea::IdKindClick() {
  const int command = CommandOf(PanelId::pnID);
  ReadPanel(command);
  ApplyIdKindRule(values_.pnID, accessLevel_, host_.messages());
  WritePanel(command);
}

void CommandArea::LedClick() {
  const int command = CommandOf(PanelId::pnCustomizedLED);
  ReadPanel(command);
  ApplyLedPreset(values_.pnCustomizedLED);
  WritePanel(command);
}

void CommandArea::SelectAllClick(bool select) {
  const int command = CommandOf(PanelId::pnBlkSats);
  ReadPanel(command);
  select ? SelectAllSatellites(values_.pnBlkSats) : UnselectAllSatellites(values_.pnBlkSats);
  WritePanel(command);
}

void CommandArea::TraceStatusClick(int action) {
  CommandPanels& p = *panels_;
  p.gbTrcStatus->hide();
  p.gbTrcSetup->hide();
  p.moTraceCfg->hide();
  if (action == kTraceSetupAction) {
    p.gbTrcSetup->show();
  } else if (action != 1) {  // "Clear log " has nothing to show
    p.gbTrcStatus->show();
    p.moTraceCfg->show();
  }
}

void CommandArea::SaveClick(bool ephemeris) {
  const QString startFolder = QString::fromStdString(host_.workPath());
  const QString path = chooseSaveFile_ ? chooseSaveFile_(startFolder)
                                       : QFileDialog::getSaveFileName(
                                             this, ephemeris ? "Save Ephemeris" : "Save Almanac",
                                             startFolder, kSaveDialogFilter);
  if (path.isEmpty()) return;
  const std::string file = QFile::encodeName(path).toStdString();
  ReceiverStores& stores = host_.stores();
  if (ephemeris) {
    SaveEphemeris(stores.ephemeris, file, host_.messages());
  } else {
    SaveAlmanac(stores.almanac, file, host_.messages());
  }
}

// --- The answer to the last Send ---------------------------------------------------------------

void CommandArea::ShowAcknowledgement(bool ack) {
  ack_.Acknowledged(ack);
  ShowAck();
}

}  // namespace vetra::ui
