#pragma once
// The parameter panels of the View page's command area, named by their control names (pnRestart
// ... pnBlkSats, pnNothing). They share the parameter area, where one of them is shown at a time;
// the hidden ones take no room, so the area is as tall as the panel shown. Only the widgets with
// their captions, choices and defaults; CommandArea gives them their behaviour, and the values
// travel between the widgets and the core's panel structs by control name (command_binding.h).
//
// The groups are built in panels_*.cpp: settings of the receiver (01h-04h, 19h, 1Bh), queries and
// their replies (05h-07h, IDs, settings reports), ephemeris and almanac, navigation options
// (0Fh-14h, 1Ch, 20h, 21h), Block Sats, and the tree-form trace commands.

#include <QString>
#include <array>
#include <map>

#include "commands/catalogue.h"
#include "ui/command_widgets.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace vetra::ui {

struct CommandPanels {
  explicit CommandPanels(QWidget* parameterArea);

  QWidget* panel(PanelId id) const;  // every PanelId has its panel
  QWidget* Add(PanelId id);          // a new, hidden panel named after its id
  void Show(PanelId id);             // hides the panel shown so far
  PanelId shown() const { return shown_; }

  QWidget* area;
  std::map<PanelId, QWidget*> pages;

  // Restart: the date, time and position boxes and Sync are hidden below access level 16.
  ChoiceGroup* SetStartMode = nullptr;
  std::array<Field, 8> restartFields{};  // RSTyear .. RSTsecond, RSTLat, RSTLong
  QPushButton* btSyncTime = nullptr;
  // Configure IO
  ChoiceGroup* rgBaud = nullptr;
  // Set Datum / Set Extended Datum
  Field lbEdIdx, lbElpA, lbElpF;
  // Query Firmware Revision
  QLabel *lbRevision = nullptr, *lbRevDate = nullptr, *lbRevTime = nullptr, *lbCRC = nullptr;
  // Clock Offset: typed for the command, and where the reply's offset is shown
  QLineEdit* lbClockOffSet = nullptr;
  // Perform Built-In-Test
  std::array<QLabel*, 4> lbResult{};
  QLabel* lbBitResult = nullptr;
  // Read Ephemeris / Read Almanac
  QProgressBar* pbReadEphs = nullptr;
  QLabel *lbReadEphs = nullptr, *lbEphsSV = nullptr, *lbEphsWn = nullptr, *lbEphsToe = nullptr;
  QPushButton* btEphsSave = nullptr;
  QProgressBar* pbReadAlmc = nullptr;
  QLabel *lbReadAlmc = nullptr, *lbAlmcSV = nullptr, *lbAlmcWn = nullptr;
  QPushButton* btSaveAlmc = nullptr;
  // Set ID / Query ID
  ChoiceGroup* rgID = nullptr;
  QLineEdit* edModuleID = nullptr;
  // Set Output Format: COM1 is hidden below access level 16
  ChoiceGroup* rgOutputFormat2 = nullptr;
  QLabel* lbOutput2 = nullptr;
  // Maintain Customized ID
  ChoiceGroup* rgCID = nullptr;
  QLineEdit* edCID = nullptr;
  // Query Navigation / System Setting
  QPlainTextEdit* moShowText = nullptr;
  // Customized LED
  ChoiceGroup* rgCustomizedLED = nullptr;
  // Block Sats
  ChoiceGroup* rgBlkAction = nullptr;
  std::array<QCheckBox*, 32> cbPRN{};
  QPushButton *btSelectAll = nullptr, *btUnSelectAll = nullptr;
  // Read Trace
  ChoiceGroup* rgTraceBaud = nullptr;
  // Maintain Trace Buffer
  ChoiceGroup* rgTraceStatus = nullptr;
  QWidget *gbTrcStatus = nullptr, *gbTrcSetup = nullptr;
  QLabel *lbTraceStatus = nullptr, *lbTraceNum = nullptr, *lbTraceUsed = nullptr;
  QPlainTextEdit* moTraceCfg = nullptr;

 private:
  PanelId shown_ = PanelId::pnNothing;
};

// The groups, in the order the catalogue lists their commands.
void BuildReceiverPanels(CommandPanels& p);      // pnRestart, pnCfgIO, pnSetDatum, pnCfgNmea,
                                                 // pnLocale
void BuildQueryPanels(CommandPanels& p);         // pnRevision, pnClkOff, pnBIT, pnID,
                                                 // pnCustomizedID, pnShowText
void BuildStorePanels(CommandPanels& p);         // pnReadEphs, pnReadAlmc
void BuildNavigationPanels(CommandPanels& p);    // pnDopMask, pnElvMask, pnDgpsCtrl, pn1PPS,
                                                 // pnOutputFormat, pnPowerSave, pnCustomizedLED,
                                                 // pnUpdateRate, pnGPIO
void BuildSatellitePanels(CommandPanels& p);     // pnBlkSats
void BuildTraceCommandPanels(CommandPanels& p);  // pnTraceRecord, pnTraceRead, pnMaintainTrace

}  // namespace vetra::ui
