#pragma once
// "Send these frames and wait for the answer that matches, with a deadline": what the receiver
// conversation is asked (Exchange), how it ends (ExchangeResult, one outcome type for every
// caller), and the matching rules (AnswerMatcher), kept apart from the thread that applies them.
//
// Matching: the ACK or NACK of the command id; a query's reply frame (F2 80 revision, 81 self
// test, 82 clock offset, 85 module ID, 86/87 settings, 89/8A trace status, 8C test result, 8D
// customized ID); a store read (F2 83/84) until every satellite the receiver announced has
// arrived. The deadline is the time-out after the frames were written, and it starts again with
// every answer (a store read is one reply per satellite). An answer goes to the oldest exchange
// still waiting for it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/reply_expectation.h"
#include "session/reply_events.h"

namespace vetra {

struct Exchange {
  std::vector<std::vector<uint8_t>> frames;  // written back to back, in this order
  int delayMs = 0;  // the first frame goes no sooner than this after the frame queued before it
  std::optional<ReplyExpectation> awaited;  // nothing: answered as soon as the frames are written
  int timeoutMs = 3000;
};

enum class ExchangeOutcome {
  Answered,    // the awaited answer arrived; with nothing awaited, the frames were written
  Nack,        // the receiver refused the command
  NoAnswer,    // the deadline passed (the answers tell an ACK without its reply, or a store read
               // that stopped early)
  PortFailed,  // no port, a write the port refused, or a read that failed
  Cancelled,   // the caller gave up (Ctrl-C), or monitoring stopped or the port was closed or
               // handed to the loader before the answer came
};

struct ExchangeResult {
  ExchangeOutcome outcome = ExchangeOutcome::NoAnswer;
  bool written = false;             // the frames went out
  std::vector<ReplyEvent> answers;  // what answered this exchange, in arrival order
  std::string error;                // PortFailed: the port's message

  bool Acknowledged() const { return Find(ReplyKind::Ack) != nullptr; }
  // The last answer of this kind, or nullptr.
  const ReplyEvent* Find(ReplyKind kind) const;
};

class AnswerMatcher {
 public:
  AnswerMatcher(ReplyExpectation awaited, int timeoutMs, int64_t writtenAtMs);

  // True when event answers this exchange: it is kept, and the deadline starts again.
  bool Offer(const ReplyEvent& event, int64_t nowMs);
  // Answered or Nack once they arrived, NoAnswer once nowMs has reached the deadline.
  std::optional<ExchangeOutcome> Decided(int64_t nowMs) const;
  std::vector<ReplyEvent>& answers() { return answers_; }

 private:
  bool Complete(const ReplyEvent& event) const;

  ReplyExpectation awaited_;
  int timeoutMs_;
  int64_t deadlineMs_;
  std::optional<ExchangeOutcome> outcome_;
  std::vector<ReplyEvent> answers_;
};

}  // namespace vetra
