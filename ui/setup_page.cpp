#include "ui/setup_page.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/port_names.h"
#include "ui/texts.h"
#include "ui/widget_text.h"

namespace vetra::ui {

SetupPage::SetupPage(QWidget* parent) : QWidget(parent) {
  setObjectName("tsSetup");

  cbPort_ = new QComboBox(this);
  cbPort_->setObjectName("cbPort");
  cbPort_->setEditable(true);
  cbPort_->setInsertPolicy(QComboBox::NoInsert);
  cbPort_->setToolTip("Choose a port, or type a device path such as /dev/ttyUSB0 and press Enter");
  cbFWbaud_ = new QComboBox(this);
  cbFWbaud_->setObjectName("cbFWbaud");
  for (const char* rate : kBaudTexts) cbFWbaud_->addItem(rate);
  cbFWbaud_->setCurrentIndex(1);
  SetPortPaths({});

  buAutoScan_ = new QPushButton("Scan", this);
  buAutoScan_->setObjectName("buAutoScan");
  lbAutoScan_ = new QLabel(this);
  lbAutoScan_->setObjectName("lbAutoScan");
  btScan_ = new QPushButton("Host", this);
  btScan_->setObjectName("btScan");
  btScan_->setEnabled(false);  // enabled when the receiver's 'U' handshake arrives
  btScan_->setVisible(false);
  lbTitle_ = new QLineEdit(this);
  lbTitle_->setObjectName("lbTitle");
  lbTitle_->setPlaceholderText("window title");

  rgChip_ = new QGroupBox("Chip", this);
  rgChip_->setObjectName("rgChip");
  chipK700_ = new QRadioButton("TQ-K700", rgChip_);
  chipK900_ = new QRadioButton("TQ-K900", rgChip_);
  chipK700_->setChecked(true);
  auto* chipGroup = new QButtonGroup(rgChip_);
  chipGroup->addButton(chipK700_, 0);
  chipGroup->addButton(chipK900_, 1);
  auto* chipLayout = new QHBoxLayout(rgChip_);
  chipLayout->addWidget(chipK700_);
  chipLayout->addWidget(chipK900_);
  chipLayout->addStretch();

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  auto* portCaption = new QLabel("Com Port", this);
  portCaption->setBuddy(cbPort_);
  form->addRow(portCaption, cbPort_);
  auto* baudCaption = new QLabel("Baud Rate", this);
  baudCaption->setBuddy(cbFWbaud_);
  form->addRow(baudCaption, cbFWbaud_);
  auto* scanRow = new QHBoxLayout;
  scanRow->addWidget(buAutoScan_);
  scanRow->addWidget(lbAutoScan_, 1);
  scanRow->addWidget(btScan_);
  form->addRow(QString(), scanRow);
  form->addRow("Title", lbTitle_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(rgChip_);
  layout->addStretch();

  connect(cbPort_, &QComboBox::currentIndexChanged, this, &SetupPage::portChanged);
  connect(cbPort_->lineEdit(), &QLineEdit::editingFinished, this, &SetupPage::PortTextEntered);
  connect(cbFWbaud_, &QComboBox::currentIndexChanged, this, &SetupPage::baudChanged);
  connect(buAutoScan_, &QPushButton::clicked, this, &SetupPage::autoScanClicked);
  connect(chipGroup, &QButtonGroup::idClicked, this, [this](int) { Q_EMIT chipClicked(); });
}

void SetupPage::SetPortPaths(const std::vector<std::string>& labels,
                             const std::vector<bool>& present) {
  const QSignalBlocker blocker(cbPort_);
  const int current = std::max(0, cbPort_->currentIndex());
  cbPort_->clear();
  const QBrush absent = palette().brush(QPalette::Disabled, QPalette::Text);
  for (int i = 0; i < kPortCount; ++i) {
    QString text = QString("COM%1").arg(i + 1);
    if (i < static_cast<int>(labels.size()) && !labels[i].empty()) {
      text += QString::fromUtf8(" \u2014 ") + QString::fromStdString(labels[i]);
    }
    cbPort_->addItem(text);
    if (i < static_cast<int>(present.size()) && !present[i]) {
      cbPort_->setItemData(i, absent, Qt::ForegroundRole);
    }
  }
  cbPort_->setCurrentIndex(current);
}

void SetupPage::PortTextEntered() {
  const QString text = cbPort_->lineEdit()->text().trimmed();
  const int index = cbPort_->currentIndex();
  if (index >= 0 && text == cbPort_->itemText(index)) return;
  const std::string typed = text.toStdString();
  if (IsDevicePath(typed)) {
    Q_EMIT devicePathTyped(text);
  } else if (const std::optional<int> named = MatchPortName(typed)) {
    cbPort_->setCurrentIndex(*named);
  }
  // What the box shows is the port chosen, whatever was typed.
  if (cbPort_->currentIndex() >= 0)
    cbPort_->setEditText(cbPort_->itemText(cbPort_->currentIndex()));
}

void SetupPage::SetPortIndex(int index) { cbPort_->setCurrentIndex(index); }
int SetupPage::portIndex() const { return cbPort_->currentIndex(); }
void SetupPage::SetBaudIndex(int index) { cbFWbaud_->setCurrentIndex(index); }
int SetupPage::baudIndex() const { return cbFWbaud_->currentIndex(); }
bool SetupPage::secondChip() const { return chipK900_->isChecked(); }

void SetupPage::SetSecondChip(bool second) {
  if (second == secondChip()) return;
  (second ? chipK900_ : chipK700_)->setChecked(true);
  Q_EMIT chipClicked();
}
QString SetupPage::titleText() const { return lbTitle_->text(); }

void SetupPage::SetHostMode(bool host) { btScan_->setVisible(host); }

void SetupPage::SetScanStatus(const QString& text, const QColor& colour) {
  SetTextColour(lbAutoScan_, colour);
  lbAutoScan_->setText(text);
}

void SetupPage::ClearScanStatus() { lbAutoScan_->clear(); }

void SetupPage::SetScanRunning(bool running) {
  buAutoScan_->setEnabled(!running);
  cbPort_->setEnabled(!running);
  cbFWbaud_->setEnabled(!running);
}

}  // namespace vetra::ui
