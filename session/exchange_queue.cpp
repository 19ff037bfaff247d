#include "session/exchange_queue.h"

#include <algorithm>
#include <exception>

namespace vetra {

namespace {
constexpr const char* kWrittenInPart = "written in part";
}  // namespace

// --- Any thread ---------------------------------------------------------------------------------

void ExchangeQueue::Add(Exchange exchange, Completion onDone, std::shared_ptr<Waiter> waiter) {
  Pending pending;
  pending.exchange = std::move(exchange);
  pending.queuedMs = clock_.nowMs();
  pending.onDone = std::move(onDone);
  pending.waiter = std::move(waiter);
  std::lock_guard lock(postMutex_);
  posted_.push_back(std::move(pending));
}

void ExchangeQueue::Post(Exchange exchange, Completion onDone) {
  Add(std::move(exchange), std::move(onDone), nullptr);
}

ExchangeResult ExchangeQueue::Wait(Exchange exchange, std::stop_token stop,
                                   const AnswerCallback& onAnswer) {
  auto waiter = std::make_shared<Waiter>();
  Add(std::move(exchange), {}, waiter);
  std::unique_lock lock(waitMutex_);
  size_t told = 0;
  for (;;) {
    waitChanged_.wait(lock, stop, [&] { return waiter->result || waiter->answers.size() > told; });
    while (told < waiter->answers.size()) {
      const ReplyEvent answer = waiter->answers[told++];
      if (onAnswer) {
        lock.unlock();
        onAnswer(answer);
        lock.lock();
      }
    }
    if (waiter->result) return *waiter->result;
    if (stop.stop_requested()) {
      waiter->abandoned = true;  // the thread forgets it; frames already written stay written
      ExchangeResult result;
      result.outcome = ExchangeOutcome::Cancelled;
      result.written = waiter->written;
      result.answers = waiter->answers;
      return result;
    }
  }
}

// --- The conversation's thread ------------------------------------------------------------------

void ExchangeQueue::TakePosted() {
  std::lock_guard lock(postMutex_);
  for (Pending& pending : posted_) queued_.push_back(std::move(pending));
  posted_.clear();
}

bool ExchangeQueue::Abandoned(const Pending& pending) const {
  if (!pending.waiter) return false;
  std::lock_guard lock(waitMutex_);
  return pending.waiter->abandoned;
}

bool ExchangeQueue::Due(const Pending& pending, int64_t nowMs) const {
  return nowMs >= std::max(pending.queuedMs, lastWriteMs_) + pending.exchange.delayMs;
}

void ExchangeQueue::WriteDue(IPort& port) {
  while (!queued_.empty()) {
    if (Abandoned(queued_.front())) {
      queued_.pop_front();
      continue;
    }
    if (!Due(queued_.front(), clock_.nowMs())) return;
    Pending pending = std::move(queued_.front());
    queued_.pop_front();
    std::string failure;
    for (const std::vector<uint8_t>& frame : pending.exchange.frames) {
      const int size = static_cast<int>(frame.size());
      try {
        if (port.txData(frame.data(), size) != size) failure = kWrittenInPart;
      } catch (const std::exception& error) {
        failure = error.what();
      }
      if (!failure.empty()) break;
    }
    lastWriteMs_ = clock_.nowMs();
    if (failure.empty()) {
      Written(pending, lastWriteMs_);
    } else {
      Finish(pending, ExchangeOutcome::PortFailed, std::move(failure));
    }
  }
}

void ExchangeQueue::Written(Pending& pending, int64_t nowMs) {
  pending.written = true;
  if (pending.waiter) {
    std::lock_guard lock(waitMutex_);
    pending.waiter->written = true;
  }
  if (!pending.exchange.awaited) {
    Finish(pending, ExchangeOutcome::Answered, {});
    return;
  }
  pending.matcher.emplace(*pending.exchange.awaited, pending.exchange.timeoutMs, nowMs);
  awaiting_.push_back(std::move(pending));
}

void ExchangeQueue::Offer(const std::vector<ReplyEvent>& events) {
  const int64_t now = clock_.nowMs();
  for (const ReplyEvent& event : events) {
    for (Pending& pending : awaiting_) {
      if (!pending.matcher->Offer(event, now)) continue;
      if (pending.waiter) {
        std::lock_guard lock(waitMutex_);
        pending.waiter->answers.push_back(event);
        waitChanged_.notify_all();
      }
      break;  // the oldest exchange waiting for it takes it
    }
  }
}

void ExchangeQueue::EndDecided() {
  const int64_t now = clock_.nowMs();
  std::erase_if(awaiting_, [&](Pending& pending) {
    if (Abandoned(pending)) return true;
    const std::optional<ExchangeOutcome> outcome = pending.matcher->Decided(now);
    if (!outcome) return false;
    Finish(pending, *outcome, {});
    return true;
  });
}

void ExchangeQueue::EndAll(ExchangeOutcome outcome, const std::string& why) {
  for (Pending& pending : awaiting_) Finish(pending, outcome, why);
  for (Pending& pending : queued_) Finish(pending, outcome, why);
  awaiting_.clear();
  queued_.clear();
}

void ExchangeQueue::Finish(Pending& pending, ExchangeOutcome outcome, std::string error) {
  ExchangeResult result;
  result.outcome = outcome;
  result.written = pending.written;
  if (pending.matcher) result.answers = std::move(pending.matcher->answers());
  result.error = std::move(error);
  if (pending.waiter) {
    std::lock_guard lock(waitMutex_);
    pending.waiter->result = std::move(result);
    waitChanged_.notify_all();
  } else if (pending.onDone) {
    finished_.emplace_back(std::move(pending.onDone), std::move(result));
  }
}

std::vector<std::pair<ExchangeQueue::Completion, ExchangeResult>> ExchangeQueue::TakeFinished() {
  std::vector<std::pair<Completion, ExchangeResult>> finished;
  finished.swap(finished_);
  return finished;
}

}  // namespace vetra
