#include "ui/upgrade_page.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vetra::ui {

UpgradePage::UpgradePage(QWidget* parent) : QWidget(parent) {
  setObjectName("tsReload");
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

  bbBrowse_ = new QPushButton("&File", this);
  bbBrowse_->setObjectName("bbBrowse");
  edFilePath_ = new QLineEdit(this);
  edFilePath_->setObjectName("edFilePath");
  leLoadSize_ = new QLineEdit("256", this);
  leLoadSize_->setObjectName("leLoadSize");
  leLoadSize_->setReadOnly(true);
  leLoadSize_->setFont(fixed);
  leLoadSize_->setAlignment(Qt::AlignRight);
  leLoadAddr_ = new QLineEdit("20000000", this);
  leLoadAddr_->setObjectName("leLoadAddr");
  leLoadAddr_->setFont(fixed);
  chPmonK700_ = new QCheckBox("PMON K700", this);
  chPmonK700_->setObjectName("chPmonK700");
  chPmonK900_ = new QCheckBox("PMON K900", this);
  chPmonK900_->setObjectName("chPmonK900");
  chPmonK900_->setEnabled(false);
  sbGo_ = new QPushButton("Write", this);
  sbGo_->setObjectName("sbGo");
  sbGo_->setCheckable(true);  // stays down while a load runs
  sbGo_->setEnabled(false);
  lbState_ = new QLabel("Setup!", this);
  lbState_->setObjectName("lbState");
  lbResult_ = new QLabel(this);
  lbResult_->setObjectName("lbResult");
  QFont verdict = font();
  verdict.setBold(true);
  verdict.setPointSizeF(verdict.pointSizeF() * 2);
  lbResult_->setFont(verdict);
  lbResult_->setAlignment(Qt::AlignCenter);
  brProgress_ = new QProgressBar(this);
  brProgress_->setObjectName("brProgress");
  brProgress_->setValue(0);

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(bbBrowse_);
  fileRow->addWidget(edFilePath_, 1);
  auto* form = new QFormLayout;
  form->addRow(fileRow);
  form->addRow("Size (K bytes)", leLoadSize_);
  form->addRow("Address", leLoadAddr_);
  auto* monitors = new QHBoxLayout;
  monitors->addWidget(chPmonK700_);
  monitors->addWidget(chPmonK900_);
  monitors->addStretch();
  auto* goRow = new QHBoxLayout;
  goRow->addWidget(sbGo_);
  goRow->addWidget(lbState_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(monitors);
  layout->addLayout(goRow);
  layout->addWidget(brProgress_);
  layout->addWidget(lbResult_);
  layout->addStretch();
}

void UpgradePage::EnterForChip(bool secondChip) {
  chPmonK700_->setEnabled(!secondChip);
  chPmonK900_->setEnabled(secondChip);
  leLoadAddr_->setText(secondChip ? "21000000" : "20000000");
}

}  // namespace vetra::ui
