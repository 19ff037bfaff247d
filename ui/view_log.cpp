// The raw receive log of the View page (btLog): the window opens the file and hands it to the
// receiver conversation through the capture slot; it writes every received byte to it and closes
// it when asked.

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <string>

#include "link/file_sink.h"
#include "ui/texts.h"
#include "ui/view_page.h"

namespace vetra::ui {

bool ViewPage::logging() const { return host_.captureSlot().heldBy(CaptureUser::RawLog); }

void ViewPage::LogClick() {
  if (logging()) {
    StopLog();
    return;
  }
  if (!host_.captureSlot().free()) return;  // the trace read holds it (the button is disabled)

  const QString chosen = host_.ChooseLogFile(QString::fromStdString(host_.workPath()));
  if (chosen.isEmpty()) return;
  const QFileInfo info(chosen);
  // Each pass's chunk reaches the file when the task writes it, so a crash or a look at the file
  // while logging finds every byte received so far.
  std::string error;
  auto file = FileSink::Open(QFile::encodeName(info.absoluteFilePath()).toStdString(), error);
  if (file == nullptr) {
    host_.messages().Show(kWrongFile, kErrorTitle);
    return;
  }
  const std::string path = QDir::toNativeSeparators(info.absoluteFilePath()).toStdString();
  if (!host_.captureSlot().Take(CaptureUser::RawLog, std::move(file), path)) {
    // Refused (and closed): nothing is logged, no other capture is cut off.
    host_.messages().Show(kWrongFile, kErrorTitle);
    return;
  }
  btLog_->setText(kStopLogCaption);
  host_.SetStatusPanel(2, kLoggedPrefix + QDir::toNativeSeparators(info.absoluteFilePath()));
  // The next dialog starts in this folder, and it is saved as the work path at exit.
  host_.SetWorkPath(QDir::toNativeSeparators(info.absolutePath() + '/').toStdString());
}

void ViewPage::StopLog() {
  const std::string path = host_.captureSlot().path();
  if (!host_.captureSlot().Give(CaptureUser::RawLog)) return;
  btLog_->setText(kLogCaption);
  host_.SetStatusPanel(2, QString());
  if (const std::string& error = host_.captureSlot().closeError(); !error.empty()) {
    host_.messages().Show("Could not write the end of the log " + path + ": " + error + ".",
                          kErrorTitle);
  }
}

void ViewPage::CaptureSlotChanged(CaptureUser holder) {
  btLog_->setEnabled(holder != CaptureUser::TraceRead);
  if (holder != CaptureUser::RawLog && btLog_->text() != kLogCaption) {
    // The log ended without the button (the port failed and the task closed the file).
    btLog_->setText(kLogCaption);
    host_.SetStatusPanel(2, QString());
  }
}

}  // namespace vetra::ui
