// The raw receive log of the View page (btLog): the window opens the file and hands it to the
// monitoring task, which writes every received byte to it and closes it when asked.

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <cstdio>

#include "ui/texts.h"
#include "ui/view_page.h"

namespace vetra::ui {

void ViewPage::LogClick() {
  if (logFileOwned_) {
    StopLog();
    return;
  }
  if (captureBusy_) return;  // the trace read holds the capture slot

  const QString chosen = host_.ChooseLogFile(QString::fromStdString(host_.workPath()));
  if (chosen.isEmpty()) return;
  const QFileInfo info(chosen);
  std::FILE* file = std::fopen(QFile::encodeName(info.absoluteFilePath()).constData(), "wb");
  if (file == nullptr) {
    host_.messages().Show(kWrongFile, kErrorTitle);
    return;
  }
  if (!host_.viewTask().AttachLog(file)) {
    std::fclose(file);  // the slot was taken meanwhile: nothing is logged, nothing is cut off
    host_.messages().Show(kWrongFile, kErrorTitle);
    return;
  }
  logFileOwned_ = true;
  btLog_->setText(kStopLogCaption);
  host_.SetStatusPanel(2, kLoggedPrefix + QDir::toNativeSeparators(info.absoluteFilePath()));
  // The next dialog starts in this folder, and it is saved as the work path at exit.
  host_.SetWorkPath(QDir::toNativeSeparators(info.absolutePath() + '/').toStdString());
}

void ViewPage::StopLog() {
  if (!logFileOwned_) return;
  host_.viewTask().CloseLog();
  logFileOwned_ = false;
  btLog_->setText(kLogCaption);
  host_.SetStatusPanel(2, QString());
}

void ViewPage::SetCaptureSlotBusy(bool busy) {
  captureBusy_ = busy;
  btLog_->setEnabled(logFileOwned_ || !busy);
}

}  // namespace vetra::ui
