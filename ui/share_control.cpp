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

  // Client events come on the server's thread; the field changes on the window's.
  server_.SetListener([this](const ShareServer::Event&) {
    QMetaObject::invokeMethod(this, &ShareControl::ShowStatus, Qt::QueuedConnection);
  });
}

void ShareControl::FollowPage(Page page) {
  const char* reason = "";
  if (page == Page::Setup) reason = "no port is read (Setup page)";
  if (page == Page::Upgrade) reason = "no port is read (the loader has it: Upgrade page)";
  if (server_.pausedReason() == reason) return;
  server_.SetPaused(reason);
  ShowStatus();
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
  ShowStatus();
  field_->show();
}

void ShareControl::ShowStatus() {
  const auto gpsd = server_.gpsdAddress();
  const auto nmea = server_.nmeaAddress();
  if (!gpsd || !nmea) return;  // stopped since
  const ShareCounts counts = server_.counts();
  const std::string paused = server_.pausedReason();
  const QString state = paused.empty()
                            ? QString("Sharing")
                            : QString("Sharing paused, %1:").arg(QString::fromStdString(paused));
  const auto plural = [](uint64_t n, const char* one, const char* many) {
    return QString("%1 %2").arg(n).arg(n == 1 ? one : many);
  };
  field_->setText(QString("%1 %2 gpsd, %3 NMEA: %4; %5, %6")
                      .arg(state, QString::fromStdString(ToString(*gpsd)),
                           QString::fromStdString(ToString(*nmea)),
                           plural(static_cast<uint64_t>(counts.clients()), "client", "clients"),
                           plural(counts.connects, "connect", "connects"),
                           plural(counts.disconnects, "disconnect", "disconnects")));
  field_->setToolTip(QString::fromStdString(ShareCountsText(counts)));
}

}  // namespace vetra::ui
