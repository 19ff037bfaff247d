#pragma once
// The Upgrade page (tsReload): firmware image, boot-monitor choice, load address and the Write
// button with the loader's state, result and progress.

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vetra::ui {

class UpgradePage : public QWidget {
  Q_OBJECT
 public:
  explicit UpgradePage(QWidget* parent = nullptr);

  // Page entry: only the chosen chip's monitor box is enabled; its load address is shown.
  void EnterForChip(bool secondChip);

 private:
  QPushButton* bbBrowse_;
  QLineEdit* edFilePath_;
  QLineEdit* leLoadSize_;
  QLineEdit* leLoadAddr_;
  QCheckBox* chPmonK700_;
  QCheckBox* chPmonK900_;
  QPushButton* sbGo_;
  QLabel* lbState_;
  QLabel* lbResult_;
  QProgressBar* brProgress_;
};

}  // namespace vetra::ui
