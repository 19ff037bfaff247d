#include "app/capture_slot.h"

namespace vetra {

void CaptureSlot::SetHolder(CaptureUser holder) {
  holder_ = holder;
  if (listener_) listener_(holder_);
}

bool CaptureSlot::Take(CaptureUser user, std::FILE* file) {
  if (user == CaptureUser::None || file == nullptr || !free()) return false;
  if (!attach_ || !attach_(file)) return false;
  SetHolder(user);
  return true;
}

bool CaptureSlot::Give(CaptureUser user) {
  if (user == CaptureUser::None || !heldBy(user)) return false;
  if (close_) close_();
  SetHolder(CaptureUser::None);
  return true;
}

void CaptureSlot::Released() {
  if (!free()) SetHolder(CaptureUser::None);
}

}  // namespace vetra
