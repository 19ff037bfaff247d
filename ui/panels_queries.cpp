// Queries and the fields their replies fill: Query Firmware Revision (05h), Clock Offset (06h),
// Perform Built-In-Test (07h), Set ID / Query ID (0Dh, 0Eh), Maintain Customized ID (16h) and the
// two settings reports (17h, 18h).

#include <QGroupBox>
#include <QPlainTextEdit>

#include "commands/panels.h"
#include "ui/command_panels.h"
#include "ui/panels_layout.h"

namespace vetra::ui {
namespace {

void PlaceValue(QGridLayout* grid, const QString& caption, QLabel* value, int row) {
  auto* label = new QLabel(caption, value->parentWidget());
  label->setBuddy(value);
  grid->addWidget(label, row, 0);
  grid->addWidget(value, row, 1);
}

void BuildRevision(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnRevision);
  QVBoxLayout* column = PanelColumn(panel);
  QGridLayout* grid = FieldGrid();
  p.lbRevision = ValueLabel("lbRevision", 12, panel);
  p.lbCRC = ValueLabel("lbCRC", 4, panel);
  p.lbRevDate = ValueLabel("lbRevDate", 10, panel);
  p.lbRevTime = ValueLabel("lbRevTime", 8, panel);
  PlaceValue(grid, "Revision Label", p.lbRevision, 0);
  PlaceValue(grid, "CRC", p.lbCRC, 1);
  PlaceValue(grid, "Date (YY/MM/DD)", p.lbRevDate, 2);
  PlaceValue(grid, "Time (HH:MM:SS)", p.lbRevTime, 3);
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildClockOffset(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnClkOff);
  QVBoxLayout* column = PanelColumn(panel);
  QGridLayout* grid = FieldGrid();
  const Field offset = MakeField("lbClockOffSet", "Clock OffSet", {}, 11, panel);
  p.lbClockOffSet = offset.edit;
  PlaceField(grid, offset, 0);
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildSelfTest(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnBIT);
  QVBoxLayout* column = PanelColumn(panel);
  QGridLayout* itemGrid = FieldGrid();
  PlaceField(itemGrid, MakeField("lbItem", "Item ", {}, 4, panel), 0);
  itemGrid->setColumnStretch(1, 1);
  column->addLayout(itemGrid);

  auto* result = new QGroupBox("RESULT", panel);
  QGridLayout* grid = FieldGrid();
  result->setLayout(grid);
  for (int i = 0; i < 4; ++i) {
    const QByteArray name = "lbResult" + QByteArray::number(i + 1);
    p.lbResult[i] = ValueLabel(name.constData(), 11, result);
    PlaceValue(grid, QString("W %1").arg(i + 1), p.lbResult[i], i);
  }
  grid->setColumnStretch(1, 1);
  column->addWidget(result);

  // The connection verdict: a large coloured label, as the loader's verdict.
  p.lbBitResult = new QLabel(panel);
  p.lbBitResult->setObjectName("lbBitResult");
  p.lbBitResult->setAlignment(Qt::AlignCenter);
  p.lbBitResult->setAutoFillBackground(true);
  QFont big = p.lbBitResult->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.3);
  p.lbBitResult->setFont(big);
  p.lbBitResult->setMinimumHeight(p.lbBitResult->fontMetrics().height() * 2);
  column->addWidget(p.lbBitResult);
  column->addStretch();
}

void BuildId(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnID);
  QVBoxLayout* column = PanelColumn(panel);
  p.rgID = new ChoiceGroup("rgID", "ID", panel);
  p.rgID->SetItems(ItemList(kIdKindItems));
  column->addWidget(p.rgID);
  QGridLayout* grid = FieldGrid();
  const Field id = MakeField("edModuleID", "Module ID", {}, 11, panel);
  p.edModuleID = id.edit;
  PlaceField(grid, id, 0);
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildCustomizedId(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnCustomizedID);
  QVBoxLayout* column = PanelColumn(panel);
  p.rgCID = new ChoiceGroup("rgCID", {}, panel);
  p.rgCID->SetItems(ItemList(kCustomizedIdItems));
  column->addWidget(p.rgCID);
  p.edCID = new QLineEdit(panel);
  p.edCID->setObjectName("edCID");
  p.edCID->setMaxLength(kCustomizedIdMaxLength);
  p.edCID->setPlaceholderText("up to 32 characters");
  column->addWidget(p.edCID);
  column->addStretch();
}

void BuildShowText(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnShowText);
  QVBoxLayout* column = PanelColumn(panel);
  p.moShowText = Memo("moShowText", panel);
  column->addWidget(p.moShowText);
}

}  // namespace

void BuildQueryPanels(CommandPanels& p) {
  BuildRevision(p);
  BuildClockOffset(p);
  BuildSelfTest(p);
  BuildId(p);
  BuildCustomizedId(p);
  BuildShowText(p);
}

}  // namespace vetra::ui
