// Navigation and output options: Set DOP mask (0Fh), Set Elevation Mask (10h), DGPS Control
// (11h), 1PPS Control (12h), Set Output Format (13h), Power Save (14h), Customized LED (1Ch),
// Update Rate (20h) and Set GPIO (21h).

#include <QCheckBox>
#include <QPlainTextEdit>

#include "commands/panels.h"
#include "ui/command_panels.h"
#include "ui/panels_layout.h"

namespace vetra::ui {
namespace {

QLabel* Note(const QString& text, QWidget* parent) {
  auto* note = new QLabel(text, parent);
  note->setEnabled(false);  // read-only help text, drawn quieter than the controls
  note->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return note;
}

void BuildDopMask(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnDopMask);
  QVBoxLayout* column = PanelColumn(panel);
  auto* mode = new ChoiceGroup("rgDopMask", "DOP Mask", panel);
  mode->SetItems(ItemList(kDopMaskItems), 2);
  column->addWidget(mode);
  // The three masks side by side: the last, HDOP, in sight without scrolling the panel.
  QGridLayout* grid = FieldGrid();
  PlaceField(grid, MakeField("edGdop", "GDOP", {}, 4, panel), 0, 0);
  PlaceField(grid, MakeField("edPdop", "PDOP", {}, 4, panel), 0, 1);
  PlaceField(grid, MakeField("edHdop", "HDOP", {}, 4, panel), 0, 2);
  grid->setColumnStretch(5, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildElevationMask(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnElvMask);
  QVBoxLayout* column = PanelColumn(panel);
  QGridLayout* grid = FieldGrid();
  PlaceField(grid, MakeField("edElvMask", "Mask", {}, 4, panel), 0);
  grid->addWidget(new QLabel("degree", panel), 0, 2);
  grid->setColumnStretch(2, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildDgps(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnDgpsCtrl);
  QVBoxLayout* column = PanelColumn(panel);
  auto* selection = new ChoiceGroup("rgSelDgps", "DGPS selection", panel);
  selection->SetItems(ItemList(kDgpsItems));
  column->addWidget(selection);
  column->addStretch();
}

void Build1Pps(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pn1PPS);
  QVBoxLayout* column = PanelColumn(panel);
  auto* mode = new ChoiceGroup("rg1PPS", "1PPS", panel);
  mode->SetItems(ItemList(k1ppsItems));
  column->addWidget(mode);
  QGridLayout* grid = FieldGrid();
  PlaceField(grid, MakeField("ed1ppsBW", "Basic width (0~3) ", {}, 4, panel), 0);
  PlaceField(grid, MakeField("ed1ppsMul", "Multiplier (1~16)    ", {}, 4, panel), 1);
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  column->addWidget(Note("0:20ms, 1:1ms, 2:20us, 3:1us", panel));
  column->addStretch();
}

void BuildOutputFormat(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnOutputFormat);
  QVBoxLayout* column = PanelColumn(panel);
  auto* grid = new QGridLayout;
  auto* com0 = new QLabel("COM0", panel);
  com0->setObjectName("lbOutput");
  auto* format = new ChoiceGroup("rgOutputFormat", {}, panel);
  format->SetItems(ItemList(kOutputFormatItems));
  p.lbOutput2 = new QLabel("COM1", panel);
  p.lbOutput2->setObjectName("lbOutput2");
  p.rgOutputFormat2 = new ChoiceGroup("rgOutputFormat2", {}, panel);
  p.rgOutputFormat2->SetItems(ItemList(kOutputFormatItems));
  grid->addWidget(com0, 0, 0);
  grid->addWidget(format, 1, 0);
  grid->addWidget(p.lbOutput2, 0, 1);
  grid->addWidget(p.rgOutputFormat2, 1, 1);
  grid->setColumnStretch(2, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildPowerSave(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnPowerSave);
  QVBoxLayout* column = PanelColumn(panel);
  QGridLayout* grid = FieldGrid();
  PlaceField(grid, MakeField("lePowerSave", "Sleep Time", {}, 7, panel), 0);
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  auto* deep = new QCheckBox("Deep Sleep", panel);
  deep->setObjectName("chbDeepSleep");
  column->addWidget(deep);
  column->addWidget(Note("0: disable\n1~3600\n-1: sleep forever", panel));
  column->addStretch();
}

void BuildCustomizedLed(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnCustomizedLED);
  QVBoxLayout* column = PanelColumn(panel);
  p.rgCustomizedLED = new ChoiceGroup("rgCustomizedLED", "LED", panel);
  p.rgCustomizedLED->SetItems(ItemList(kLedItems), 2);
  column->addWidget(p.rgCustomizedLED);
  QGridLayout* grid = FieldGrid();
  for (int i = 0; i < 4; ++i) {
    const QByteArray name = "lbCustomizedPtn" + QByteArray::number(i + 1);
    PlaceField(grid, MakeField(name.constData(), QString("W %1").arg(i + 1), {}, 10, panel), i);
  }
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildUpdateRate(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnUpdateRate);
  QVBoxLayout* column = PanelColumn(panel);
  QGridLayout* grid = FieldGrid();
  PlaceField(grid, MakeField("lbUpdateRate", "UpdateRate (1~5Hz)", {}, 4, panel), 0);
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildGpio(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnGPIO);
  QVBoxLayout* column = PanelColumn(panel);
  QGridLayout* grid = FieldGrid();
  PlaceField(grid, MakeField("lbGpioMask", "GPIO Mask", {}, 10, panel), 0);
  PlaceField(grid, MakeField("lbGpioValue", "GPIO Value", {}, 10, panel), 1);
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  column->addStretch();
}

}  // namespace

void BuildNavigationPanels(CommandPanels& p) {
  BuildDopMask(p);
  BuildElevationMask(p);
  BuildDgps(p);
  Build1Pps(p);
  BuildOutputFormat(p);
  BuildPowerSave(p);
  BuildCustomizedLed(p);
  BuildUpdateRate(p);
  BuildGpio(p);
}

}  // namespace vetra::ui
