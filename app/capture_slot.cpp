#include "app/capture_slot.h"

namespace vetra {

void CaptureSlot::SetHolder(CaptureUser holder) {
  holder_ = holder;
  if (holder_ == CaptureUser::None) path_.clear();
  if (listener_) listener_(holder_);
}

bool CaptureSlot::Take(CaptureUser user, std::unique_ptr<IByteSink> sink, std::string path) {
  if (user == CaptureUser::None || sink == nullptr || !free()) return false;
  if (!attach_ || !attach_(std::move(sink))) return false;
  path_ = std::move(path);
  SetHolder(user);
  return true;
}

bool CaptureSlot::Give(CaptureUser user) {
  if (user == CaptureUser::None || !heldBy(user)) return false;
  closeError_ = close_ ? close_() : std::string();
  SetHolder(CaptureUser::None);
  return true;
}

void CaptureSlot::Released() {
  if (!free()) SetHolder(CaptureUser::None);
}

std::string RawLogFailedText(const std::string& path, const std::string& reason,
                             uint64_t bytesKept) {
  return "Could not write the log " + path + ": " + reason + ".\nLogging stopped; the file keeps " +
         std::to_string(bytesKept) + " bytes received before.";
}

std::string TraceCaptureFailedText(const std::string& path, const std::string& reason,
                                   uint64_t recordsKept) {
  return "Could not write the trace capture " + path + ": " + reason +
         ".\nThe read stopped; the file keeps " + std::to_string(recordsKept) + " records.";
}

}  // namespace vetra
