#pragma once
// The one capture slot of the receiver conversation, shared by the raw log (View tab, "Log") and
// the trace read (Trace tab, which captures into tracelog.tmp). The task takes one file at a time;
// this owner remembers who holds it and where the file is, so that the other's button is disabled
// while it is held and no capture is ever cut off or replaced by the other.
//
// A capture that cannot be written (a full disk) is closed by the task and told once: the holder
// stops, and the user hears which file, the system's reason and what the file kept.
//
// Window thread only. attach and close are the conversation's AttachLog and CloseLog.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/byte_sink.h"

namespace vetra {

enum class CaptureUser { None, RawLog, TraceRead };

class CaptureSlot {
 public:
  using Attach = std::function<bool(std::unique_ptr<IByteSink>)>;
  // Closes the file; returns the reason when its last bytes could not be written, else "".
  using Close = std::function<std::string()>;
  using Listener = std::function<void(CaptureUser holder)>;

  CaptureSlot(Attach attach, Close close) : attach_(std::move(attach)), close_(std::move(close)) {}

  // Hands sink (the file at path) to the task for user. False when the slot is held (by either
  // user) or the task refuses it; the sink is then closed, and no other capture is cut off.
  bool Take(CaptureUser user, std::unique_ptr<IByteSink> sink, std::string path = {});
  // Ends user's capture: the task closes the file with every byte received in it. Nothing happens
  // (false) when user does not hold the slot. closeError() then tells whether the close failed.
  bool Give(CaptureUser user);
  const std::string& closeError() const { return closeError_; }
  // The task closed the file itself (the port failed, or the file could not be written): the
  // slot is free again.
  void Released();

  CaptureUser holder() const { return holder_; }
  const std::string& path() const { return path_; }  // the held file's
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
  std::string path_;
  std::string closeError_;
};

// What the user is told when a capture stops because its file could not be written.
std::string RawLogFailedText(const std::string& path, const std::string& reason,
                             uint64_t bytesKept);
std::string TraceCaptureFailedText(const std::string& path, const std::string& reason,
                                   uint64_t recordsKept);

}  // namespace vetra
