// The receiver's basic settings: Restart (01h), Configure IO (02h), Set Datum (03h) with its
// extended form (1Bh), Configure NMEA (04h) and Set Locale (19h).

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "commands/panels.h"
#include "ui/command_panels.h"
#include "ui/panels_layout.h"

namespace vetra::ui {
namespace {

void BuildRestart(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnRestart);
  QVBoxLayout* column = PanelColumn(panel);
  p.SetStartMode = new ChoiceGroup("SetStartMode", {}, panel);  // the modes speak for themselves
  p.SetStartMode->SetItems(pnRestartPanel{}.SetStartModeItems);
  column->addWidget(p.SetStartMode);

  struct Box {
    const char* name;
    const char* caption;
    int chars;
  };
  static constexpr Box kBoxes[] = {{"RSTyear", "Year", 5},     {"RSTmonth", "Month", 3},
                                   {"RSTday", "Day", 3},       {"RSThour", "Hour", 3},
                                   {"RSTminute", "Minute", 3}, {"RSTsecond", "Second", 3},
                                   {"RSTLat", "Latitude", 7},  {"RSTLong", "Longitude", 7}};
  static_assert(std::size(kBoxes) == std::tuple_size_v<decltype(p.restartFields)>);
  QGridLayout* grid = FieldGrid();
  for (size_t i = 0; i < std::size(kBoxes); ++i) {
    p.restartFields[i] = MakeField(kBoxes[i].name, kBoxes[i].caption, {}, kBoxes[i].chars, panel);
  }
  // Date beside time, then the position, with Sync (which fills both) beside the longitude.
  for (int i = 0; i < 3; ++i) {
    PlaceField(grid, p.restartFields[i], i, 0);
    PlaceField(grid, p.restartFields[i + 3], i, 1);
  }
  grid->addWidget(p.restartFields[6].caption, 3, 0);
  grid->addWidget(p.restartFields[6].edit, 3, 1, 1, 3, Qt::AlignLeft);
  grid->addWidget(p.restartFields[7].caption, 4, 0);
  grid->addWidget(p.restartFields[7].edit, 4, 1, Qt::AlignLeft);
  p.btSyncTime = Button("btSyncTime", "Sync", panel);
  p.btSyncTime->setToolTip("The computer's UTC time and the last position received");
  grid->addWidget(p.btSyncTime, 4, 2, 1, 2, Qt::AlignRight);
  grid->setColumnStretch(3, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildCfgIO(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnCfgIO);
  QVBoxLayout* column = PanelColumn(panel);
  auto* rgPort = new ChoiceGroup("rgPort", "Com port", panel);
  rgPort->SetItems(ItemList(kComPortItems), 2);
  p.rgBaud = new ChoiceGroup("rgBaud", "Buad Rate", panel);
  p.rgBaud->SetItems(pnCfgIOPanel{}.rgBaudItems, 2);
  column->addWidget(rgPort);
  column->addWidget(p.rgBaud);
  column->addStretch();
}

void BuildSetDatum(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnSetDatum);
  QVBoxLayout* column = PanelColumn(panel);
  QGridLayout* grid = FieldGrid();
  p.lbEdIdx = MakeField("lbEdIdx", "Ellipsoid Index ", {}, 10, panel);
  p.lbElpA = MakeField("lbElpA", "Semi-Major ", {}, 14, panel);
  p.lbElpF = MakeField("lbElpF", "Inversed flat ", {}, 14, panel);
  const Field fields[] = {p.lbEdIdx,
                          p.lbElpA,
                          p.lbElpF,
                          MakeField("lbDx", "Delta X", {}, 10, panel),
                          MakeField("lbDy", "Delta Y", {}, 10, panel),
                          MakeField("lbDz", "Delta Z", {}, 10, panel)};
  for (int i = 0; i < static_cast<int>(std::size(fields)); ++i) PlaceField(grid, fields[i], i);
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  column->addStretch();
}

void BuildCfgNmea(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnCfgNmea);
  QVBoxLayout* column = PanelColumn(panel);
  QGridLayout* grid = FieldGrid();
  // The form's order, two to a row.
  static constexpr std::pair<const char*, const char*> kSentences[] = {
      {"lbGGA", "GGA"}, {"lbGSA", "GSA"}, {"lbGSV", "GSV"}, {"lbRMC", "RMC"},
      {"lbVTG", "VTG"}, {"lbGLL", "GLL"}, {"lbZDA", "ZDA"}};
  for (int i = 0; i < static_cast<int>(std::size(kSentences)); ++i) {
    PlaceField(grid, MakeField(kSentences[i].first, kSentences[i].second, {}, 4, panel), i / 2,
               i % 2);
  }
  grid->setColumnStretch(3, 1);
  column->addLayout(grid);
  // The receiver always gets checksums: the box exists, hidden and checked.
  auto* checksum = new QCheckBox("Check Sum", panel);
  checksum->setObjectName("cbChkSumd");
  checksum->setVisible(false);
  column->addWidget(checksum);
  column->addStretch();
}

void BuildLocale(CommandPanels& p) {
  QWidget* panel = p.Add(PanelId::pnLocale);
  QVBoxLayout* column = PanelColumn(panel);
  auto* sign = new ChoiceGroup("rgGMTsign", {}, panel);
  sign->SetItems(ItemList(kGmtSignItems), 2);
  column->addWidget(sign);
  QGridLayout* grid = FieldGrid();
  PlaceField(grid, MakeField("lbZoneHour", "Hour ", {}, 4, panel), 0);
  PlaceField(grid, MakeField("lbZoneMinute", "Minute ", {}, 4, panel), 1);
  PlaceField(grid, MakeField("lbZoneSecond", "Second ", {}, 4, panel), 2);
  PlaceField(grid, MakeField("lbDstAdjust", "DST Adjust Hour", {}, 4, panel), 3);
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  auto* update = new QCheckBox("Update System Time", panel);
  update->setObjectName("cbUpdateSTime");
  column->addWidget(update);
  column->addStretch();
}

}  // namespace

void BuildReceiverPanels(CommandPanels& p) {
  BuildRestart(p);
  BuildCfgIO(p);
  BuildSetDatum(p);
  BuildCfgNmea(p);
  BuildLocale(p);
}

}  // namespace vetra::ui
