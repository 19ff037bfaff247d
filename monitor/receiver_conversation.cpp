#include "monitor/receiver_conversation.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "link/thread_name.h"

namespace vetra {

namespace {

// Line settings of the monitoring restart and of ResetLine: 8 data bits, one stop bit, no parity
// (even parity in host mode is the port's own).
constexpr int kKeepBaudRate = 0;
constexpr int kByteSize = 8;
constexpr int kOneStopBit = 0;
constexpr int kNoParity = 0;

constexpr int kIdleSleepMs = 500;
constexpr int kPassSleepMs = 100;
constexpr int kSleepSliceMs = 50;  // sleeps are cut into slices so that a stop is noticed soon

constexpr uint8_t kHostHandshake = 'U';

constexpr const char* kNoPort = "no port";
constexpr const char* kNotMonitored = "monitoring stopped";
constexpr const char* kPortFailed = "the port failed";
constexpr const char* kWrittenInPart = "written in part";

ExchangeResult NoPortResult() {
  ExchangeResult result;
  result.outcome = ExchangeOutcome::PortFailed;
  result.error = kNoPort;
  return result;
}

}  // namespace

// --- Life ---------------------------------------------------------------------------------------

ReceiverConversation::ReceiverConversation(IClock& clock, HandOff handOff, IPassDisplay& display,
                                           ReceiverStores& stores, Options options)
    : clock_(clock),
      handOff_(std::move(handOff)),
      display_(display),
      stores_(stores),
      options_(options),
      binary_(stores),
      collector_(binary_, stores),
      splitter_(nmea_, binary_),
      channelCount_(options.channelCount) {
  binary_.SetSink(&collector_);
  published_.channelCount = channelCount_;
  if (options_.startThread) {
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
  }
}

ReceiverConversation::~ReceiverConversation() {
  stopping_ = true;
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
  // No hand-off any more: blocking callers are told, completions are not run.
  TakeRequests();
  EndAll(ExchangeOutcome::Cancelled, "the conversation ended");
  finished_.clear();
  CloseLog();
}

void ReceiverConversation::Run(std::stop_token stop) {
  NameThisThread("SATView");
  while (!stop.stop_requested()) {
    try {
      RunPass();
    } catch (const std::exception&) {
      // A display that threw: the next pass goes on.
    }
  }
}

void ReceiverConversation::SleepMs(int milliseconds) {
  while (milliseconds > 0 && !stopping_) {
    const int slice = std::min(milliseconds, kSleepSliceMs);
    clock_.sleepMs(slice);
    milliseconds -= slice;
  }
}

// --- The port -----------------------------------------------------------------------------------

void ReceiverConversation::AttachPort(std::unique_ptr<IPort> port) {
  std::lock_guard lock(portMutex_);
  port_ = std::move(port);
  lent_ = false;
  portOpen_ = port_ != nullptr;
}

void ReceiverConversation::ClosePort() { AttachPort(nullptr); }

bool ReceiverConversation::ResetLine(int baudRate) {
  std::lock_guard lock(portMutex_);
  return port_ != nullptr && port_->Reset(baudRate, kByteSize, kOneStopBit, kNoParity);
}

IPort* ReceiverConversation::LendPort() {
  std::lock_guard lock(portMutex_);
  if (port_ == nullptr) return nullptr;
  lent_ = true;
  return port_.get();
}

void ReceiverConversation::ReturnPort() {
  std::lock_guard lock(portMutex_);
  lent_ = false;
}

void ReceiverConversation::SetActive(bool active) {
  active_ = active;
  if (!active) {
    std::lock_guard lock(portMutex_);  // taken once the pass in progress has let the port go
  }
}

// --- Requests and published copies --------------------------------------------------------------

void ReceiverConversation::RestartMonitoring() {
  std::lock_guard lock(requestMutex_);
  restartRequested_ = true;
}

void ReceiverConversation::ToggleChannelCount(bool secondChipSelected) {
  std::lock_guard lock(requestMutex_);
  channelToggles_.push_back(secondChipSelected);
}

TNavRecord ReceiverConversation::DisplayCopy() const {
  std::lock_guard lock(publishedMutex_);
  return published_.display;
}

void ReceiverConversation::CopyToDisplay(bool fromBinary) {
  std::lock_guard lock(publishedMutex_);
  published_.display = fromBinary ? published_.binary : published_.nmea;
}

void ReceiverConversation::SetDisplayRestartCounter(int32_t value) {
  std::lock_guard lock(publishedMutex_);
  published_.display.restartCounter = value;
}

int ReceiverConversation::channelCount() const {
  std::lock_guard lock(publishedMutex_);
  return published_.channelCount;
}

LineHealth ReceiverConversation::health() const {
  std::lock_guard lock(publishedMutex_);
  return published_.health;
}

void ReceiverConversation::Publish(const std::optional<NavigationUpdate>& navigation) {
  std::lock_guard lock(publishedMutex_);
  if (navigation) published_.display = navigation->record;
  published_.nmea = nmea_.record();
  published_.binary = binary_.record();
  published_.channelCount = channelCount_;
  published_.health = health_;
}

void ReceiverConversation::TakeRequests() {
  bool restart = false;
  std::vector<bool> toggles;
  {
    std::lock_guard lock(requestMutex_);
    for (Pending& pending : posted_) queued_.push_back(std::move(pending));
    posted_.clear();
    restart = std::exchange(restartRequested_, false);
    toggles.swap(channelToggles_);
  }
  for (const bool secondChip : toggles) {
    channelCount_ = (channelCount_ == 12 || secondChip) ? 16 : 12;
  }
  if (restart) {
    lineResetDue_ = true;
    nmea_.ResetState();
    nmea_.ResetRecord();
    binary_.ResetRecord();
    Publish(NavigationUpdate{nmea_.record(), DisplaySource::Nmea});
  } else if (!toggles.empty()) {
    Publish(std::nullopt);
  }
}

// --- The capture slot ---------------------------------------------------------------------------

bool ReceiverConversation::AttachLog(std::FILE* file) {
  std::lock_guard lock(logMutex_);
  if (log_ != nullptr || file == nullptr) return false;
  log_ = file;
  return true;
}

void ReceiverConversation::CloseLog() {
  std::lock_guard lock(logMutex_);
  if (log_ == nullptr) return;
  std::fclose(log_);
  log_ = nullptr;
}

bool ReceiverConversation::logAttached() const {
  std::lock_guard lock(logMutex_);
  return log_ != nullptr;
}

void ReceiverConversation::WriteLog(const uint8_t* bytes, int count) {
  std::lock_guard lock(logMutex_);
  if (log_ != nullptr) std::fwrite(bytes, 1, static_cast<size_t>(count), log_);
}

// --- Talking ------------------------------------------------------------------------------------

bool ReceiverConversation::Enqueue(Exchange exchange, Completion onDone,
                                   std::shared_ptr<Waiter> waiter) {
  if (!portOpen_) return false;
  Pending pending;
  pending.exchange = std::move(exchange);
  pending.queuedMs = clock_.nowMs();
  pending.onDone = std::move(onDone);
  pending.waiter = std::move(waiter);
  std::lock_guard lock(requestMutex_);
  posted_.push_back(std::move(pending));
  return true;
}

bool ReceiverConversation::Post(Exchange exchange, Completion onDone) {
  return Enqueue(std::move(exchange), std::move(onDone), nullptr);
}

bool ReceiverConversation::Queue(std::span<const uint8_t> frame, int delayMs, WriteDone onDone) {
  Exchange exchange;
  exchange.frames.emplace_back(frame.begin(), frame.end());
  exchange.delayMs = delayMs;
  Completion told;
  if (onDone) {
    told = [onDone = std::move(onDone)](const ExchangeResult& result) {
      if (result.written) {
        onDone(WriteOutcome::Written, {});
      } else {
        onDone(result.outcome == ExchangeOutcome::PortFailed ? WriteOutcome::Failed
                                                             : WriteOutcome::Dropped,
               result.error);
      }
    };
  }
  return Post(std::move(exchange), std::move(told));
}

ExchangeResult ReceiverConversation::SendAndWait(Exchange exchange, std::stop_token stop,
                                                 const AnswerCallback& onAnswer) {
  auto waiter = std::make_shared<Waiter>();
  if (!Enqueue(std::move(exchange), {}, waiter)) return NoPortResult();
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

bool ReceiverConversation::Abandoned(const Pending& pending) const {
  if (!pending.waiter) return false;
  std::lock_guard lock(waitMutex_);
  return pending.waiter->abandoned;
}

void ReceiverConversation::Finish(Pending& pending, ExchangeOutcome outcome, std::string error) {
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

void ReceiverConversation::EndAll(ExchangeOutcome outcome, const std::string& why) {
  for (Pending& pending : awaiting_) Finish(pending, outcome, why);
  for (Pending& pending : queued_) Finish(pending, outcome, why);
  awaiting_.clear();
  queued_.clear();
}

bool ReceiverConversation::Due(const Pending& pending, int64_t nowMs) const {
  return nowMs >= std::max(pending.queuedMs, lastWriteMs_) + pending.exchange.delayMs;
}

// Writes the exchanges whose turn has come, in order; one not yet due holds back those after it.
void ReceiverConversation::WriteDueExchanges(IPort& port) {
  while (!queued_.empty()) {
    Pending& pending = queued_.front();
    if (Abandoned(pending)) {
      queued_.pop_front();
      continue;
    }
    if (!Due(pending, clock_.nowMs())) return;
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
    const int64_t now = clock_.nowMs();
    lastWriteMs_ = now;
    Pending taken = std::move(pending);
    queued_.pop_front();
    if (!failure.empty()) {
      Finish(taken, ExchangeOutcome::PortFailed, std::move(failure));
      continue;
    }
    taken.written = true;
    if (taken.waiter) {
      std::lock_guard lock(waitMutex_);
      taken.waiter->written = true;
    }
    if (!taken.exchange.awaited) {
      Finish(taken, ExchangeOutcome::Answered, {});
      continue;
    }
    taken.matcher.emplace(*taken.exchange.awaited, taken.exchange.timeoutMs, now);
    awaiting_.push_back(std::move(taken));
  }
}

void ReceiverConversation::MatchAnswers(const std::vector<ReplyEvent>& events) {
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

void ReceiverConversation::EndDecidedExchanges() {
  const int64_t now = clock_.nowMs();
  std::erase_if(awaiting_, [&](Pending& pending) {
    if (Abandoned(pending)) return true;
    const std::optional<ExchangeOutcome> outcome = pending.matcher->Decided(now);
    if (!outcome) return false;
    Finish(pending, *outcome, {});
    return true;
  });
}

// --- One pass -----------------------------------------------------------------------------------

void ReceiverConversation::RunPass() {
  TakeRequests();
  if (!active_) {
    EndAll(ExchangeOutcome::Cancelled, kNotMonitored);
    Deliver(PassValue{});
    SleepMs(kIdleSleepMs);
    return;
  }
  SleepMs(kPassSleepMs);

  PassValue pass;
  int count = 0;
  bool hostAnswered = false;
  switch (UsePort(count, hostAnswered)) {
    case PortUse::Inactive:
      EndAll(ExchangeOutcome::Cancelled, kNotMonitored);
      Deliver(pass);
      return;
    case PortUse::NoPort:
      EndAll(ExchangeOutcome::Cancelled, kNoPort);
      Deliver(pass);
      SleepMs(kPassSleepMs);
      return;
    case PortUse::Failed:
      StopOnPortFailure(pass);
      Deliver(pass);
      return;
    case PortUse::Read:
      break;
  }

  if (count > 0) {
    pass.heartbeat = heartbeat_ % 2 == 0 ? 'X' : 'O';
    ++heartbeat_;
    health_.bytesRead += static_cast<uint64_t>(count);
    WriteLog(receiveBuffer_, count);
  }
  if (options_.hostMode && count == 1 && receiveBuffer_[0] == kHostHandshake) {
    // The receiver's handshake byte is answered, not parsed.
    pass.hostAnswered = hostAnswered;
  } else {
    // With nothing new, a record held back last pass (both parsers had news) is shown now.
    Parse(count, pass);
  }
  EndDecidedExchanges();
  Publish(pass.navigation);
  pass.channelCount = channelCount_;
  pass.health = health_;
  Deliver(pass);
}

ReceiverConversation::PortUse ReceiverConversation::UsePort(int& count, bool& hostAnswered) {
  std::lock_guard lock(portMutex_);
  // Re-checked under the lock: SetActive(false) may have come while this pass slept.
  if (!active_) return PortUse::Inactive;
  if (port_ == nullptr || lent_) return PortUse::NoPort;
  IPort& port = *port_;

  if (lineResetDue_) {
    lineResetDue_ = false;
    port.Reset(kKeepBaudRate, kByteSize, kOneStopBit, kNoParity);
    if (!Drain(port)) return PortUse::Failed;
  }
  WriteDueExchanges(port);
  count = port.rxData(receiveBuffer_, kReceiveBufferSize - 1);
  if (count < 0) return PortUse::Failed;

  if (options_.hostMode && count == 1 && receiveBuffer_[0] == kHostHandshake) {
    try {
      port.txData(&kHostHandshake, 1);
      hostAnswered = true;
    } catch (const std::exception&) {
      // Ignored: the receiver will ask again.
    }
  }
  return PortUse::Read;
}

// Discards whatever the receiver had queued. Bounded, and cut short when the conversation is
// switched off, so a receiver that never pauses cannot hold the port for long.
bool ReceiverConversation::Drain(IPort& port) {
  for (int reads = 0; reads < kMaxDrainReads && active_; ++reads) {
    const int count = port.rxData(receiveBuffer_, kReceiveBufferSize);
    if (count < 0) return false;
    if (count == 0) break;
  }
  return true;
}

void ReceiverConversation::StopOnPortFailure(PassValue& pass) {
  active_ = false;
  CloseLog();
  EndAll(ExchangeOutcome::PortFailed, kPortFailed);
  pass.portFailed = true;
  pass.channelCount = channelCount_;
  pass.health = health_;
}

void ReceiverConversation::Parse(int count, PassValue& pass) {
  const int64_t now = clock_.nowSeconds();
  splitter_.Process(receiveBuffer_, count, now, [&](const EchoLine& line) {
    pass.lines.push_back({std::string(line.text), line.parser, line.result});
    if (line.result == 0) return;
    if (line.parser == ParserKind::Nmea) ++health_.sentencesAccepted;
    health_.lastValidSeconds = now;
  });
  health_.checksumErrors = nmea_.checksumErrorCount();
  health_.sentencesRejected = nmea_.errorCount() - nmea_.checksumErrorCount();
  health_.framesAccepted = binary_.framesGood();
  health_.framesRejected = binary_.framesBadChecksum();

  pass.replies = collector_.Take();
  MatchAnswers(pass.replies);

  NavigationUpdate update;
  update.source = TakeDisplayUpdate(nmea_, binary_, update.record);
  if (update.source != DisplaySource::None) pass.navigation = std::move(update);
}

void ReceiverConversation::Deliver(const PassValue& pass) {
  std::vector<std::pair<Completion, ExchangeResult>> finished;
  finished.swap(finished_);
  if (!pass.HasNews() && finished.empty()) return;
  handOff_([&] {
    if (pass.HasNews()) display_.ShowPass(pass);
    for (auto& [onDone, result] : finished) onDone(result);
  });
}

}  // namespace vetra
