#pragma once
// The command area of the View page: the command tree CmdTree, the caption lbCmd, the parameter
// area with one panel per command, btSend with the acknowledgement display pnAck (rbACK, rbNACK)
// and the echo of the last frame sent, lbSentence.
//
// The rules are the core's: the catalogue and tree (commands/command_tree.h), the send path
// (commands/send_path.h) with its encoders, whose frames go to the receiver conversation as one
// exchange with the answer they await (the conversation writes them on its own thread), the panel
// rules by access level and chip (commands/panel_rules.h), the store progress and files
// (commands/store_files.h) and the report texts (present/reports.h). This class copies the widgets
// into the core's panel structs and back (each edit with the validator of its control,
// ui/control_validator.h), asks the user through the window's message seam where the send path
// wants a confirmation, and shows the receiver's ACK or NACK to the last Send; the panels' reply
// fields are filled by their own view (ui/reply_fields_view.h).

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "commands/command_tree.h"
#include "commands/panels.h"
#include "commands/send_path.h"
#include "commands/store_files.h"
#include "present/ack_indicator.h"
#include "present/reports.h"
#include "session/exchange.h"
#include "trace/trace_command_extension.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace vetra::ui {

class ViewPageHost;
struct CommandPanels;
class ReplyFieldsView;

class CommandArea : public QWidget, private ISendView {
  Q_OBJECT
 public:
  // Builds the area and its tree for the host's access level (InitCommandTree).
  CommandArea(ViewPageHost& host, QWidget* parent = nullptr);
  ~CommandArea() override;

  // InitCommandTree: the commands the access level lists, in catalogue order, and the panels'
  // choices and hidden controls for that level.
  void InitCommandTree(int accessLevel);
  const CommandTree& tree() const { return tree_; }
  int currentCommand() const { return state_.current; }

  // CmdTreeChange for node k of the tree; SelectCommand for a catalogue number (false when the
  // access level does not list it).
  void CmdTreeChange(int node);
  bool SelectCommand(int number);

  // btSendClick: nothing while no command is picked (the button is disabled then). Asks before Set
  // Factory Default and Set ID; tells the user when nothing could be sent (a value the field does
  // not accept, which is then focused and selected; no port; a field that does not convert) and,
  // once the conversation knows, when the write failed or nothing answered; never throws.
  SendOutcome SendClick();

  // rgChipClick on the Setup page: the restart modes and block actions of the chip.
  void ChipClicked(bool secondChip);
  void NarrowSentenceField();  // below the engineer level

  // The panels' reply fields (window thread, inside the conversation's hand-off or the send
  // path).
  ReplyFieldsView& replyFields() { return *replies_; }
  void ShowAcknowledgement(bool ack);  // rbACK or rbNACK
  const AckView& acknowledgement() const { return ack_.view(); }
  // The item sent with the last built-in test; its verdict depends on it.
  int keptTestItem() const { return context_.keptTestItem; }

  // The Save buttons' file dialog; tests put a chooser of their own in its place. An empty
  // result means cancelled.
  using FileChooser = std::function<QString(const QString& startFolder)>;
  void SetSaveFileChooser(FileChooser chooser) { chooseSaveFile_ = std::move(chooser); }

  const CommandPanels& widgets() const { return *panels_; }
  Panels& panelValues() { return values_; }
  TraceCommandExtension& traceValues() { return trace_; }
  // The named controls of a command's panel (core names and the trace panels' names).
  std::vector<ControlRef> Controls(int number);

 private:
  // ISendView
  void UncheckAcknowledgement() override;
  void ShowSentence(const std::string& text) override;
  void ClearRevision() override;
  void ClearClockOffset() override;
  void ClearSelfTest() override;
  void ClearTraceStatus() override;
  bool Confirm(const std::string& question, const std::string& title) override;

  // Widgets -> panel struct, and back after a rule or an encoder changed it.
  void ReadPanel(int number);
  void WritePanel(int number);
  void ApplyAccessLevelToWidgets(int accessLevel);
  void RebuildChipLists();
  void ShowSatelliteColours();

  // Panel events.
  void SyncTimeClick();
  void IdKindClick();
  void LedClick();
  void SelectAllClick(bool select);
  void TraceStatusClick(int action);
  void SaveClick(bool ephemeris);

  void TreeItemChanged(QTreeWidgetItem* current);
  void ShowSendReady();  // btSend is enabled once a command is picked
  bool Post(int command, std::vector<std::vector<uint8_t>> frames);
  void Answered(int command, uint64_t ackTicket, const ExchangeResult& result);
  void ShowAck();
  void Report(const SendOutcome& outcome);
  void RefuseValue(const RefusedValue& refused);

  ViewPageHost& host_;
  int accessLevel_ = 0;
  Panels values_;
  TraceCommandExtension trace_;
  EncodeContext context_;
  CommandTree tree_;
  CommandTreeState state_;
  FileChooser chooseSaveFile_;

  QTreeWidget* cmdTree_;
  QLabel* lbCmd_;
  QWidget* parameterArea_;
  std::unique_ptr<CommandPanels> panels_;
  std::unique_ptr<ReplyFieldsView> replies_;
  QPushButton* btSend_;
  QGroupBox* pnAck_;
  QRadioButton *rbACK_, *rbNACK_;
  QLabel* lbAckState_;
  AckIndicator ack_;
  uint64_t ackTicket_ = 0;  // the latest Send's
  QLineEdit* lbSentence_;
};

}  // namespace vetra::ui
