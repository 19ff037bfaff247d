#include "ui/ttff_panel.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace vetra::ui {
namespace {

QLabel* Status(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

QLineEdit* Average(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setReadOnly(true);
  edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  edit->setAlignment(Qt::AlignRight);
  return edit;
}

}  // namespace

TtffPanel::TtffPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("pnTest");
  btHotStart_ = new QPushButton("Hot", this);
  btHotStart_->setObjectName("btHotStart");
  btWarmStart_ = new QPushButton("Warm", this);
  btWarmStart_->setObjectName("btWarmStart");
  btColdStart_ = new QPushButton("Cold", this);
  btColdStart_->setObjectName("btColdStart");
  lbGPSstatus_ = Status("lbGPSstatus", this);
  lbTestStatus_ = Status("lbTestStatus", this);
  lbTestCycle_ = Status("lbTestCycle", this);
  lbTTFF_ = Status("lbTTFF", this);
  csTestCycles_ = new QSpinBox(this);
  csTestCycles_->setObjectName("csTestCycles");
  csTestCycles_->setRange(1, 10000);
  csTestCycles_->setValue(1);
  csWaitTime_ = new QSpinBox(this);
  csWaitTime_->setObjectName("csWaitTime");
  csWaitTime_->setRange(3, 20);
  csWaitTime_->setValue(3);
  edTestAvgHot_ = Average("edTestAvgHot", this);
  edTestAvgWarm_ = Average("edTestAvgWarm", this);
  edTestAvgCold_ = Average("edTestAvgCold", this);
  tmrTest_ = new QTimer(this);
  tmrTest_->setObjectName("tmrTest");
  tmrTest_->setInterval(1000);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btHotStart_);
  buttons->addWidget(btWarmStart_);
  buttons->addWidget(btColdStart_);
  auto* status = new QHBoxLayout;
  status->addWidget(lbTTFF_);
  status->addWidget(lbGPSstatus_, 1);
  status->addWidget(lbTestStatus_);
  auto* form = new QFormLayout;
  form->addRow("Cycles", csTestCycles_);
  form->addRow("Wait Time", csWaitTime_);
  form->addRow("     Hot", edTestAvgHot_);
  form->addRow("     Warm", edTestAvgWarm_);
  form->addRow("     Cold", edTestAvgCold_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addLayout(status);
  layout->addWidget(lbTestCycle_);
  layout->addLayout(form);
  layout->addStretch();
}

}  // namespace vetra::ui
