#include "session/exchange.h"

namespace vetra {

const ReplyEvent* ExchangeResult::Find(ReplyKind kind) const {
  for (auto it = answers.rbegin(); it != answers.rend(); ++it) {
    if (it->kind == kind) return &*it;
  }
  return nullptr;
}

AnswerMatcher::AnswerMatcher(ReplyExpectation awaited, int timeoutMs, int64_t writtenAtMs)
    : awaited_(awaited), timeoutMs_(timeoutMs), deadlineMs_(writtenAtMs + timeoutMs) {}

bool AnswerMatcher::Offer(const ReplyEvent& event, int64_t nowMs) {
  using Kind = ReplyExpectation::Kind;
  if (outcome_) return false;
  const bool acknowledgement = event.kind == ReplyKind::Ack || event.kind == ReplyKind::Nack;
  if (acknowledgement) {
    if (event.id != awaited_.commandId) return false;
  } else if (awaited_.kind == Kind::Ack || event.id != awaited_.replyId) {
    return false;
  }
  answers_.push_back(event);
  deadlineMs_ = nowMs + timeoutMs_;
  if (event.kind == ReplyKind::Nack) {
    outcome_ = ExchangeOutcome::Nack;
  } else if (event.kind == ReplyKind::Ack ? awaited_.kind == Kind::Ack : Complete(event)) {
    outcome_ = ExchangeOutcome::Answered;
  }
  return true;
}

// A query ends with its reply; a store read once the store holds every announced satellite.
bool AnswerMatcher::Complete(const ReplyEvent& event) const {
  if (awaited_.kind != ReplyExpectation::Kind::StoreRead) return true;
  if (const auto* ephemeris = std::get_if<EphemerisSnapshot>(&event.fields);
      ephemeris && *ephemeris)
    return (*ephemeris)->receivedCount() >= (*ephemeris)->expectedCount;
  if (const auto* almanac = std::get_if<AlmanacSnapshot>(&event.fields); almanac && *almanac)
    return (*almanac)->receivedCount() >= (*almanac)->expectedCount;
  return false;
}

std::optional<ExchangeOutcome> AnswerMatcher::Decided(int64_t nowMs) const {
  if (outcome_) return outcome_;
  if (nowMs >= deadlineMs_) return ExchangeOutcome::NoAnswer;
  return std::nullopt;
}

}  // namespace vetra
