#include "present/ack_indicator.h"

namespace vetra {

uint64_t AckIndicator::Sent() {
  view_ = {};
  return ++latest_;
}

void AckIndicator::Posted(uint64_t ticket) {
  if (ticket == latest_) view_.state = kAckWaitingText;
}

void AckIndicator::Acknowledged(bool ack) {
  view_.mark = ack ? AckMark::Ack : AckMark::Nack;
  // An answer came after all (late, or to another command): "no answer" would contradict it.
  if (view_.warning) {
    view_.warning = false;
    view_.state.clear();
  }
}

void AckIndicator::Ended(uint64_t ticket, ExchangeOutcome outcome, int timeoutMs) {
  if (ticket != latest_) return;
  view_.warning = outcome == ExchangeOutcome::NoAnswer;
  // Whole seconds, rounded up: a deadline of 2.5 s is not "no answer in 2 s".
  view_.state =
      view_.warning ? "no answer in " + std::to_string((timeoutMs + 999) / 1000) + " s" : "";
}

}  // namespace vetra
