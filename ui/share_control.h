#pragma once
// File > "Share on localhost": the desktop program's share server (share/share_server.h), the
// same one `vetra share` runs, fed with the conversation's pass values while the window monitors
// (the window shows the pass values to server() beside the View page). A checkable entry: checked,
// the server listens on loopback, at the gpsd protocol's 127.0.0.1:2947 and NMEA's 127.0.0.1:10110,
// or on free ports where another program holds those; the status bar then shows the addresses and
// the number of clients ("Sharing 127.0.0.1:2947 gpsd, 127.0.0.1:10110 NMEA: 1 client").

#include <QObject>
#include <functional>
#include <string>

#include "app/page_rules.h"
#include "share/share_server.h"

class QAction;
class QLabel;
class QMenu;
class QStatusBar;

namespace vetra::ui {

class ShareControl final : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<std::string()> device;  // the selected port's device path
    std::function<int()> baudRate;        // the selected line rate
    std::function<void(const std::string& text, const std::string& title)> showError;
  };
  // Puts the entry at the top of fileMenu and its field (hidden until sharing) into bar.
  ShareControl(QMenu* fileMenu, QStatusBar* bar, Hooks hooks, QObject* parent);
  ~ShareControl() override;

  IPassDisplay& display() { return server_; }
  ShareServer& server() { return server_; }
  QAction* action() const { return action_; }

  // The page the window shows now: sharing is paused on the pages where no port is read.
  void FollowPage(Page page);

 private:
  void Toggled(bool on);
  void ShowStatus();

  Hooks hooks_;
  ShareServer server_;
  QAction* action_;
  QLabel* field_;
};

}  // namespace vetra::ui
