// The trace logger's commands in the command tree: Record Trace (1Dh), Read Trace (1Eh) and
// Maintain Trace Buffer (1Fh) with its status and setup groups.

#include <QCheckBox>
#include <QGroupBox>
#include <QPlainTextEdit>

#include "trace/trace_frames.h"
#include "ui/command_panels.h"
#include "ui/panels_layout.h"

namespace vetra::ui {
namespace {

void BuildRecord(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnTraceRecord);
  QVBoxLayout* column = PanelColumn(panel);
  auto* action = new ChoiceGroup("rgTraceRecordAction", "Action", panel);
  action->SetItems(ItemList(kTraceRecordActions));
  column->addWidget(action);
  column->addStretch();
}

void BuildRead(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnTraceRead);
  QVBoxLayout* column = PanelColumn(panel);
  auto* action = new ChoiceGroup("rgTraceReadAction", "Action", panel);
  action->SetItems(ItemList(kTraceReadActions), 2);
  column->addWidget(action);
  p.rgTraceBaud = new ChoiceGroup("rgTraceBaud", "Baud rate", panel);
  p.rgTraceBaud->SetItems(ItemList(kTraceReadBauds), 2);
  column->addWidget(p.rgTraceBaud);
  column->addStretch();
}

void BuildMaintain(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnMaintainTrace);
  QVBoxLayout* column = PanelColumn(panel);
  p.rgTraceStatus = new ChoiceGroup("rgTraceStatus", {}, panel);  // five actions: no title
  p.rgTraceStatus->SetItems(ItemList(kTraceStatusActions));
  column->addWidget(p.rgTraceStatus);

  auto* status = new QGroupBox("Status ", panel);
  status->setObjectName("gbTrcStatus");
  QGridLayout* statusGrid = FieldGrid();
  status->setLayout(statusGrid);
  p.lbTraceStatus = ValueLabel("lbTraceStatus", 12, status);
  p.lbTraceNum = ValueLabel("lbTraceNum", 6, status);
  p.lbTraceUsed = ValueLabel("lbTraceUsed", 4, status);
  const std::pair<const char*, QLabel*> values[] = {
      {"Status", p.lbTraceStatus}, {"Logged", p.lbTraceNum}, {"Used %", p.lbTraceUsed}};
  for (int row = 0; row < 3; ++row) {
    auto* caption = new QLabel(values[row].first, status);
    caption->setBuddy(values[row].second);
    statusGrid->addWidget(caption, row, 0);
    statusGrid->addWidget(values[row].second, row, 1);
  }
  statusGrid->setColumnStretch(1, 1);
  p.gbTrcStatus = status;
  column->addWidget(status);
  p.moTraceCfg = Memo("moTraceCfg", panel);
  column->addWidget(p.moTraceCfg, 1);

  auto* setup = new QGroupBox("Setup", panel);
  setup->setObjectName("gbTrcSetup");
  auto* setupColumn = new QVBoxLayout(setup);
  setupColumn->setContentsMargins(6, 2, 6, 4);
  for (auto [name, caption] : {std::pair{"chStopOnFull", "Stop On Full"},
                               {"chPowerOnLog", "Power on Logging"},
                               {"chExtended", "Extended"}}) {
    auto* box = new QCheckBox(caption, setup);
    box->setObjectName(name);
    setupColumn->addWidget(box);
  }
  QGridLayout* setupGrid = FieldGrid();
  const std::tuple<const char*, const char*, const char*> fields[] = {
      {"lbTraceDistance", "Distance", "m"},
      {"lbTracePeriod", "Time interval", "s"},
      {"lbTraceSpeed", "Speed", "km/h"}};
  for (int row = 0; row < 3; ++row) {
    const auto& [name, caption, unit] = fields[row];
    PlaceField(setupGrid, MakeField(name, caption, {}, 6, setup), row);
    setupGrid->addWidget(new QLabel(unit, setup), row, 2);
  }
  setupGrid->setColumnStretch(2, 1);
  setupColumn->addLayout(setupGrid);
  p.gbTrcSetup = setup;
  column->addWidget(setup);
  column->addStretch();
}

}  // namespace

void BuildTraceCommandPanels(CommandPanels& p) {
  BuildRecord(p);
  BuildRead(p);
  BuildMaintain(p);
}

}  // namespace vetra::ui
