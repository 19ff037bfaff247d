#include "ui/trace_page.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/ttff_panel.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

QLabel* StatusField(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setFrameShape(QFrame::StyledPanel);
  label->setFrameShadow(QFrame::Sunken);
  return label;
}

QLineEdit* NumberEdit(const char* name, const char* text, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  edit->setAlignment(Qt::AlignRight);
  return edit;
}

QGroupBox* RadioGroup(const char* name, const char* title, const QStringList& items, int checked,
                      QWidget* parent) {
  auto* group = new QGroupBox(title, parent);
  group->setObjectName(name);
  auto* buttons = new QButtonGroup(group);
  auto* layout = new QVBoxLayout(group);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], group);
    buttons->addButton(button, i);
    layout->addWidget(button);
    if (i == checked) button->setChecked(true);
  }
  return group;
}

}  // namespace

TracePage::TracePage(QWidget* parent) : QWidget(parent) {
  setObjectName("tsTrace");
  pnTrace_ = BuildTracePanel();
  ttff_ = new TtffPanel(this);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(pnTrace_, 1);
  layout->addWidget(ttff_);
  SetTraceLoggerShown(false);
}

QWidget* TracePage::AddPanel(const char* name) {
  auto* panel = new QWidget(panels_);
  panel->setObjectName(name);
  panels_->addWidget(panel);
  return panel;
}

QWidget* TracePage::BuildTracePanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName("pnTrace");

  tvTraceCmd_ = new QTreeWidget(panel);
  tvTraceCmd_->setObjectName("tvTraceCmd");
  tvTraceCmd_->setHeaderHidden(true);
  tvTraceCmd_->setRootIsDecorated(false);
  for (const char* node : {"Clear", "Read", "Record", "Convert"}) {
    tvTraceCmd_->addTopLevelItem(new QTreeWidgetItem(QStringList{node}));
  }
  tvTraceCmd_->setMaximumWidth(110);

  lbTrace_ = new QLabel("no action", panel);
  lbTrace_->setObjectName("lbTrace");
  lbTrcStatus_ = StatusField("lbTrcStatus", panel);
  lbTrcPct_ = StatusField("lbTrcPct", panel);
  lbTrcLogged_ = StatusField("lbTrcLogged", panel);
  lbTrcReadPos_ = StatusField("lbTrcReadPos", panel);
  auto* request = new QPushButton("Request", panel);
  request->setObjectName("Button1");

  panels_ = new QStackedWidget(panel);
  AddPanel("pnTrcNothing");
  {
    QWidget* clear = AddPanel("pnTrcClear");
    auto* layout = new QVBoxLayout(clear);
    auto* button = new QPushButton("Clear", clear);
    button->setObjectName("btClear");
    layout->addWidget(button);
    layout->addStretch();
  }
  {
    QWidget* read = AddPanel("pnTrcRead");
    auto* layout = new QVBoxLayout(read);
    layout->addWidget(RadioGroup("rdTrcFormat", "Format", {"Binary", "NMEA"}, 0, read));
    layout->addWidget(
        RadioGroup("rdTrcBaud", "Baud rate", {"4800", "9600", "19200", "38400"}, 0, read));
    auto* form = new QFormLayout;
    form->addRow("Start Poisition", NumberEdit("lbStartPos", "0", read));
    auto* progressText = new QLabel("0", read);
    progressText->setObjectName("lbProgress");
    form->addRow("Progress", progressText);
    layout->addLayout(form);
    auto* progress = new QProgressBar(read);
    progress->setObjectName("pbReadProgress");
    progress->setValue(0);
    layout->addWidget(progress);
    auto* button = new QPushButton("Start", read);
    button->setObjectName("btTrcRead");
    layout->addWidget(button);
    layout->addStretch();
  }
  {
    QWidget* record = AddPanel("pnTrcRecord");
    auto* layout = new QVBoxLayout(record);
    auto* form = new QFormLayout;
    form->addRow("Distance (Meter)", NumberEdit("lbTrcDistance", "0", record));
    form->addRow("Time period (Second)", NumberEdit("lbTrcPeriod", "0", record));
    form->addRow("Time to log", NumberEdit("lbTrcTime", "65535", record));
    layout->addLayout(form);
    auto* button = new QPushButton("Start", record);
    button->setObjectName("btTrcRecord");
    layout->addWidget(button);
    layout->addStretch();
  }
  {
    QWidget* convert = AddPanel("pnTrcConvert");
    auto* layout = new QVBoxLayout(convert);
    layout->addWidget(RadioGroup(
        "rgSelCvt", "Convert type",
        {"ECEF(x,y,z) in ASCII", "Geodetic in ASCII", "GGA record", "RMC record"}, 0, convert));
    auto* progress = new QProgressBar(convert);
    progress->setObjectName("pbConvert");
    progress->setValue(0);
    layout->addWidget(progress);
    auto* button = new QPushButton("Start", convert);
    button->setObjectName("btConvert");
    layout->addWidget(button);
    layout->addStretch();
  }

  auto* status = new QFormLayout;
  status->addRow("Status", lbTrcStatus_);
  status->addRow("Percentage", lbTrcPct_);
  status->addRow("Logged", lbTrcLogged_);
  status->addRow("Read position", lbTrcReadPos_);
  status->addRow(request);

  auto* left = new QVBoxLayout;
  left->addWidget(tvTraceCmd_, 1);
  left->addLayout(status);
  auto* right = new QVBoxLayout;
  right->addWidget(lbTrace_);
  right->addWidget(panels_, 1);
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(left);
  layout->addLayout(right, 1);

  connect(tvTraceCmd_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item == nullptr) return;
    panels_->setCurrentIndex(tvTraceCmd_->indexOfTopLevelItem(item) + 1);
    lbTrace_->setText(item->text(0));
    QPalette palette = lbTrace_->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Highlight));
    lbTrace_->setPalette(palette);
  });
  return panel;
}

void TracePage::SetTraceLoggerShown(bool shown) { pnTrace_->setVisible(shown); }

void TracePage::ShowTraceReport(const TraceReport& report) {
  SetText(lbTrcStatus_, report.trcStatus);
  SetText(lbTrcPct_, report.usedPercent);
  SetText(lbTrcLogged_, report.recordsLogged);
}

QString TracePage::shownTraceStatus() const { return lbTrcStatus_->text(); }

}  // namespace vetra::ui
