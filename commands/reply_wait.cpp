#include "commands/reply_wait.h"

#include <array>

#include "commands/catalogue.h"

namespace vetra {

ReplyExpectation ExpectationFor(int number, const Panels& panels) {
  using Kind = ReplyExpectation::Kind;
  ReplyExpectation e;
  e.commandId = CatalogueEntryOf(number).id;
  switch (e.commandId) {
    case 0x05:
      return {e.commandId, Kind::Reply, 0x80};
    case 0x06:
      return {e.commandId, Kind::Reply, 0x82};
    case 0x07:
      return {e.commandId, Kind::Reply, 0x81};
    case 0x09:
      return {e.commandId, Kind::StoreRead, 0x83};
    case 0x0B:
      return {e.commandId, Kind::StoreRead, 0x84};
    case 0x0E:
      return {e.commandId, Kind::Reply, 0x85};
    case 0x16:
      if (panels.pnCustomizedID.rgCID == 0) return {e.commandId, Kind::Reply, 0x8D};
      break;
    case 0x17:
      return {e.commandId, Kind::Reply, 0x86};
    case 0x18:
      return {e.commandId, Kind::Reply, 0x87};
    default:
      break;
  }
  return e;
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
