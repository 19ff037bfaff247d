#include "ui/trace_panels.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "trace/trace_format.h"
#include "trace/trace_page_rules.h"
#include "ui/pick_tree.h"

namespace vetra::ui {
namespace {

QLabel* StatusField(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setFrameShape(QFrame::StyledPanel);
  label->setFrameShadow(QFrame::Sunken);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance("00000000"));
  return label;
}

QLineEdit* NumberEdit(const char* name, const char* text, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  edit->setAlignment(Qt::AlignRight);
  edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("000000000"));
  return edit;
}

QProgressBar* Progress(const char* name, QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(name);
  bar->setRange(0, 100);
  bar->setValue(0);
  return bar;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

// A titled group of radio buttons, `columns` to a row; the button ids are the item positions.
QButtonGroup* RadioGroup(const char* name, const char* title, const QStringList& items, int checked,
                         int columns, QWidget* parent, QWidget** box = nullptr) {
  auto* group = new QGroupBox(title, parent);
  group->setObjectName(name);
  auto* buttons = new QButtonGroup(group);
  buttons->setObjectName(QString(name) + "Buttons");
  auto* layout = new QGridLayout(group);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setVerticalSpacing(2);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], group);
    buttons->addButton(button, i);
    layout->addWidget(button, i / columns, i % columns);
    if (i == checked) button->setChecked(true);
  }
  if (box != nullptr) *box = group;
  return buttons;
}

QWidget* AddPanel(QStackedWidget* stack, const char* name) {
  auto* panel = new QWidget(stack);
  panel->setObjectName(name);
  stack->addWidget(panel);
  return panel;
}

QVBoxLayout* PanelLayout(QWidget* panel) {
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  return layout;
}

void BuildClear(TracePanels& t) {
  QWidget* panel = AddPanel(t.panels, "pnTrcClear");
  auto* layout = PanelLayout(panel);
  auto* note = new QLabel("Erases every record in the receiver's trace memory.", panel);
  note->setWordWrap(true);
  layout->addWidget(note);
  t.btClear = Button("btClear", "Clear", panel);
  layout->addWidget(t.btClear);
  layout->addStretch();
}

void BuildRead(TracePanels& t) {
  QWidget* panel = AddPanel(t.panels, "pnTrcRead");
  auto* layout = PanelLayout(panel);
  QStringList formats, bauds;
  for (const char* item : kTraceFormats) formats << item;
  for (const char* item : kTracePageBauds) bauds << item;
  QWidget *formatBox = nullptr, *baudBox = nullptr;
  t.rdTrcFormat = RadioGroup("rdTrcFormat", "Format", formats, TracePageInputs{}.rdTrcFormat, 2,
                             panel, &formatBox);
  t.rdTrcBaud = RadioGroup("rdTrcBaud", "Baud rate", bauds, 0, 2, panel, &baudBox);
  layout->addWidget(formatBox);
  layout->addWidget(baudBox);
  auto* form = new QFormLayout;
  t.lbStartPos = NumberEdit("lbStartPos", "0", panel);
  form->addRow("Start Poisition", t.lbStartPos);
  t.lbProgress = new QLabel("0", panel);
  t.lbProgress->setObjectName("lbProgress");
  t.lbProgress->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  form->addRow("Records read", t.lbProgress);
  layout->addLayout(form);
  t.pbReadProgress = Progress("pbReadProgress", panel);
  layout->addWidget(t.pbReadProgress);
  t.btTrcRead = Button("btTrcRead", "Start", panel);
  layout->addWidget(t.btTrcRead);
  layout->addStretch();
}

void BuildRecord(TracePanels& t) {
  QWidget* panel = AddPanel(t.panels, "pnTrcRecord");
  auto* layout = PanelLayout(panel);
  const TracePageInputs defaults;
  auto* form = new QFormLayout;
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  t.lbTrcDistance = NumberEdit("lbTrcDistance", defaults.lbTrcDistance.c_str(), panel);
  t.lbTrcPeriod = NumberEdit("lbTrcPeriod", defaults.lbTrcPeriod.c_str(), panel);
  t.lbTrcTime = NumberEdit("lbTrcTime", defaults.lbTrcTime.c_str(), panel);
  form->addRow("Distance (Meter)", t.lbTrcDistance);
  form->addRow("Time period (Second)", t.lbTrcPeriod);
  form->addRow("Time to log", t.lbTrcTime);
  layout->addLayout(form);
  t.btTrcRecord = Button("btTrcRecord", "Start", panel);
  layout->addWidget(t.btTrcRecord);
  layout->addStretch();
}

void BuildConvert(TracePanels& t) {
  QWidget* panel = AddPanel(t.panels, "pnTrcConvert");
  auto* layout = PanelLayout(panel);
  QStringList types;
  for (const char* item : kTraceFormatNames) types << item;
  t.rgSelCvt = RadioGroup("rgSelCvt", "Convert type", types, 0, 1, panel, &t.rgSelCvtBox);
  layout->addWidget(t.rgSelCvtBox);
  t.pbConvert = Progress("pbConvert", panel);
  layout->addWidget(t.pbConvert);
  t.btConvert = Button("btConvert", "Start", panel);
  layout->addWidget(t.btConvert);
  t.lbCvtReport = new QLabel(panel);
  t.lbCvtReport->setObjectName("lbCvtReport");
  t.lbCvtReport->setWordWrap(true);
  layout->addWidget(t.lbCvtReport);
  layout->addStretch();
}

// The status fields under the tree: caption above value, so that they fit its narrow column.
void BuildStatus(TracePanels& t, QVBoxLayout* column, QWidget* parent) {
  t.lbTrcStatus = StatusField("lbTrcStatus", parent);
  t.lbTrcPct = StatusField("lbTrcPct", parent);
  t.lbTrcLogged = StatusField("lbTrcLogged", parent);
  t.lbTrcReadPos = StatusField("lbTrcReadPos", parent);
  const std::pair<const char*, QLabel*> fields[] = {{"Status", t.lbTrcStatus},
                                                    {"Percentage", t.lbTrcPct},
                                                    {"Logged", t.lbTrcLogged},
                                                    {"Read position", t.lbTrcReadPos}};
  for (const auto& [caption, field] : fields) {
    column->addWidget(new QLabel(caption, parent));
    column->addWidget(field);
  }
  t.Button1 = Button("Button1", "Request", parent);
  column->addWidget(t.Button1);
}

}  // namespace

TracePanels BuildTracePanels(QWidget* parent) {
  TracePanels t{};
  t.pnTrace = new QWidget(parent);
  t.pnTrace->setObjectName("pnTrace");

  t.tvTraceCmd = new PickTree(t.pnTrace);
  t.tvTraceCmd->setObjectName("tvTraceCmd");
  t.tvTraceCmd->setHeaderHidden(true);
  t.tvTraceCmd->setRootIsDecorated(false);
  for (const char* node : kTraceTreeNodes) {
    t.tvTraceCmd->addTopLevelItem(new QTreeWidgetItem(QStringList{node}));
  }
  // Four nodes, always all in view: no scroll bars, the height of the four rows.
  t.tvTraceCmd->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t.tvTraceCmd->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int rows = static_cast<int>(kTraceTreeNodes.size());
  const int frame = 2 * t.tvTraceCmd->frameWidth();
  t.tvTraceCmd->setFixedHeight(t.tvTraceCmd->sizeHintForRow(0) * rows + frame + 2);
  t.tvTraceCmd->setFixedWidth(t.tvTraceCmd->fontMetrics().horizontalAdvance("Convert") + 36);

  t.lbTrace = new QLabel("no action", t.pnTrace);
  t.lbTrace->setObjectName("lbTrace");
  QFont bold = t.lbTrace->font();
  bold.setBold(true);
  t.lbTrace->setFont(bold);

  t.panels = new QStackedWidget(t.pnTrace);
  t.panels->setObjectName("pnTrcPanels");
  AddPanel(t.panels, "pnTrcNone");
  BuildClear(t);
  BuildRead(t);
  BuildRecord(t);
  BuildConvert(t);

  auto* left = new QVBoxLayout;
  left->setSpacing(2);
  left->addWidget(t.tvTraceCmd);
  left->addSpacing(6);
  BuildStatus(t, left, t.pnTrace);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(t.lbTrace);
  right->addWidget(t.panels, 1);
  auto* layout = new QHBoxLayout(t.pnTrace);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(left);
  layout->addLayout(right, 1);
  return t;
}

}  // namespace vetra::ui
