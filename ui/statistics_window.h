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
// Passes only collect fixes; the figures and plots are computed again twice a second at most
// while the window is shown, so a log replayed as fast as possible does not load the window.

#include <QWidget>
#include <functional>
#include <optional>
#include <set>

#include "session/pass_value.h"
#include "statistics/csv_spool.h"
#include "statistics/fix_history.h"
#include "statistics/position_statistics.h"
#include "util/messages.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace vetra::ui {

class ScatterPlot;
class TimePlot;

class StatisticsWindow : public QWidget, public IPassDisplay {
  Q_OBJECT
 public:
  using FileChooser = std::function<QString(const QString& suggested)>;

  // exactFixes: how many fixes the percentiles are exact for (StatisticsModel).
  StatisticsWindow(IMessages& messages, QWidget* parent = nullptr,
                   int64_t exactFixes = StatisticsModel::kExactFixes);

  void ShowPass(const PassValue& pass) override;

  void Refresh();  // the figures and plots from the fixes so far
  void ResetClick();
  void TakeMeanClick();
  void UseReferenceClick();
  void ExportClick();
  void SetCsvFileChooser(FileChooser chooser) { chooseCsv_ = std::move(chooser); }

  int64_t fixCount() const { return model_.fixes(); }
  const FixHistory& history() const { return history_; }
  const PositionStatistics& statistics() const { return statistics_; }
  const std::optional<ReferencePosition>& reference() const { return reference_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;  // palette changes

 private:
  void UpdatePrnList();
  void ShowCheckBoxesOnThePalette();
  void UpdatePlots(const std::vector<size_t>& shown, const std::vector<EnuOffset>& offsets);

  IMessages& messages_;
  FileChooser chooseCsv_;
  StatisticsModel model_;
  FixHistory history_;
  CsvSpool csv_;
  std::optional<ReferencePosition> reference_;
  PositionStatistics statistics_;
  std::set<int> prnsSeen_;
  bool dirty_ = false;

  QLabel *lbStatFixes_, *lbStatMean_, *lbStatReference_, *lbCep50_, *lbCep95_, *lb2Drms_,
      *lbHorizontalRms_, *lbVerticalRms_, *lbMaxError_, *lbStatNote_;
  QLineEdit* edReference_;
  QListWidget* lsCn0Satellites_;
  ScatterPlot* chScatter_;
  TimePlot *chErrors_, *chDop_, *chCn0History_;
  QTimer* refreshTimer_;
};

}  // namespace vetra::ui
