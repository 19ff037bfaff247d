#pragma once
// The start-up time test's requests to the receiver conversation, and its queue for the restart
// frame (the test hears the receiver through the pass values). What became of the frame arrives
// later (on the window thread in the desktop program, on the conversation's thread in `vetra
// ttff`), so it is kept under a lock of its own until the test asks.

#include <memory>
#include <mutex>
#include <string>

#include "session/receiver_conversation.h"
#include "ttff/ttff_campaign.h"

namespace vetra {

class ConversationTtffMonitor final : public ITtffMonitor {
 public:
  explicit ConversationTtffMonitor(ReceiverConversation& conversation)
      : conversation_(conversation) {}

  uint64_t RestartMonitoring() override { return conversation_.RestartMonitoring(); }

  void SendRestart(std::span<const uint8_t> frame, int delayMs) override {
    uint64_t number = 0;
    {
      std::lock_guard lock(restart_->mutex);
      number = ++restart_->number;
      restart_->notSent.clear();
    }
    // Shared with the completion, which may run after this monitor is gone.
    auto told = [restart = restart_, number](WriteOutcome outcome, const std::string& why) {
      std::lock_guard lock(restart->mutex);
      if (number != restart->number || outcome == WriteOutcome::Written) return;
      restart->notSent = why.empty() ? "not sent" : why;
    };
    if (!conversation_.Queue(frame, delayMs, told)) {
      std::lock_guard lock(restart_->mutex);
      restart_->notSent = "no port";
    }
  }
  std::string RestartNotSent() override {
    std::lock_guard lock(restart_->mutex);
    return restart_->notSent;
  }

 private:
  struct LastRestart {
    std::mutex mutex;
    uint64_t number = 0;  // of the frame sent last
    std::string notSent;
  };
  ReceiverConversation& conversation_;
  std::shared_ptr<LastRestart> restart_ = std::make_shared<LastRestart>();
};

}  // namespace vetra
