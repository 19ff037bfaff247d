#pragma once
// The Statistics window (View > Statistics...): how accurate and how stable the receiver is, from
// every epoch with a fix that the receiver conversation's passes carry (PassValue::epochs, any
// receiver), live or replayed. A scatter of the east/north offsets from the reference with the
// CEP50, CEP95 and 2DRMS circles; horizontal and vertical error, HDOP and satellites used, and the
// C/N0 of the satellites the user picks, over time; the figures of
// statistics/position_statistics.h. The reference is the mean of the fixes until the user enters
// one (LAT,LON[,ALT]) or takes the current mean. Reset forgets the fixes once the user has
// confirmed it; Export CSV writes every fix with its offsets.
//
// Memory stays bounded however long it runs: the figures come from the StatisticsModel (exact
// mean and RMS, percentiles from 1 mm bins beyond a million fixes, said in lbStatNote beside the
// figures), the plots from a FixHistory (the last hour at full rate, a thinned history before),
// and the CSV rows wait in a temporary file (CsvSpool) until Export.
//
// The reference can also be a second receiver (Compare with): a serial port, read only, or a TCP
// source (host:port of a gpsd server or of an NMEA stream), read by a ReferenceReceiver on its own
// thread, whose updates reach the window thread through a WindowHandOff of their own. While it
// compares, the module's epochs and the reference's go into a LiveComparison: the scatter shows
// the east/north error of the module from the reference with the CEP50 and CEP95 circles, the
// error plot the horizontal and vertical error over time, the Comparison box the figures of
// `vetra compare`, and Export CSV writes the rows of `vetra compare --csv`. The window's status
// bar shows the health of both lines. Stopping keeps what was compared until Reset.
//
// Passes only collect fixes; the figures and plots are computed again twice a second at most
// while the window is shown, so a log replayed as fast as possible does not load the window.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "compare/live_comparison.h"
#include "compare/reference_receiver.h"
#include "session/pass_value.h"
#include "statistics/csv_spool.h"
#include "statistics/fix_history.h"
#include "statistics/position_statistics.h"
#include "util/messages.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QStatusBar;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace vetra::ui {

class HealthStatus;
class ScatterPlot;
class TimePlot;
class WindowHandOff;

class StatisticsWindow : public QWidget, public IPassDisplay {
  Q_OBJECT
 public:
  using FileChooser = std::function<QString(const QString& suggested)>;

  // exactFixes: how many fixes the percentiles are exact for (StatisticsModel).
  StatisticsWindow(IMessages& messages, QWidget* parent = nullptr,
                   int64_t exactFixes = StatisticsModel::kExactFixes);
  ~StatisticsWindow() override;  // stops comparing

  void ShowPass(const PassValue& pass) override;

  void Refresh();  // the figures and plots from the fixes so far
  void ResetClick();
  void TakeMeanClick();
  void UseReferenceClick();
  void ExportClick();
  void SetCsvFileChooser(FileChooser chooser) { chooseCsv_ = std::move(chooser); }

  // The second receiver. A port name (COM1...) becomes its device through the resolver.
  using PortResolver = std::function<std::string(const std::string& name)>;
  void SetPortResolver(PortResolver resolver) { resolvePort_ = std::move(resolver); }
  // Starts comparing with source (a serial port or host:port; a serial port at baud); false after
  // telling the user why when the text is no source.
  bool CompareWith(const QString& source, int baud);
  void CompareClick();  // btCompare: starts with edSecondReceiver's text, or stops
  void StopComparing();
  bool comparing() const { return referenceReceiver_ != nullptr; }
  const LiveComparison* comparison() const { return comparison_.get(); }

  int64_t fixCount() const { return model_.fixes(); }
  const FixHistory& history() const { return history_; }
  const PositionStatistics& statistics() const { return statistics_; }
  const std::optional<ReferencePosition>& reference() const { return reference_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;  // palette changes

 private:
  void UpdatePrnList();
  void ShowCheckBoxesOnThePalette();
  void UpdatePlots(const std::vector<size_t>& shown, const std::vector<EnuOffset>& offsets);
  QGroupBox* MakeComparisonBox();
  void ShowReference(const ReferenceUpdate& update);  // window thread
  void RefreshComparison();

  IMessages& messages_;
  FileChooser chooseCsv_;
  StatisticsModel model_;
  FixHistory history_;
  CsvSpool csv_;
  std::optional<ReferencePosition> reference_;
  PositionStatistics statistics_;
  std::set<int> prnsSeen_;
  bool dirty_ = false;

  PortResolver resolvePort_;
  std::unique_ptr<LiveComparison> comparison_;
  std::unique_ptr<WindowHandOff> referenceHandOff_;
  std::unique_ptr<ReferenceReceiver> referenceReceiver_;

  QLabel *lbStatFixes_, *lbStatMean_, *lbStatReference_, *lbCep50_, *lbCep95_, *lb2Drms_,
      *lbHorizontalRms_, *lbVerticalRms_, *lbMaxError_, *lbStatNote_;
  QLineEdit* edReference_;
  QListWidget* lsCn0Satellites_;
  ScatterPlot* chScatter_;
  TimePlot *chErrors_, *chDop_, *chCn0History_;
  QTimer* refreshTimer_;

  QLineEdit* edSecondReceiver_;
  QComboBox* cbReferenceBaud_;
  QPushButton* btCompare_;
  QGroupBox *figures_, *comparisonBox_;
  QLabel *lbCompareState_, *lbCompared_, *lbAvailability_, *lbCompareCep_, *lbCompareHorizontal_,
      *lbCompareVertical_;
  QStatusBar* statusBar_;
  HealthStatus *moduleHealth_, *referenceHealth_;
};

}  // namespace vetra::ui
