#include "session/receiver_conversation.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <system_error>
#include <utility>

#include "util/thread_name.h"

namespace vetra {

namespace {

// Line settings of the monitoring restart and of ResetLine: 8 data bits, one stop bit, no parity
// (even parity in host mode is the port's own).
constexpr int kKeepBaudRate = 0;
constexpr int kByteSize = 8;
constexpr int kOneStopBit = 0;
constexpr int kNoParity = 0;

constexpr int kIdleSleepMs = 500;
constexpr int kSleepSliceMs = 50;  // sleeps are cut into slices so that a stop is noticed soon

constexpr uint8_t kHostHandshake = 'U';

constexpr const char* kNoPort = "no port";
constexpr const char* kNotMonitored = "monitoring stopped";
constexpr const char* kPortFailed = "the port failed";

std::string ReasonOrDefault(const std::string& reason) {
  return !reason.empty() ? reason : "the file could not be written";
}

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
      options_(options),
      binary_(stores),
      collector_(binary_, stores),
      splitter_(nmea_, binary_),
      exchanges_(clock),
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
  exchanges_.EndAll(ExchangeOutcome::Cancelled, "the conversation ended");
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

uint64_t ReceiverConversation::RestartMonitoring() {
  std::lock_guard lock(requestMutex_);
  restartRequested_ = true;
  return ++restartRequests_;
}

void ReceiverConversation::ToggleChannelCount(bool secondChipSelected) {
  std::lock_guard lock(requestMutex_);
  channelToggles_.push_back(secondChipSelected);
}

TNavRecord ReceiverConversation::DisplayCopy() const {
  std::lock_guard lock(publishedMutex_);
  return published_.display;
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
  published_.channelCount = channelCount_;
  published_.health = health_;
}

void ReceiverConversation::TakeRequests() {
  bool restart = false;
  std::vector<bool> toggles;
  exchanges_.TakePosted();
  {
    std::lock_guard lock(requestMutex_);
    restart = std::exchange(restartRequested_, false);
    if (restart) restartsTaken_ = restartRequests_;
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

bool ReceiverConversation::AttachLog(std::unique_ptr<IByteSink> sink) {
  std::lock_guard lock(logMutex_);
  if (log_ != nullptr || sink == nullptr) return false;
  log_ = std::move(sink);
  return true;
}

std::string ReceiverConversation::CloseLog() {
  std::lock_guard lock(logMutex_);
  if (log_ == nullptr) return {};
  const bool closed = log_->Close();
  const std::string reason = closed ? std::string() : ReasonOrDefault(log_->error());
  log_.reset();
  return reason;
}

bool ReceiverConversation::logAttached() const {
  std::lock_guard lock(logMutex_);
  return log_ != nullptr;
}

void ReceiverConversation::WriteLog(const uint8_t* bytes, int count, PassValue& pass) {
  std::lock_guard lock(logMutex_);
  if (log_ == nullptr) return;
  // The sink flushes each write: a buffer would hide a full disk until the file is closed.
  if (log_->Write(bytes, static_cast<size_t>(count))) return;
  const std::string reason = ReasonOrDefault(log_->error());
  log_->Close();  // keeps what was written
  log_.reset();
  pass.captureFailure = CaptureFailure{reason};
}

// --- Talking ------------------------------------------------------------------------------------

bool ReceiverConversation::Post(Exchange exchange, Completion onDone) {
  if (!portOpen_) return false;
  exchanges_.Post(std::move(exchange), std::move(onDone));
  return true;
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
  if (!portOpen_) return NoPortResult();
  return exchanges_.Wait(std::move(exchange), std::move(stop), onAnswer);
}

// --- One pass -----------------------------------------------------------------------------------

void ReceiverConversation::RunPass() {
  TakeRequests();
  if (!active_) {
    exchanges_.EndAll(ExchangeOutcome::Cancelled, kNotMonitored);
    PassValue idle;
    Deliver(idle);
    SleepMs(kIdleSleepMs);
    return;
  }
  SleepMs(passIntervalMs_);

  PassValue pass;
  int count = 0;
  bool hostAnswered = false;
  switch (UsePort(count, hostAnswered)) {
    case PortUse::Inactive:
      exchanges_.EndAll(ExchangeOutcome::Cancelled, kNotMonitored);
      Deliver(pass);
      return;
    case PortUse::NoPort:
      exchanges_.EndAll(ExchangeOutcome::Cancelled, kNoPort);
      Deliver(pass);
      SleepMs(kDefaultPassIntervalMs);
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
    health_.lastByteMs = clock_.nowMs();
    WriteLog(receiveBuffer_, count, pass);
  }
  if (options_.hostMode && count == 1 && receiveBuffer_[0] == kHostHandshake) {
    // The receiver's handshake byte is answered, not parsed.
    pass.hostAnswered = hostAnswered;
  } else {
    // With nothing new, a record held back last pass (both parsers had news) is shown now.
    Parse(count, pass);
    epochs_.Feed({receiveBuffer_, static_cast<size_t>(count)}, pass.epochs, &pass.sentences);
  }
  // A live epoch closes after the receiver's silence, not only when the next one begins.
  epochs_.Idle(clock_.nowMs(), pass.epochs);
  exchanges_.EndDecided();
  // The display copy is the last record handed off.
  Publish(pass.binaryNavigation ? pass.binaryNavigation : pass.navigation);
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
  exchanges_.WriteDue(port);
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
  exchanges_.EndAll(ExchangeOutcome::PortFailed, kPortFailed);
  pass.portFailed = true;
  pass.channelCount = channelCount_;
  pass.health = health_;
}

void ReceiverConversation::Parse(int count, PassValue& pass) {
  const int64_t now = clock_.nowSeconds();
  pass.seconds = now;
  const int64_t nowMs = clock_.nowMs();
  splitter_.Process(receiveBuffer_, count, now, [&](const EchoLine& line) {
    pass.lines.push_back(
        {std::string(line.text), line.parser, line.result,
         line.parser == ParserKind::Binary ? std::string(line.raw) : std::string()});
    if (line.result == 0) return;
    if (DecodesPosition(line)) {
      const TNavRecord& record =
          line.parser == ParserKind::Nmea ? nmea_.record() : binary_.record();
      if (auto fix = FixSampleOf(record)) pass.fixes.push_back(*fix);
    }
    if (line.parser == ParserKind::Nmea) ++health_.sentencesAccepted;
    health_.lastValidSeconds = now;
    health_.lastValidMs = nowMs;
  });
  health_.checksumErrors = nmea_.checksumErrorCount();
  health_.sentencesRejected = nmea_.errorCount() - nmea_.checksumErrorCount();
  health_.framesAccepted = binary_.framesGood();
  health_.framesRejected = binary_.framesBadChecksum();

  pass.replies = collector_.Take();
  exchanges_.Offer(pass.replies);

  // Both parsers' news in each pass: with NMEA and binary output together, TNmea has news in
  // nearly every pass, and TBinary's record would otherwise wait for good.
  NavigationUpdate update;
  update.source = TakeDisplayUpdate(nmea_, binary_, update.record);
  if (update.source == DisplaySource::None) return;
  pass.navigation = std::move(update);
  if (pass.navigation->source != DisplaySource::Nmea) return;
  NavigationUpdate binary;
  binary.source = TakeDisplayUpdate(nmea_, binary_, binary.record);
  if (binary.source == DisplaySource::Binary) pass.binaryNavigation = std::move(binary);
}

void ReceiverConversation::Deliver(PassValue& pass) {
  pass.monitoringRestarts = restartsTaken_;
  auto finished = exchanges_.TakeFinished();
  if (!pass.HasNews() && finished.empty()) return;
  handOff_([&] {
    if (pass.HasNews()) display_.ShowPass(pass);
    for (auto& [onDone, result] : finished) onDone(result);
  });
}

}  // namespace vetra
