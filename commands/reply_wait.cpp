#include "commands/reply_wait.h"

#include <array>

#include "commands/catalogue.h"

namespace vetra {

ReplyExpectation ExpectationFor(int number, const Panels& panels) {
  const CommandDescriptor& command = CatalogueEntryOf(number);
  const ExpectedReply& reply = command.reply;
  if (reply.kind == ExpectedReply::Kind::Ack ||
      (reply.repliesWhen != nullptr && !reply.repliesWhen(panels))) {
    return {command.id, ReplyExpectation::Kind::Ack, 0};
  }
  const auto kind = reply.kind == ExpectedReply::Kind::StoreRead ? ReplyExpectation::Kind::StoreRead
                                                                 : ReplyExpectation::Kind::Reply;
  return {command.id, kind, reply.replyId};
}

ReplyWaiter::ReplyWaiter(ReceiverStores& stores, ReplyExpectation expectation, IClock& clock,
                         int timeoutSeconds)
    : stores_(stores),
      expectation_(expectation),
      clock_(clock),
      timeoutSeconds_(timeoutSeconds),
      binary_(stores, this) {}

void ReplyWaiter::onAck(uint8_t commandId) {
  if (commandId != expectation_.commandId) return;
  acked_ = true;
  pending_.push_back({Event::Type::Ack, commandId, {}});
  if (expectation_.kind == ReplyExpectation::Kind::Ack) {
    done_ = true;
    outcome_ = Outcome::Answered;
  }
}

void ReplyWaiter::onNack(uint8_t commandId) {
  if (commandId != expectation_.commandId) return;
  pending_.push_back({Event::Type::Nack, commandId, {}});
  done_ = true;
  outcome_ = Outcome::Nack;
}

void ReplyWaiter::Replied(uint8_t replyId, std::span<const uint8_t> payload) {
  if (expectation_.kind == ReplyExpectation::Kind::Ack || replyId != expectation_.replyId) return;
  replied_ = true;
  pending_.push_back({Event::Type::Reply, replyId, {payload.begin(), payload.end()}});
  if (expectation_.kind == ReplyExpectation::Kind::Reply || StoreComplete()) {
    done_ = true;
    outcome_ = Outcome::Answered;
  }
}

bool ReplyWaiter::StoreComplete() const {
  if (expectation_.replyId == 0x83) {
    const auto store = stores_.ephemeris.Get();
    return store.receivedCount() >= store.expectedCount;
  }
  const auto store = stores_.almanac.Get();
  return store.receivedCount() >= store.expectedCount;
}

ReplyWaiter::Outcome ReplyWaiter::Wait(IPort& port, const EventHandler& onEvent) {
  std::array<uint8_t, 1024> buffer{};
  // The clock counts whole seconds: one more than the time-out, so the receiver has been silent for
  // at least the whole time-out when the wait gives up.
  int64_t deadline = clock_.nowSeconds() + timeoutSeconds_ + 1;
  while (!done_) {
    if (clock_.nowSeconds() >= deadline) {
      if (!acked_ && !replied_) return Outcome::Silence;
      if (expectation_.kind == ReplyExpectation::Kind::StoreRead && replied_) {
        return Outcome::Incomplete;
      }
      return Outcome::AckedOnly;
    }
    const int count = port.rxData(buffer.data(), static_cast<int>(buffer.size()));
    if (count < 0) return Outcome::PortFailed;
    for (int used = 0; used < count && !done_;) {
      const FrameFeed feed = binary_.Feed(buffer.data() + used, count - used);
      used += feed.consumed > 0 ? feed.consumed : count - used;
    }
    if (!pending_.empty()) {
      deadline = clock_.nowSeconds() + timeoutSeconds_ + 1;
      for (const Event& event : pending_) onEvent(event);
      pending_.clear();
    }
  }
  return outcome_;
}

}  // namespace vetra
