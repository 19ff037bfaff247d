#include "ui/failure_display.h"

#include <QTimer>
#include <filesystem>

#include "ui/texts.h"

namespace vetra::ui {

FailureDisplay::FailureDisplay(CaptureSlot& capture, IMessages& messages, Hooks hooks,
                               QObject* parent)
    : QObject(parent), capture_(capture), messages_(messages), hooks_(std::move(hooks)) {}

void FailureDisplay::ShowPass(const PassValue& pass) {
  if (pass.portFailed) QTimer::singleShot(0, this, [this] { PortFailed(); });
  if (pass.captureFailure) {
    QTimer::singleShot(0, this,
                       [this, reason = pass.captureFailure->reason] { CaptureFailed(reason); });
  }
}

void FailureDisplay::PortFailed() {
  const bool logged = capture_.heldBy(CaptureUser::RawLog);
  capture_.Released();
  messages_.Show(logged ? kPortFailedLoggedText : kPortFailedText, kErrorTitle);
  hooks_.backToSetup();
}

void FailureDisplay::CaptureFailed(const std::string& reason) {
  const CaptureUser holder = capture_.holder();
  const std::string path = capture_.path();
  if (holder == CaptureUser::TraceRead) hooks_.traceCaptureFailed(path, reason);
  capture_.Released();
  if (holder == CaptureUser::RawLog) {
    std::error_code error;
    const uintmax_t size =
        std::filesystem::is_regular_file(path, error) ? std::filesystem::file_size(path, error) : 0;
    messages_.Show(RawLogFailedText(path, reason, error ? 0 : size), kErrorTitle);
  }
}

}  // namespace vetra::ui
