// Block Sats (E1h): the action, one check box per satellite PRN, Select All and Reset All.

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "commands/panels.h"
#include "ui/command_panels.h"
#include "ui/panels_layout.h"

namespace vetra::ui {

void BuildSatellitePanels(CommandPanels& p) {
  constexpr int kBoxesPerRow = 6;
  QWidget* panel = p.Add(PanelId::pnBlkSats);
  QVBoxLayout* column = PanelColumn(panel);
  p.rgBlkAction = new ChoiceGroup("rgBlkAction", "Action", panel);
  p.rgBlkAction->SetItems(pnBlkSatsPanel{}.rgBlkActionItems, 2);
  column->addWidget(p.rgBlkAction);

  // Six to a row, PRN 1 top left, as the numbers are read; packed close to fit the area.
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(0);
  grid->setVerticalSpacing(0);
  for (int i = 0; i < kSatelliteBoxes; ++i) {
    auto* box = new QCheckBox(QString::number(i + 1), panel);
    box->setStyleSheet("QCheckBox { spacing: 2px; }");
    box->setObjectName(QString::asprintf("cbPRN%02d", i + 1));
    p.cbPRN[i] = box;
    grid->addWidget(box, i / kBoxesPerRow, i % kBoxesPerRow);
  }
  column->addLayout(grid);

  p.btSelectAll = Button("btSelectAll", "Select All", panel);
  p.btUnSelectAll = Button("btUnSelectAll", "Reset All", panel);
  auto* row = new QHBoxLayout;
  row->addWidget(p.btSelectAll);
  row->addWidget(p.btUnSelectAll);
  row->addStretch();
  column->addLayout(row);
  column->addStretch();
}

}  // namespace vetra::ui
