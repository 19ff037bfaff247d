#include "ui/statistics_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/baud_table.h"
#include "ui/hand_off.h"
#include "ui/health_status.h"
#include "ui/scatter_plot.h"
#include "ui/texts.h"
#include "ui/time_plot.h"
#include "ui/widget_text.h"

namespace vetra::ui {

namespace {

constexpr int kRefreshMs = 500;
constexpr int kPrnsPickedAtFirst = 4;
constexpr size_t kMostPlotPoints = 3000;      // per series; longer runs are thinned evenly
constexpr size_t kMostScatterPoints = 20000;  // the scatter's dots, thinned the same way
constexpr char kStatisticsTitle[] = "Statistics";
constexpr char kReferenceHelp[] =
    "Give the reference as LAT,LON[,ALT]: signed decimal degrees (latitude within 90, longitude "
    "within 180) and metres above the ellipsoid.";

constexpr char kResetTitle[] = "Reset statistics";

std::string ResetQuestion(int fixes) {
  return "Forget all " + std::to_string(fixes) + (fixes == 1 ? " fix" : " fixes") +
         " of this run? Export CSV... keeps them in a file first.";
}

QLabel* Figure(const char* name, QWidget* parent) {
  auto* label = new QLabel("-", parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// Without a measured height, "-" as `vetra stats` prints: not the ellipsoid's "-0.000 m".
QString PositionText(const GeodeticDeg& p, bool heightKnown) {
  return QString("%1, %2, %3")
      .arg(p.latitudeDeg, 0, 'f', 9)
      .arg(p.longitudeDeg, 0, 'f', 9)
      .arg(heightKnown ? QString("%1 m").arg(p.heightM, 0, 'f', 3) : QString("-"));
}

// Every step-th index, and always the last.
std::vector<size_t> Thinned(size_t count, size_t most) {
  const size_t step = count > most ? (count + most - 1) / most : 1;
  std::vector<size_t> indices;
  for (size_t i = 0; i < count; i += step) indices.push_back(i);
  if (count > 0 && (count - 1) % step != 0) indices.push_back(count - 1);
  return indices;
}

}  // namespace

StatisticsWindow::StatisticsWindow(IMessages& messages, QWidget* parent, int64_t exactFixes)
    : QWidget(parent, Qt::Window), messages_(messages), model_(exactFixes) {
  setObjectName("fmStatistics");
  setWindowTitle(kStatisticsTitle);

  // The reference and the actions.
  auto* referenceRow = new QHBoxLayout;
  referenceRow->addWidget(new QLabel("Reference", this));
  edReference_ = new QLineEdit(this);
  edReference_->setObjectName("edReference");
  edReference_->setPlaceholderText("LAT,LON[,ALT]   (empty: the mean of the fixes)");
  edReference_->setToolTip(kReferenceHelp);
  referenceRow->addWidget(edReference_, 1);
  auto* btUse = new QPushButton("Use", this);
  btUse->setObjectName("btReferenceUse");
  auto* btMean = new QPushButton("Take current mean", this);
  btMean->setObjectName("btTakeMean");
  auto* btReset = new QPushButton("Reset", this);
  btReset->setObjectName("btStatsReset");
  auto* btExport = new QPushButton("Export CSV...", this);
  btExport->setObjectName("btStatsExport");
  for (QPushButton* b : {btUse, btMean, btReset, btExport}) referenceRow->addWidget(b);
  connect(edReference_, &QLineEdit::returnPressed, this, &StatisticsWindow::UseReferenceClick);
  connect(btUse, &QPushButton::clicked, this, &StatisticsWindow::UseReferenceClick);
  connect(btMean, &QPushButton::clicked, this, &StatisticsWindow::TakeMeanClick);
  connect(btReset, &QPushButton::clicked, this, &StatisticsWindow::ResetClick);
  connect(btExport, &QPushButton::clicked, this, &StatisticsWindow::ExportClick);

  // Left: the scatter and the figures.
  chScatter_ = new ScatterPlot(this);
  auto* figures = new QGroupBox("Figures", this);
  figures_ = figures;
  auto* form = new QFormLayout(figures);
  lbStatFixes_ = Figure("lbStatFixes", figures);
  lbStatMean_ = Figure("lbStatMean", figures);
  lbStatReference_ = Figure("lbStatReference", figures);
  lbCep50_ = Figure("lbCep50", figures);
  lbCep95_ = Figure("lbCep95", figures);
  lb2Drms_ = Figure("lb2Drms", figures);
  lbHorizontalRms_ = Figure("lbHorizontalRms", figures);
  lbVerticalRms_ = Figure("lbVerticalRms", figures);
  lbMaxError_ = Figure("lbMaxError", figures);
  // Beside the figures: where the percentiles come from once they are read from bins.
  lbStatNote_ = new QLabel(figures);
  lbStatNote_->setObjectName("lbStatNote");
  lbStatNote_->setWordWrap(true);
  lbStatNote_->setVisible(false);
  form->addRow("Fixes", lbStatFixes_);
  form->addRow("Mean", lbStatMean_);
  form->addRow("Reference", lbStatReference_);
  form->addRow("CEP50", lbCep50_);
  form->addRow("CEP95", lbCep95_);
  form->addRow("2DRMS", lb2Drms_);
  form->addRow("Horizontal RMS", lbHorizontalRms_);
  form->addRow("Vertical RMS (3D)", lbVerticalRms_);
  form->addRow("Largest horizontal", lbMaxError_);
  form->addRow(lbStatNote_);
  auto* left = new QVBoxLayout;
  left->addWidget(chScatter_, 1);
  left->addWidget(figures);
  left->addWidget(MakeComparisonBox());

  // Right: the plots over time and the satellites for the C/N0 plot.
  chErrors_ = new TimePlot("m", this);
  chErrors_->setObjectName("chErrors");
  chDop_ = new TimePlot("", this);
  chDop_->setObjectName("chDop");
  chCn0History_ = new TimePlot("dB-Hz", this);
  chCn0History_->setObjectName("chCn0History");
  lsCn0Satellites_ = new QListWidget(this);
  lsCn0Satellites_->setObjectName("lsCn0Satellites");
  lsCn0Satellites_->setToolTip("The satellites whose C/N0 is plotted");
  lsCn0Satellites_->setMaximumWidth(fontMetrics().horizontalAdvance("PRN 000") + 48);
  connect(lsCn0Satellites_, &QListWidget::itemChanged, this, [this] {
    dirty_ = true;
    Refresh();
  });
  ShowCheckBoxesOnThePalette();
  auto* cn0Row = new QHBoxLayout;
  cn0Row->addWidget(chCn0History_, 1);
  cn0Row->addWidget(lsCn0Satellites_);
  auto* right = new QVBoxLayout;
  right->addWidget(chErrors_, 1);
  right->addWidget(chDop_, 1);
  right->addLayout(cn0Row, 1);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 4);
  columns->addLayout(right, 5);
  // The second receiver, and the health of both lines while comparing.
  auto* secondRow = new QHBoxLayout;
  secondRow->addWidget(new QLabel("Compare with", this));
  edSecondReceiver_ = new QLineEdit(this);
  edSecondReceiver_->setObjectName("edSecondReceiver");
  edSecondReceiver_->setPlaceholderText(
      "a second receiver: serial port (read only) or host:port (gpsd, NMEA over TCP)");
  secondRow->addWidget(edSecondReceiver_, 1);
  cbReferenceBaud_ = new QComboBox(this);
  cbReferenceBaud_->setObjectName("cbReferenceBaud");
  cbReferenceBaud_->setToolTip("The second receiver's line rate (a serial port)");
  for (int baud : kBaudRates) cbReferenceBaud_->addItem(QString::number(baud), baud);
  cbReferenceBaud_->setCurrentIndex(kStartBaudIndex);
  secondRow->addWidget(cbReferenceBaud_);
  btCompare_ = new QPushButton("Compare", this);
  btCompare_->setObjectName("btCompare");
  secondRow->addWidget(btCompare_);
  connect(btCompare_, &QPushButton::clicked, this, &StatisticsWindow::CompareClick);
  connect(edSecondReceiver_, &QLineEdit::returnPressed, this, [this] {
    if (!comparing()) CompareClick();
  });
  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName("sbStatistics");
  statusBar_->setSizeGripEnabled(false);
  statusBar_->addPermanentWidget(new QLabel("This receiver:", statusBar_));
  moduleHealth_ = new HealthStatus(statusBar_, SystemClock::instance(), "sbModuleHealth");
  statusBar_->addPermanentWidget(new QLabel("Second receiver:", statusBar_));
  referenceHealth_ = new HealthStatus(statusBar_, SystemClock::instance(), "sbReferenceHealth");

  auto* whole = new QVBoxLayout(this);
  whole->addLayout(referenceRow);
  whole->addLayout(secondRow);
  whole->addLayout(columns, 1);
  whole->addWidget(statusBar_);

  refreshTimer_ = new QTimer(this);
  refreshTimer_->setInterval(kRefreshMs);
  connect(refreshTimer_, &QTimer::timeout, this, [this] {
    if (dirty_ && isVisible()) Refresh();
  });
  refreshTimer_->start();
  resize(980, 640);
  Refresh();
}

StatisticsWindow::~StatisticsWindow() { StopComparing(); }

void StatisticsWindow::ShowPass(const PassValue& pass) {
  if (comparing()) {
    moduleHealth_->ShowHealth(pass.health);
    for (const Epoch& epoch : pass.epochs) comparison_->AddTest(epoch);
    if (!pass.epochs.empty()) dirty_ = true;
  }
  for (const Epoch& epoch : pass.epochs) {
    std::optional<PlotPoint> point = PlotPointOf(epoch);
    if (!point) continue;
    model_.Add(point->fix);
    csv_.Add(point->fix);
    for (const SatelliteCn0& satellite : point->cn0) prnsSeen_.insert(satellite.prn);
    history_.Add(std::move(*point));
    dirty_ = true;
  }
}

// Fusion outlines a check box in the window colour made darker, which on a dark palette is the
// list's own dark base: an unchecked PRN would show no box. There the list's window colour is
// taken from the disabled text, so that the outline stands out.
void StatisticsWindow::ShowCheckBoxesOnThePalette() {
  const QPalette& inherited = palette();
  const QColor base = inherited.color(QPalette::Base);
  const QColor outline = inherited.color(QPalette::Window).darker(140).lighter(110);
  QPalette list = inherited;
  if (std::abs(outline.lightness() - base.lightness()) < 48) {
    list.setColor(QPalette::Window, inherited.color(QPalette::Disabled, QPalette::WindowText));
  }
  lsCn0Satellites_->setPalette(list);
}

void StatisticsWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
    ShowCheckBoxesOnThePalette();
  }
}

void StatisticsWindow::closeEvent(QCloseEvent* event) {
  // A closed window reads no second receiver: its port is free for others again.
  StopComparing();
  QWidget::closeEvent(event);
}

void StatisticsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void StatisticsWindow::Refresh() {
  dirty_ = false;
  model_.SetReference(reference_);
  statistics_ = model_.Compute();
  const PositionStatistics& s = statistics_;

  SetText(lbStatFixes_, QString("%1 (2D %2, 3D %3, 3D+ %4)")
                            .arg(s.fixes)
                            .arg(s.fixes2d)
                            .arg(s.fixes3d)
                            .arg(s.fixes3dPlus));
  SetText(lbStatMean_, s.fixes > 0 ? PositionText(s.mean, s.heightKnown) : QString("-"));
  SetText(lbStatReference_, s.fixes == 0 ? QString("-")
                            : s.referenceGiven
                                ? PositionText(s.reference, s.heightKnown || s.referenceHeightGiven)
                                : QString("the mean"));
  SetText(lbCep50_, MetresText(s.cep50M));
  SetText(lbCep95_, MetresText(s.cep95M));
  SetText(lb2Drms_, MetresText(s.twoDrmsM));
  SetText(lbHorizontalRms_, MetresText(s.horizontalRmsM));
  SetText(lbVerticalRms_, MetresText(s.verticalRmsM));
  SetText(lbMaxError_, MetresText(s.maxHorizontalErrorM));
  const std::string note = PercentileNote(s);
  SetText(lbStatNote_, note);
  lbStatNote_->setVisible(!note.empty());

  // Offsets only for the points drawn: the scatter's, of which the time plots take every few.
  const std::vector<size_t> shown =
      s.fixes > 0 ? Thinned(history_.size(), kMostScatterPoints) : std::vector<size_t>{};
  std::vector<EnuOffset> offsets;
  offsets.reserve(shown.size());
  for (size_t i : shown) offsets.push_back(OffsetFrom(s.reference, history_[i].fix));
  std::vector<QPointF> points;
  points.reserve(offsets.size());
  for (const EnuOffset& o : offsets) points.emplace_back(o.eastM, o.northM);
  std::vector<ScatterPlot::Circle> circles;
  auto circle = [&circles](const char* name, const std::optional<double>& radius, size_t colour) {
    if (radius) {
      circles.push_back({*radius,
                         QString("%1 %2").arg(name, QString::fromStdString(MetresText(radius))),
                         SeriesColour(colour)});
    }
  };
  circle("CEP50", s.cep50M, 2);
  circle("CEP95", s.cep95M, 1);
  circle("2DRMS", s.twoDrmsM, 3);
  chScatter_->SetData(std::move(points), std::move(circles));

  UpdatePrnList();
  UpdatePlots(shown, offsets);
  RefreshComparison();
}

void StatisticsWindow::UpdatePrnList() {
  if (lsCn0Satellites_->count() == static_cast<int>(prnsSeen_.size())) return;
  QSignalBlocker block(lsCn0Satellites_);
  std::set<int> checked;
  for (int i = 0; i < lsCn0Satellites_->count(); ++i) {
    const QListWidgetItem* item = lsCn0Satellites_->item(i);
    if (item->checkState() == Qt::Checked) checked.insert(item->data(Qt::UserRole).toInt());
  }
  const bool first = lsCn0Satellites_->count() == 0;
  lsCn0Satellites_->clear();
  int picked = 0;
  for (int prn : prnsSeen_) {
    auto* item = new QListWidgetItem(QString("PRN %1").arg(prn), lsCn0Satellites_);
    item->setData(Qt::UserRole, prn);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool on = first ? picked++ < kPrnsPickedAtFirst : checked.count(prn) > 0;
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
}

void StatisticsWindow::UpdatePlots(const std::vector<size_t>& shown,
                                   const std::vector<EnuOffset>& offsets) {
  const double start = history_.size() == 0 ? 0 : history_[0].seconds;
  const double nan = std::nan("");
  // Every few of the scatter's points.
  const std::vector<size_t> picks = Thinned(shown.size(), kMostPlotPoints);

  TimePlot::Series horizontal{"horizontal", SeriesColour(0), {}};
  TimePlot::Series vertical{"vertical (3D)", SeriesColour(1), {}};
  TimePlot::Series hdop{"HDOP", SeriesColour(2), {}};
  TimePlot::Series used{"satellites used", SeriesColour(4), {}};
  for (size_t k : picks) {
    const PlotPoint& point = history_[shown[k]];
    const double at = point.seconds - start;
    const EnuOffset& o = offsets[k];
    horizontal.points.emplace_back(at, std::hypot(o.eastM, o.northM));
    vertical.points.emplace_back(at, point.fix.threeD() ? o.upM : nan);
    hdop.points.emplace_back(at, point.fix.hdop);
    used.points.emplace_back(at, point.fix.satellitesUsed >= 0 ? point.fix.satellitesUsed : nan);
  }
  chErrors_->SetSeries({std::move(horizontal), std::move(vertical)});
  chDop_->SetSeries({std::move(hdop), std::move(used)});

  std::vector<TimePlot::Series> cn0;
  const std::vector<size_t> all = Thinned(history_.size(), kMostPlotPoints);
  for (int i = 0; i < lsCn0Satellites_->count(); ++i) {
    const QListWidgetItem* item = lsCn0Satellites_->item(i);
    if (item->checkState() != Qt::Checked) continue;
    const int prn = item->data(Qt::UserRole).toInt();
    TimePlot::Series series{QString("PRN %1").arg(prn), SeriesColour(cn0.size()), {}};
    for (size_t k : all) {
      const PlotPoint& point = history_[k];
      double value = nan;
      for (const SatelliteCn0& satellite : point.cn0) {
        if (satellite.prn == prn && satellite.cn0DbHz > 0) value = satellite.cn0DbHz;
      }
      series.points.emplace_back(point.seconds - start, value);
    }
    cn0.push_back(std::move(series));
  }
  chCn0History_->SetSeries(std::move(cn0));
}

void StatisticsWindow::ResetClick() {
  // The fixes of a long static test are gone for good: the user confirms with their number.
  Refresh();
  if (statistics_.fixes > 0 && !messages_.Ask(ResetQuestion(statistics_.fixes), kResetTitle)) {
    return;
  }
  model_.Clear();
  history_.Clear();
  if (comparison_) comparison_ = comparing() ? std::make_unique<LiveComparison>() : nullptr;
  csv_.Clear();
  prnsSeen_.clear();
  lsCn0Satellites_->clear();
  Refresh();
}

void StatisticsWindow::TakeMeanClick() {
  if (statistics_.fixes == 0) Refresh();
  if (statistics_.fixes == 0) return;
  const GeodeticDeg mean = statistics_.mean;
  reference_ = ReferencePosition{mean.latitudeDeg, mean.longitudeDeg, mean.heightM};
  edReference_->setText(QString("%1,%2,%3")
                            .arg(mean.latitudeDeg, 0, 'f', 9)
                            .arg(mean.longitudeDeg, 0, 'f', 9)
                            .arg(mean.heightM, 0, 'f', 3));
  Refresh();
}

void StatisticsWindow::UseReferenceClick() {
  const QString text = edReference_->text().trimmed();
  if (text.isEmpty()) {
    reference_.reset();
  } else if (auto reference = ParseReference(text.toStdString())) {
    reference_ = *reference;
  } else {
    messages_.Show(kReferenceHelp, kStatisticsTitle);
    edReference_->setFocus();
    return;
  }
  Refresh();
}

void StatisticsWindow::ExportClick() {
  Refresh();
  const QString suggested = QString(comparison_ ? "comparison-%1.csv" : "statistics-%1.csv")
                                .arg(QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss"));
  const QString path =
      chooseCsv_ ? chooseCsv_(suggested)
                 : QFileDialog::getSaveFileName(this, "Export CSV", suggested, "CSV (*.csv)");
  if (path.isEmpty()) return;
  std::string error;
  const bool written = comparison_ ? comparison_->Export(path.toStdString(), error)
                                   : csv_.Export(path.toStdString(), statistics_.reference, error);
  if (!written) {
    messages_.Show("Cannot write " + path.toStdString() + (error.empty() ? "" : ": " + error),
                   kErrorTitle);
  }
}

// --- The second receiver --------------------------------------------------------------------

QGroupBox* StatisticsWindow::MakeComparisonBox() {
  comparisonBox_ = new QGroupBox("Comparison: this receiver minus the second receiver", this);
  comparisonBox_->setObjectName("gbComparison");
  auto* form = new QFormLayout(comparisonBox_);
  lbCompareState_ = new QLabel(comparisonBox_);
  lbCompareState_->setObjectName("lbCompareState");
  lbCompareState_->setWordWrap(true);
  lbCompared_ = Figure("lbCompared", comparisonBox_);
  lbAvailability_ = Figure("lbAvailability", comparisonBox_);
  lbCompareCep_ = Figure("lbCompareCep", comparisonBox_);
  lbCompareHorizontal_ = Figure("lbCompareHorizontal", comparisonBox_);
  lbCompareVertical_ = Figure("lbCompareVertical", comparisonBox_);
  form->addRow(lbCompareState_);
  form->addRow("Compared", lbCompared_);
  form->addRow("Availability", lbAvailability_);
  form->addRow("CEP50 / CEP95", lbCompareCep_);
  form->addRow("Horizontal", lbCompareHorizontal_);
  form->addRow("Vertical (3D)", lbCompareVertical_);
  comparisonBox_->setVisible(false);
  return comparisonBox_;
}

void StatisticsWindow::CompareClick() {
  if (comparing()) {
    StopComparing();
  } else {
    CompareWith(edSecondReceiver_->text(), cbReferenceBaud_->currentData().toInt());
  }
}

bool StatisticsWindow::CompareWith(const QString& text, int baud) {
  StopComparing();
  std::string error;
  std::optional<ReferenceSource> source = ParseReferenceSource(text.toStdString(), baud, error);
  if (!source) {
    messages_.Show(error, kStatisticsTitle);
    edSecondReceiver_->setFocus();
    return false;
  }
  if (!source->tcp() && resolvePort_) source->device = resolvePort_(source->device);
  edSecondReceiver_->setText(text.trimmed());
  comparison_ = std::make_unique<LiveComparison>();
  moduleHealth_->ShowHealth({});
  referenceHealth_->ShowHealth({});
  referenceHandOff_ = std::make_unique<WindowHandOff>(this);
  // The reader waits while the window thread takes its update: nothing is shared.
  referenceReceiver_ = std::make_unique<ReferenceReceiver>(
      *source, [this, handOff = referenceHandOff_->function()](ReferenceUpdate update) {
        handOff([&] { ShowReference(update); });
      });
  referenceReceiver_->Start();
  SetText(lbCompareState_,
          QString("Comparing with %1").arg(QString::fromStdString(source->name())));
  btCompare_->setText("Stop comparing");
  edSecondReceiver_->setEnabled(false);
  cbReferenceBaud_->setEnabled(false);
  for (HealthStatus* health : {moduleHealth_, referenceHealth_}) {
    health->PortOpened();
    health->SetMonitoring(true);
  }
  dirty_ = true;
  Refresh();
  return true;
}

void StatisticsWindow::StopComparing() {
  if (!referenceReceiver_) return;
  referenceHandOff_->Shutdown();  // before the join: a reader waiting on the window is let go
  referenceReceiver_->Stop();
  referenceReceiver_.reset();
  referenceHandOff_.reset();
  comparison_->Finish();
  btCompare_->setText("Compare");
  edSecondReceiver_->setEnabled(true);
  cbReferenceBaud_->setEnabled(true);
  moduleHealth_->PortClosed();
  referenceHealth_->PortClosed();
  if (lbCompareState_->text().startsWith("Comparing with")) {
    SetText(lbCompareState_, lbCompareState_->text().replace("Comparing with", "Compared with"));
  }
  dirty_ = true;
}

void StatisticsWindow::ShowReference(const ReferenceUpdate& update) {
  if (!comparison_) return;
  referenceHealth_->ShowHealth(update.health);
  for (const Epoch& epoch : update.epochs) comparison_->AddReference(epoch);
  if (!update.epochs.empty()) dirty_ = true;
  if (update.ended) {
    // The reader has ended by itself: the window says why and frees the controls.
    const QString failure = QString::fromStdString(update.failure);
    QTimer::singleShot(0, this, [this, failure, ended = referenceReceiver_.get()] {
      if (referenceReceiver_.get() != ended) return;  // stopped, or another started, meanwhile
      StopComparing();
      SetText(lbCompareState_, failure);
    });
  }
}

void StatisticsWindow::RefreshComparison() {
  comparisonBox_->setVisible(comparison_ != nullptr);
  statusBar_->setVisible(comparing());  // the lines' health while they are read
  figures_->setVisible(comparison_ == nullptr);
  if (!comparison_) return;
  const CompareFigures f = comparison_->Figures();
  SetText(lbCompared_, QString("%1 of %2 epochs (%3 without a reference; reference %4 epochs)")
                           .arg(f.compared)
                           .arg(f.testEpochs)
                           .arg(f.unmatched)
                           .arg(f.referenceEpochs));
  SetText(lbAvailability_,
          f.availability ? QString("%1 %").arg(*f.availability * 100, 0, 'f', 2) : QString("-"));
  auto metres = [](double m) { return QString::fromStdString(MetresText(m)); };
  if (f.horizontal) {
    SetText(lbCompareCep_, metres(f.horizontal->cep50M) + " / " + metres(f.horizontal->cep95M));
    SetText(lbCompareHorizontal_, QString("mean %1, RMS %2, largest %3")
                                      .arg(metres(f.horizontal->meanM), metres(f.horizontal->rmsM),
                                           metres(f.horizontal->maxM)));
  } else {
    SetText(lbCompareCep_, QString("-"));
    SetText(lbCompareHorizontal_, QString("-"));
  }
  SetText(lbCompareVertical_,
          f.vertical
              ? QString("mean %1, RMS %2").arg(metres(f.vertical->meanM), metres(f.vertical->rmsM))
              : QString("-"));

  // The scatter and the error plot show the errors from the second receiver.
  const std::vector<ComparedPoint>& all = comparison_->points();
  std::vector<QPointF> points;
  for (size_t i : Thinned(all.size(), kMostScatterPoints)) {
    points.emplace_back(all[i].eastM, all[i].northM);
  }
  std::vector<ScatterPlot::Circle> circles;
  if (f.horizontal) {
    circles.push_back(
        {f.horizontal->cep50M, "CEP50 " + metres(f.horizontal->cep50M), SeriesColour(2)});
    circles.push_back(
        {f.horizontal->cep95M, "CEP95 " + metres(f.horizontal->cep95M), SeriesColour(1)});
  }
  chScatter_->SetData(std::move(points), std::move(circles));
  TimePlot::Series horizontal{"horizontal error", SeriesColour(0), {}};
  TimePlot::Series vertical{"vertical error (3D)", SeriesColour(1), {}};
  const double start = all.empty() ? 0 : all.front().timeS;
  for (size_t i : Thinned(all.size(), kMostPlotPoints)) {
    const ComparedPoint& p = all[i];
    horizontal.points.emplace_back(p.timeS - start, std::hypot(p.eastM, p.northM));
    vertical.points.emplace_back(p.timeS - start, p.upM);
  }
  chErrors_->SetSeries({std::move(horizontal), std::move(vertical)});
}

}  // namespace vetra::ui
