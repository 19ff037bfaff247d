// Read Ephemeris (09h) and Read Almanac (0Bh): the progress of a read and the Save buttons.

#include <QProgressBar>
#include <QPushButton>

#include "ui/command_panels.h"
#include "ui/panels_layout.h"

namespace vetra::ui {
namespace {

struct StorePanel {
  QProgressBar* bar;
  QLabel* count;
  QLabel* sv;
  QLabel* week;
  QLabel* toe;  // nullptr for the almanac
  QPushButton* save;
};

struct StoreNames {
  PanelId id;
  const char* bar;
  const char* count;
  const char* countCaption;
  const char* sv;
  const char* week;
  const char* toe;
  const char* save;
};

StorePanel BuildStorePanel(CommandPanels& p, const StoreNames& n) {
  QWidget* panel = p.Add(n.id);
  QVBoxLayout* column = PanelColumn(panel);
  StorePanel s{};
  s.bar = ProgressBar(n.bar, panel);
  column->addWidget(s.bar);
  QGridLayout* grid = FieldGrid();
  auto place = [&](const char* caption, QLabel* value, int row) {
    auto* label = new QLabel(caption, panel);
    label->setBuddy(value);
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
  };
  s.count = ValueLabel(n.count, 7, panel);
  place(n.countCaption, s.count, 0);
  s.sv = ValueLabel(n.sv, 3, panel);
  place("SV", s.sv, 1);
  s.week = ValueLabel(n.week, 6, panel);
  place("Week No", s.week, 2);
  if (n.toe != nullptr) {
    s.toe = ValueLabel(n.toe, 11, panel);
    place("TOE", s.toe, 3);
  }
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  s.save = Button(n.save, "Save", panel);
  s.save->setToolTip("Write the 32 records, PRN 1 first, to a file");
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(s.save);
  column->addLayout(row);
  column->addStretch();
  return s;
}

}  // namespace

void BuildStorePanels(CommandPanels& p) {
  const StorePanel ephs =
      BuildStorePanel(p, {PanelId::pnReadEphs, "pbReadEphs", "lbReadEphs", "# Ephs  received  ",
                          "lbEphsSV", "lbEphsWn", "lbEphsToe", "btEphsSave"});
  p.pbReadEphs = ephs.bar;
  p.lbReadEphs = ephs.count;
  p.lbEphsSV = ephs.sv;
  p.lbEphsWn = ephs.week;
  p.lbEphsToe = ephs.toe;
  p.btEphsSave = ephs.save;
  const StorePanel almc =
      BuildStorePanel(p, {PanelId::pnReadAlmc, "pbReadAlmc", "lbReadAlmc", "# Almc received  ",
                          "lbAlmcSV", "lbAlmcWn", nullptr, "btSaveAlmc"});
  p.pbReadAlmc = almc.bar;
  p.lbReadAlmc = almc.count;
  p.lbAlmcSV = almc.sv;
  p.lbAlmcWn = almc.week;
  p.btSaveAlmc = almc.save;
}

}  // namespace vetra::ui
