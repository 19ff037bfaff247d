#pragma once
// The View page (tsView): what the receiver reports, live. It is the receiver conversation's
// display: each pass value arrives on the window thread inside the conversation's hand-off and is
// shown from its own fields. It also carries the raw log button, the window-size buttons and the
// command area.

#include <QWidget>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/capture_slot.h"
#include "present/reports.h"
#include "present/view_model.h"
#include "session/receiver_conversation.h"
#include "ui/echo_view.h"
#include "util/messages.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;
class QTableWidget;
class QTreeWidget;
class QStackedWidget;
class QVBoxLayout;

namespace vetra::ui {

class SkyView;
class Cn0Chart;
class ReadoutLabel;
class CommandArea;

// What the View page needs of the main window.
class ViewPageHost {
 public:
  virtual ~ViewPageHost() = default;
  virtual ReceiverConversation& conversation() = 0;
  virtual ReceiverStores& stores() = 0;  // the ephemeris and almanac stores of the Save buttons
  virtual bool secondChip() const = 0;
  virtual int accessLevel() const = 0;
  virtual IMessages& messages() = 0;
  virtual CaptureSlot& captureSlot() = 0;  // shared with the trace read
  // The command area: cbFWbaud's position.
  virtual int setupBaudIndex() const { return 1; }
  virtual std::string workPath() const = 0;
  virtual void SetWorkPath(const std::string& path) = 0;
  virtual void SetStatusPanel(int panel, const QString& text) = 0;  // sbStatus panels 0..2
  // The log file dialog; an empty result means cancelled.
  virtual QString ChooseLogFile(const QString& startFolder) = 0;
  virtual void EnableHostButton() = 0;
  // The last panel of sbStatus.
  virtual void ShowStatusMessage(const QString& text) { SetStatusPanel(2, text); }
  // Trace status fields of the Trace page.
  virtual void ShowTraceReport(const TraceReport& report) { (void)report; }
  virtual QString shownTraceStatus() const { return {}; }
  // A trace record (F2 88) arrived: the Trace page counts the records of its read.
  virtual void TraceRecordArrived() {}
};

class ViewPage : public QWidget, public IPassDisplay {
  Q_OBJECT
 public:
  static constexpr int kNmeaEchoLines = EchoView::kLines;  // moNMEA keeps the newest lines only

  ViewPage(ViewPageHost& host, QWidget* parent = nullptr);
  ~ViewPage() override;

  // IPassDisplay: the heartbeat, the echo lines, the replies in their displays, the navigation.
  void ShowPass(const PassValue& pass) override;

  // The position and measurement updates, from a display copy.
  void ShowPosition(const TNavRecord& record);
  void ShowMeasurement(const TNavRecord& record);

  int coordinateFormat() const { return coordinateFormat_; }
  void NextCoordinateFormat() { coordinateFormat_ = (coordinateFormat_ + 1) % 3; }
  void SetCoordinateFormat(int format) { coordinateFormat_ = format >= 0 ? format % 3 : 0; }

  // Page rules: the grid's rows and size for the chip; the size buttons; the expanded area.
  void SizeGridForChip(bool secondChip);
  void ShowSizeButtons(bool larger, bool smaller);
  void SetExpanded(bool expanded);
  bool expanded() const { return expanded_; }
  void SetBigSnrVisible(bool visible);
  bool measurementShown() const { return measurementShown_; }
  void NarrowSentenceField();  // NarrowsSentenceField(access level)

  // Logging (btLog).
  bool logging() const;
  void LogClick();
  void StopLog();
  // The capture slot changed hands: btLog is disabled while the trace read holds it.
  void CaptureSlotChanged(CaptureUser holder);

  CommandArea& commandArea() { return *commands_; }

 Q_SIGNALS:
  void sizeToggleRequested();  // btLarge, btSmall

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void ShadeFixedCells();
  void BuildInstrument(QWidget* area);
  void BuildGrid();
  void BuildSatelliteTable();
  void ShowSatellites(const std::vector<SatelliteRow>& rows);
  void SetClockVisible(bool visible);
  void ShowNavigation(const NavigationUpdate& update, int64_t seconds);
  void ShowReply(const ReplyEvent& reply);

  ViewPageHost& host_;
  int coordinateFormat_ = 0;
  int channelCount_ = 12;  // the C/N0 chart's range, as the last pass gave it
  bool expanded_ = false;
  bool measurementShown_ = false;  // lbClkOff and sgMeas: records come from binary replies
  MeasurementVisibility measurementVisibility_;

  QLabel *lbTime_, *lbFix_, *lbBigSNR_, *lbClkOffCaption_;
  ReadoutLabel *lbLat_, *lbLong_, *lbHigh_, *lpdop_, *lhdop_, *lvisible_, *lbFixNo_, *leSpeed_,
      *leDir_, *lbClkOff_;
  QWidget* bigSnrBox_;  // lbBigSNR with its caption and unit
  QLineEdit *edMeasUTC_, *edCB_, *edTB_, *edFB_;
  SkyView* chSat_;
  Cn0Chart* chCn0_;
  QTableWidget* sgMeas_;
  QTableWidget* sgSats_;  // the satellites in view, from NMEA or binary data
  EchoView* echo_;        // moNMEA with its filter, Pause and Clear
  QPushButton *btLog_, *btLarge_, *btSmall_;
  QWidget* expandedArea_;
  QWidget* signalBox_;  // chCn0 and lbBigSNR
  QVBoxLayout* instrumentLayout_;
  QVBoxLayout* expandedLayout_;
  CommandArea* commands_;  // CmdTree, the command panels, btSend, pnAck, lbSentence
};

}  // namespace vetra::ui
