#pragma once
// The echo of the View page: moNMEA with a row of controls above it. Every sentence and frame the
// receiver sent is one line (present/echo_text.h: binary frames as hex with their name); the
// newest kLines are kept. The filter (cbEchoFilter) shows NMEA, binary or all lines; Pause
// (btEchoPause) holds the view still while lines keep arriving, and shows them when released;
// Clear (btEchoClear) forgets what was kept. The view starts scrolled to the left, where each line
// begins, whenever it comes into view, and stays where the user scrolled it.

#include <QWidget>
#include <deque>

#include "present/echo_text.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace vetra::ui {

class EchoView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kLines = 500;

  explicit EchoView(QWidget* parent = nullptr);

  void Append(const EchoedLine& line);
  void SetFilter(EchoFilter filter);
  void SetPaused(bool paused);
  void Clear();

  QPlainTextEdit* text() const { return moNMEA_; }
  QWidget* firstControl() const;  // for the page's tab order

 protected:
  // Each time the echo comes into view (the expanded layout), it starts at the left edge: the
  // editor's own first show scrolls to its cursor, which may lie at the end of a long line.
  void showEvent(QShowEvent* event) override;

 private:
  struct Entry {
    QString text;
    ParserKind parser;
  };
  void Refill();

  std::deque<Entry> kept_;
  EchoFilter filter_ = EchoFilter::All;
  bool paused_ = false;
  bool behind_ = false;  // lines arrived while paused

  QComboBox* cbEchoFilter_;
  QPushButton *btEchoPause_, *btEchoClear_;
  QPlainTextEdit* moNMEA_;
};

}  // namespace vetra::ui
