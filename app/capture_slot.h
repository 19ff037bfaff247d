#pragma once
// The one capture slot of the receiver conversation, shared by the raw log (View tab, "Log") and
// the trace read (Trace tab, which captures into tracelog.tmp). The task takes one file at a time;
// this owner remembers who holds it, so that the other's button is disabled while it is held and
// no capture is ever cut off or replaced by the other.
//
// Window thread only. attach and close are the conversation's AttachLog and CloseLog.

#include <cstdio>
#include <functional>

namespace vetra {

enum class CaptureUser { None, RawLog, TraceRead };

class CaptureSlot {
 public:
  using Attach = std::function<bool(std::FILE*)>;
  using Close = std::function<void()>;
  using Listener = std::function<void(CaptureUser holder)>;

  CaptureSlot(Attach attach, Close close) : attach_(std::move(attach)), close_(std::move(close)) {}

  // Hands file to the task for user. False when the slot is held (by either user) or the task
  // refuses it; the file then stays the caller's to close.
  bool Take(CaptureUser user, std::FILE* file);
  // Ends user's capture: the task closes the file with every byte received in it. Nothing happens
  // (false) when user does not hold the slot.
  bool Give(CaptureUser user);
  // The task closed the file itself (the port failed): the slot is free again.
  void Released();

  CaptureUser holder() const { return holder_; }
  bool free() const { return holder_ == CaptureUser::None; }
  bool heldBy(CaptureUser user) const { return holder_ == user; }

  // Called after every change of holder, so the window can enable and disable the buttons.
  void SetListener(Listener listener) { listener_ = std::move(listener); }

 private:
  void SetHolder(CaptureUser holder);

  Attach attach_;
  Close close_;
  Listener listener_;
  CaptureUser holder_ = CaptureUser::None;
};

}  // namespace vetra
