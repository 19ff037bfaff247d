#pragma once
// The receiver conversation's exchanges from the moment they are posted to their end: queued
// until their turn, written by the conversation's thread between its reads, then matched against
// the reply events of its passes until their outcome is decided (exchange.h has the rules).
//
// Post and Wait are for any thread. Everything else runs on the conversation's thread only. The
// end of an exchange is told once: to a blocking caller waiting in Wait (woken at once), or as a
// completion that the conversation runs with its next hand-off (TakeFinished).

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include "link/port.h"
#include "session/exchange.h"
#include "util/clock.h"

namespace vetra {

class ExchangeQueue {
 public:
  using Completion = std::function<void(const ExchangeResult& result)>;
  using AnswerCallback = std::function<void(const ReplyEvent& answer)>;

  explicit ExchangeQueue(IClock& clock) : clock_(clock) {}

  // Any thread.
  void Post(Exchange exchange, Completion onDone);
  // Posts the exchange and blocks until it has ended; onAnswer sees each answer as it arrives, on
  // the calling thread. A stop request ends the wait at once as Cancelled.
  ExchangeResult Wait(Exchange exchange, std::stop_token stop, const AnswerCallback& onAnswer);

  // The conversation's thread.
  void TakePosted();
  // Writes the exchanges whose turn has come, in order; one not yet due holds back those after
  // it. A frame the port refuses ends its exchange as PortFailed with the port's message.
  void WriteDue(IPort& port);
  void Offer(const std::vector<ReplyEvent>& events);
  void EndDecided();
  void EndAll(ExchangeOutcome outcome, const std::string& why);  // queued and waiting alike
  std::vector<std::pair<Completion, ExchangeResult>> TakeFinished();

 private:
  // A blocking caller's side of an exchange; guarded by waitMutex_.
  struct Waiter {
    std::vector<ReplyEvent> answers;
    std::optional<ExchangeResult> result;
    bool written = false;
    bool abandoned = false;
  };
  struct Pending {
    Exchange exchange;
    int64_t queuedMs = 0;
    Completion onDone;
    std::shared_ptr<Waiter> waiter;
    std::optional<AnswerMatcher> matcher;  // once written, when an answer is awaited
    bool written = false;
  };

  void Add(Exchange exchange, Completion onDone, std::shared_ptr<Waiter> waiter);
  bool Due(const Pending& pending, int64_t nowMs) const;
  bool Abandoned(const Pending& pending) const;
  void Written(Pending& pending, int64_t nowMs);
  void Finish(Pending& pending, ExchangeOutcome outcome, std::string error);

  IClock& clock_;

  std::mutex postMutex_;
  std::vector<Pending> posted_;

  // The conversation's thread only.
  std::deque<Pending> queued_;     // not written yet, in order
  std::vector<Pending> awaiting_;  // written, waiting for their answer, oldest first
  std::vector<std::pair<Completion, ExchangeResult>> finished_;
  int64_t lastWriteMs_ = 0;

  mutable std::mutex waitMutex_;
  std::condition_variable_any waitChanged_;
};

}  // namespace vetra
