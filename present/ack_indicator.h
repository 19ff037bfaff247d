#pragma once
// The acknowledgement display beside Send: rbACK and rbNACK as indicators (nothing marked before
// the first Send, each Send clears the mark, every ACK or NACK frame sets one) and lbAckState,
// which follows the Send's exchange with the receiver conversation: "waiting…" until it ends,
// "no answer in N s" (amber) when its deadline passed until an ACK or NACK arrives after all,
// empty otherwise. Only the latest Send's
// exchange speaks: an earlier one that ends late changes nothing.

#include <cstdint>
#include <string>

#include "session/exchange.h"

namespace vetra {

enum class AckMark { None, Ack, Nack };

struct AckView {
  AckMark mark = AckMark::None;
  std::string state;     // lbAckState
  bool warning = false;  // the state is drawn amber
  friend bool operator==(const AckView&, const AckView&) = default;
};

inline constexpr char kAckWaitingText[] = "waiting…";

class AckIndicator {
 public:
  // Send pressed: the mark is cleared. The ticket names this Send's exchange.
  uint64_t Sent();
  // The Send's frames went to the conversation: its answer is awaited.
  void Posted(uint64_t ticket);
  // An ACK (true) or NACK frame arrived, whatever command it names; it clears "no answer in N s".
  void Acknowledged(bool ack);
  void Ended(uint64_t ticket, ExchangeOutcome outcome, int timeoutMs);

  const AckView& view() const { return view_; }

 private:
  AckView view_;
  uint64_t latest_ = 0;
};

}  // namespace vetra
