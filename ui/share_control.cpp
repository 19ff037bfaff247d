#include "ui/share_control.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "vetra_version.h"

namespace vetra::ui {

ShareControl::ShareControl(QMenu* fileMenu, QStatusBar* bar, Hooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)) {
  action_ = new QAction("Share on &localhost", this);
  action_->setObjectName("ShareOnLocalhost1");
  action_->setCheckable(true);
  QAction* first = fileMenu->actions().value(0);
  fileMenu->insertAction(first, action_);
  fileMenu->insertSeparator(first);
  connect(action_, &QAction::toggled, this, &ShareControl::Toggled);

  field_ = new QLabel(bar);
  field_->setObjectName("sbShare");
  field_->hide();
  bar->addPermanentWidget(field_);

  // Client counts come on the server's thread; the field changes on the window's.
  server_.SetListener([this](const ShareServer::Event& event) {
    const int clients = event.clients;
    QMetaObject::invokeMethod(
        this, [this, clients] { ShowClients(clients); }, Qt::QueuedConnection);
  });
}

ShareControl::~ShareControl() { server_.Stop(); }

void ShareControl::Toggled(bool on) {
  if (!on) {
    server_.Stop();
    field_->hide();
    return;
  }
  ShareServer::Options options;
  options.info.release = VETRA_VERSION;
  options.info.device = hooks_.device();
  options.info.baudRate = hooks_.baudRate();
  std::string error;
  bool started = server_.Start(options, error);
  if (!started) {  // another program (a gpsd) holds the usual ports: take free ones
    options.gpsd.port = 0;
    options.nmea->port = 0;
    started = server_.Start(options, error);
  }
  if (!started) {
    const QSignalBlocker unchecking(action_);
    action_->setChecked(false);
    if (hooks_.showError) hooks_.showError(error, "Share on localhost");
    return;
  }
  ShowClients(server_.clientCount());
  field_->show();
}

void ShareControl::ShowClients(int clients) {
  const auto gpsd = server_.gpsdAddress();
  const auto nmea = server_.nmeaAddress();
  if (!gpsd || !nmea) return;  // stopped since
  field_->setText(
      QString("Sharing %1 gpsd, %2 NMEA: %3 client%4")
          .arg(QString::fromStdString(ToString(*gpsd)), QString::fromStdString(ToString(*nmea)))
          .arg(clients)
          .arg(clients == 1 ? "" : "s"));
}

}  // namespace vetra::ui
