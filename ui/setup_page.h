#pragma once
// The Setup page (tsSetup): port and baud rate of the receiver, the auto-scan, the window title
// field and the chip choice. No port is open while this page is shown. The port box also takes a
// typed device path (a pseudo-terminal, /dev/serial/by-id/...) or port name: Enter or leaving the
// box chooses it (devicePathTyped for a path, which the window pins to a port name); anything else
// typed gives way to the port chosen before.

#include <QWidget>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;
class QLabel;
class QLineEdit;
class QRadioButton;
class QGroupBox;

namespace vetra::ui {

class SetupPage : public QWidget {
  Q_OBJECT
 public:
  explicit SetupPage(QWidget* parent = nullptr);

  // Fills cbPort with COM1..COM40, each with what stands behind it ("COM3 — /dev/ttyUSB0 (FT232R
  // USB UART)"; labels empty: nothing). Names whose device is not there now (present false) are
  // drawn in the palette's disabled text colour; they can still be chosen.
  void SetPortPaths(const std::vector<std::string>& labels, const std::vector<bool>& present = {});
  void SetPortIndex(int index);
  int portIndex() const;
  void SetBaudIndex(int index);
  int baudIndex() const;
  bool secondChip() const;
  void SetSecondChip(bool second);  // as if the user chose it
  QString titleText() const;

  void SetHostMode(bool host);  // btScan "Host" is visible only in host mode
  void SetScanStatus(const QString& text, const QColor& colour);  // lbAutoScan
  void ClearScanStatus();
  void SetScanRunning(bool running);  // the Scan button stays disabled while a scan runs

  QPushButton* hostButton() const { return btScan_; }

 Q_SIGNALS:
  void portChanged(int index);
  void baudChanged(int index);
  void autoScanClicked();
  void chipClicked();
  void devicePathTyped(const QString& path);

 private:
  void PortTextEntered();

  QComboBox* cbPort_;
  QComboBox* cbFWbaud_;
  QPushButton* buAutoScan_;
  QLabel* lbAutoScan_;
  QPushButton* btScan_;
  QLineEdit* lbTitle_;
  QGroupBox* rgChip_;
  QRadioButton* chipK700_;
  QRadioButton* chipK900_;
};

}  // namespace vetra::ui
