#include "ui/view_page.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/cn0_chart.h"
#include "ui/command_area.h"
#include "ui/echo_view.h"
#include "ui/readout_label.h"
#include "ui/sky_view.h"
#include "ui/texts.h"

namespace vetra::ui {
namespace {

constexpr const char* kGridHeadings[] = {"CHANNEL", "PRN", "STATUS", "PR", "DR",
                                         "DOPPLER", "CN0", "ELV",    "AZ", "HEALTH"};
constexpr int kGridColumns = 10;
constexpr int kSignalBoxPosition = 3;  // in the instrument column: after the sky view
static_assert(std::size(kGridHeadings) == kGridColumns);
// Column widths in characters of the fixed font: the numbers never change the layout.
constexpr int kGridColumnChars[kGridColumns] = {8, 4, 6, 11, 9, 8, 4, 4, 4, 20};

QFont FixedFont() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

// The form's captions ("                Latitude", "kmh   ") carry blanks that only aligned them
// in a fixed layout; here the layout aligns them, so they are shown without the blanks.
QLabel* Caption(const char* text, QWidget* parent) {
  auto* label = new QLabel(QString(text).trimmed(), parent);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

// A read-out: fixed font, right-aligned, wide enough for its longest value and its unit.
ReadoutLabel* Readout(const char* name, int chars, QWidget* parent, const QString& unit = {}) {
  auto* label = new ReadoutLabel(parent);
  label->setObjectName(name);
  label->setFont(FixedFont());
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setFrameShape(QFrame::StyledPanel);
  label->setFrameShadow(QFrame::Sunken);
  label->SetUnit(unit);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString(chars, '0')) + 8 +
                         label->unitWidth());
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QLineEdit* HiddenEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setReadOnly(true);
  edit->setFont(FixedFont());
  edit->setAlignment(Qt::AlignRight);
  edit->setVisible(false);
  return edit;
}

}  // namespace

ViewPage::ViewPage(ViewPageHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName("tsView");

  auto* instrument = new QWidget(this);
  BuildInstrument(instrument);

  // Expanded, the right-hand side holds the command area and, below it, the satellite table
  // beside the echo (the user may move the line between them).
  expandedArea_ = new QWidget(this);
  expandedLayout_ = new QVBoxLayout(expandedArea_);
  expandedLayout_->setContentsMargins(0, 0, 0, 0);
  commands_ = new CommandArea(host_, expandedArea_);
  auto* lower = new QSplitter(Qt::Horizontal, expandedArea_);
  lower->setObjectName("spSatsEcho");
  lower->setChildrenCollapsible(false);
  BuildSatelliteTable();
  sgSats_->setParent(lower);
  echo_ = new EchoView(lower);
  lower->addWidget(sgSats_);
  lower->addWidget(echo_);
  lower->setStretchFactor(0, 0);
  lower->setStretchFactor(1, 1);
  expandedLayout_->addWidget(commands_, 3);
  expandedLayout_->addWidget(lower, 4);

  BuildGrid();

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(instrument, 0, 0);
  layout->addWidget(expandedArea_, 0, 1);
  layout->addWidget(sgMeas_, 1, 0, 1, 2);
  // Expanded, the instrument column keeps about the compact window's width.
  layout->setColumnStretch(0, 2);
  layout->setColumnStretch(1, 3);
  layout->setRowStretch(0, 1);

  SetExpanded(false);
  SetClockVisible(false);
  SizeGridForChip(false);
}

ViewPage::~ViewPage() = default;

void ViewPage::BuildInstrument(QWidget* area) {
  lbTime_ = new QLabel(area);
  lbTime_->setObjectName("lbTime");
  lbTime_->setFont(FixedFont());
  lbTime_->setMinimumWidth(lbTime_->fontMetrics().horizontalAdvance("00:00:00 UTC") + 4);
  lbFix_ = new QLabel(area);
  lbFix_->setObjectName("lbFix");
  QFont fixFont = font();
  fixFont.setBold(true);
  fixFont.setPointSizeF(fixFont.pointSizeF() * 1.6);
  lbFix_->setFont(fixFont);
  lbFix_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  lbLat_ = Readout("lbLat", 14, area);
  lbLong_ = Readout("lbLong", 14, area);
  lbLat_->setToolTip("Double-click: next coordinate format");
  lbLong_->setToolTip("Double-click: next coordinate format");
  lbHigh_ = Readout("lbHigh", 6, area, "m");
  lpdop_ = Readout("lpdop", 4, area);
  lhdop_ = Readout("lhdop", 4, area);
  lvisible_ = Readout("lvisible", 3, area);
  lbFixNo_ = Readout("lbFixNo", 3, area);
  leSpeed_ = Readout("leSpeed", 5, area);
  leDir_ = Readout("leDir", 5, area, "°");
  lbClkOff_ = Readout("lbClkOff", 5, area);
  lbClkOffCaption_ = Caption("CLOCK", area);
  edMeasUTC_ = HiddenEdit("edMeasUTC", area);
  edCB_ = HiddenEdit("edCB", area);
  edTB_ = HiddenEdit("edTB", area);
  edFB_ = HiddenEdit("edFB", area);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(2);
  grid->addWidget(Caption("                Latitude", area), 0, 0);
  grid->addWidget(lbLat_, 0, 1, 1, 3);
  grid->addWidget(Caption("             Longitude", area), 1, 0);
  grid->addWidget(lbLong_, 1, 1, 1, 3);
  grid->addWidget(Caption("                 Altitude", area), 2, 0);
  grid->addWidget(lbHigh_, 2, 1);
  grid->addWidget(lbClkOffCaption_, 2, 2);
  grid->addWidget(lbClkOff_, 2, 3);
  grid->addWidget(Caption("PDOP", area), 3, 0);
  grid->addWidget(lpdop_, 3, 1);
  grid->addWidget(Caption("HDOP", area), 3, 2);
  grid->addWidget(lhdop_, 3, 3);
  grid->addWidget(Caption("SAT", area), 4, 0);
  grid->addWidget(lvisible_, 4, 1);
  grid->addWidget(Caption("FIX", area), 4, 2);
  grid->addWidget(lbFixNo_, 4, 3);
  // "kmh" stands right after the speed, as the speed's unit; the heading beside it has its
  // degrees inside its frame.
  grid->addWidget(Caption("SPEED", area), 5, 0);
  grid->addWidget(leSpeed_, 5, 1);
  QLabel* speedUnit = Caption("kmh   ", area);
  speedUnit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grid->addWidget(speedUnit, 5, 2);
  grid->addWidget(leDir_, 5, 3);
  // The clock solution: kept hidden; the receiver's reports show it.
  const std::pair<const char*, QLineEdit*> clockFields[] = {
      {"UTC", edMeasUTC_}, {"CB", edCB_}, {"TB", edTB_}, {"FB", edFB_}};
  int row = 6;
  for (const auto& [text, edit] : clockFields) {
    QLabel* caption = Caption(text, area);
    caption->setVisible(false);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1, 1, 3);
    ++row;
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  chSat_ = new SkyView(area);
  chCn0_ = new Cn0Chart(area);
  lbBigSNR_ = new QLabel(area);
  lbBigSNR_->setObjectName("lbBigSNR");
  QFont bigFont = FixedFont();
  bigFont.setBold(true);
  bigFont.setPointSizeF(bigFont.pointSizeF() * 2.2);
  lbBigSNR_->setFont(bigFont);
  lbBigSNR_->setAlignment(Qt::AlignCenter);
  lbBigSNR_->setMinimumWidth(QFontMetrics(bigFont).horizontalAdvance("00") + 6);
  // The big figure says what it is: the strongest C/N0 of the satellites in view, in dB-Hz.
  bigSnrBox_ = new QWidget(area);
  auto* bigSnrCaption = new QLabel("Best C/N0", bigSnrBox_);
  bigSnrCaption->setObjectName("lbBigSNRCaption");
  auto* bigSnrUnit = new QLabel("dB-Hz", bigSnrBox_);
  lbBigSNR_->setParent(bigSnrBox_);
  auto* bigSnrColumn = new QVBoxLayout(bigSnrBox_);
  bigSnrColumn->setContentsMargins(0, 0, 0, 0);
  bigSnrColumn->setSpacing(0);
  bigSnrColumn->addStretch();
  for (QLabel* label : {bigSnrCaption, lbBigSNR_, bigSnrUnit}) {
    label->setAlignment(Qt::AlignCenter);
    bigSnrColumn->addWidget(label);
  }
  bigSnrColumn->addStretch();
  SetBigSnrVisible(false);

  btLog_ = new QPushButton(kLogCaption, area);
  btLog_->setObjectName("btLog");
  btLarge_ = new QPushButton("Larger", area);
  btLarge_->setObjectName("btLarge");
  btSmall_ = new QPushButton("Smaller", area);
  btSmall_->setObjectName("btSmall");

  auto* header = new QHBoxLayout;
  header->addWidget(lbTime_);
  header->addWidget(lbFix_, 1);
  signalBox_ = new QWidget(area);
  auto* signalRow = new QHBoxLayout(signalBox_);
  signalRow->setContentsMargins(0, 0, 0, 0);
  signalRow->addWidget(chCn0_, 1);
  signalRow->addWidget(bigSnrBox_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btLog_);
  buttons->addStretch();
  buttons->addWidget(btLarge_);
  buttons->addWidget(btSmall_);

  instrumentLayout_ = new QVBoxLayout(area);
  instrumentLayout_->setContentsMargins(0, 0, 0, 0);
  instrumentLayout_->setSpacing(4);
  instrumentLayout_->addLayout(header);
  instrumentLayout_->addLayout(grid);
  instrumentLayout_->addWidget(chSat_, 3);
  instrumentLayout_->addWidget(signalBox_, 1);
  instrumentLayout_->addLayout(buttons);

  connect(lbLat_, &ClickLabel::doubleClicked, this, [this] { NextCoordinateFormat(); });
  connect(lbLong_, &ClickLabel::doubleClicked, this, [this] { NextCoordinateFormat(); });
  connect(chCn0_, &Cn0Chart::doubleClicked, this,
          [this] { host_.conversation().ToggleChannelCount(host_.secondChip()); });
  connect(btLog_, &QPushButton::clicked, this, &ViewPage::LogClick);
  connect(btLarge_, &QPushButton::clicked, this, &ViewPage::sizeToggleRequested);
  connect(btSmall_, &QPushButton::clicked, this, &ViewPage::sizeToggleRequested);
}

void ViewPage::BuildGrid() {
  sgMeas_ = new QTableWidget(this);
  sgMeas_->setObjectName("sgMeas");
  sgMeas_->setColumnCount(kGridColumns);
  sgMeas_->horizontalHeader()->setVisible(false);
  sgMeas_->verticalHeader()->setVisible(false);
  sgMeas_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgMeas_->setSelectionMode(QAbstractItemView::NoSelection);
  sgMeas_->setFocusPolicy(Qt::NoFocus);
  sgMeas_->setFont(FixedFont());
  sgMeas_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgMeas_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  sgMeas_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  const int charWidth = sgMeas_->fontMetrics().horizontalAdvance('0');
  for (int c = 0; c < kGridColumns; ++c) {
    sgMeas_->setColumnWidth(c, kGridColumnChars[c] * charWidth + 10);
  }
  sgMeas_->horizontalHeader()->setStretchLastSection(true);
  const int rowHeight = sgMeas_->fontMetrics().height() + 3;
  sgMeas_->verticalHeader()->setMinimumSectionSize(rowHeight);
  sgMeas_->verticalHeader()->setDefaultSectionSize(rowHeight);
}

// sgSats: one row per satellite in view, the same satellites as the sky view and the C/N0 chart.
void ViewPage::BuildSatelliteTable() {
  sgSats_ = new QTableWidget(0, static_cast<int>(std::size(kSatelliteHeadings)), this);
  sgSats_->setObjectName("sgSats");
  QStringList headings;
  for (const char* heading : kSatelliteHeadings) headings << QString::fromUtf8(heading);
  sgSats_->setHorizontalHeaderLabels(headings);
  sgSats_->verticalHeader()->setVisible(false);
  sgSats_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgSats_->setSelectionMode(QAbstractItemView::NoSelection);
  sgSats_->setFont(FixedFont());
  sgSats_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int charWidth = sgSats_->fontMetrics().horizontalAdvance('0');
  int width = 2 * sgSats_->frameWidth() + sgSats_->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < sgSats_->columnCount(); ++c) {
    const int columnWidth = 5 * charWidth + 10;
    sgSats_->setColumnWidth(c, columnWidth);
    width += columnWidth;
  }
  sgSats_->setMinimumWidth(width);
  sgSats_->setMaximumWidth(width);
  const int rowHeight = sgSats_->fontMetrics().height() + 3;
  sgSats_->verticalHeader()->setMinimumSectionSize(rowHeight);
  sgSats_->verticalHeader()->setDefaultSectionSize(rowHeight);
}

void ViewPage::ShowSatellites(const std::vector<SatelliteRow>& rows) {
  const int count = static_cast<int>(rows.size());
  if (sgSats_->rowCount() != count) sgSats_->setRowCount(count);
  for (int r = 0; r < count; ++r) {
    const std::string* cells[] = {&rows[r].prn, &rows[r].elevation, &rows[r].azimuth, &rows[r].cn0,
                                  &rows[r].used};
    for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) {
      const QString text = QString::fromStdString(*cells[c]);
      QTableWidgetItem* item = sgSats_->item(r, c);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        item->setTextAlignment((c == 4 ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter);
        sgSats_->setItem(r, c, item);
      }
      if (item->text() != text) item->setText(text);
    }
  }
}

void ViewPage::SizeGridForChip(bool secondChip) {
  // Row 0 holds the headings and column 0 the row numbers, as fixed cells.
  const int rows = secondChip ? 17 : 13;
  sgMeas_->setRowCount(rows);
  QFont headingFont = sgMeas_->font();
  headingFont.setBold(true);
  auto fixedItem = [&](const QString& text, Qt::Alignment alignment) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setFont(headingFont);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
  };
  for (int c = 0; c < kGridColumns; ++c) {
    sgMeas_->setItem(0, c, fixedItem(kGridHeadings[c], Qt::AlignHCenter));
  }
  for (int r = 1; r < rows; ++r) {
    sgMeas_->setItem(r, 0, fixedItem(QString::number(r), Qt::AlignRight));
    for (int c = 1; c < kGridColumns; ++c) {
      if (sgMeas_->item(r, c) != nullptr) continue;
      auto* item = new QTableWidgetItem;
      item->setFlags(Qt::ItemIsEnabled);
      item->setTextAlignment((c == kGridColumns - 1 ? Qt::AlignLeft : Qt::AlignRight) |
                             Qt::AlignVCenter);
      sgMeas_->setItem(r, c, item);
    }
  }
  ShadeFixedCells();
  // Every row shows where the window has room (the rows' real heights: the style may keep them
  // above the default); where it has not (a laptop screen, 200 %), the grid keeps its headings
  // and a channel in sight and scrolls, rather than pushing the window off the screen.
  int height = 2 * sgMeas_->frameWidth();
  for (int r = 0; r < rows; ++r) height += sgMeas_->rowHeight(r);
  sgMeas_->setMaximumHeight(height);
  sgMeas_->setMinimumHeight(2 * sgMeas_->frameWidth() + 2 * sgMeas_->rowHeight(0));
}

// The headings and row numbers in the palette's button colours, as a header is drawn; again when
// the palette changes.
void ViewPage::ShadeFixedCells() {
  const QBrush background = palette().brush(QPalette::Button);
  const QBrush text = palette().brush(QPalette::ButtonText);
  for (int r = 0; r < sgMeas_->rowCount(); ++r) {
    for (int c = 0; c < (r == 0 ? kGridColumns : 1); ++c) {
      if (QTableWidgetItem* item = sgMeas_->item(r, c)) {
        item->setBackground(background);
        item->setForeground(text);
      }
    }
  }
}

void ViewPage::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) ShadeFixedCells();
}

void ViewPage::ShowSizeButtons(bool larger, bool smaller) {
  btLarge_->setVisible(larger);
  btSmall_->setVisible(smaller);
}

// The grid is shown with binary data (like lbClkOff) and lies in the expanded part of the page.
//
// Compact, the C/N0 chart sits under the sky view; expanded, it moves to the top of the wider
// right-hand side, where its bars have room and the sky view takes the left column's height.
void ViewPage::SetExpanded(bool expanded) {
  if (expanded != expanded_) {
    if (expanded) {
      instrumentLayout_->removeWidget(signalBox_);
      expandedLayout_->insertWidget(0, signalBox_, 2);
    } else {
      expandedLayout_->removeWidget(signalBox_);
      instrumentLayout_->insertWidget(kSignalBoxPosition, signalBox_, 1);
    }
  }
  expanded_ = expanded;
  expandedArea_->setVisible(expanded);
  // Compact, the empty second column takes no width: a wider window widens the charts.
  static_cast<QGridLayout*>(layout())->setColumnStretch(1, expanded ? 3 : 0);
  sgMeas_->setVisible(expanded_ && measurementShown_);
}

void ViewPage::SetClockVisible(bool visible) {
  measurementShown_ = visible;
  lbClkOff_->setVisible(visible);
  lbClkOffCaption_->setVisible(visible);
  sgMeas_->setVisible(expanded_ && measurementShown_);
}

void ViewPage::SetBigSnrVisible(bool visible) {
  bigSnrBox_->setVisible(visible);
  lbBigSNR_->setVisible(visible);
}

void ViewPage::NarrowSentenceField() { commands_->NarrowSentenceField(); }

}  // namespace vetra::ui
