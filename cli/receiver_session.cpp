#include "cli/receiver_session.h"

#include <atomic>
#include <cstdio>
#include <span>
#include <thread>
#include <utility>

#include "app/page_rules.h"

#include "cli/capture_file.h"
#include "cli/console.h"
#include "cli/interrupt_watcher.h"
#include "cli/port_opening.h"
#include "session/line_health.h"
#include "trace/trace_scanner.h"
#include "util/clock.h"

namespace vetra::cli {

// --- Session -------------------------------------------------------------------------------------

ReceiverSession::ReceiverSession(std::string program)
    : program_(std::move(program)), messages_(program_) {
  state_.lastActivity = Clock::now();
  // Once everything Interrupt() touches exists, and before the conversation's thread does.
  watcher_ = std::make_unique<InterruptWatcher>([this] { Interrupt(); });
}

ReceiverSession::~ReceiverSession() {
  Close();
  watcher_.reset();  // before the state it reports into goes
}

int ReceiverSession::Open(const std::string& portArgument, int baudRate, bool hostMode) {
  const std::string device = DeviceOrSay(program_, portArgument);
  if (device.empty()) return kExitNoDevice;
  std::unique_ptr<TSerialPort> port =
      OpenPortOrSay(device, portArgument, baudRate, hostMode, messages_);
  if (!port) return kExitNotOpened;
  portArgument_ = portArgument;
  ReceiverConversation::Options options;
  options.hostMode = hostMode;
  conversation_ = std::make_unique<ReceiverConversation>(
      SystemClock::instance(), [](const std::function<void()>& fn) { fn(); },
      static_cast<IPassDisplay&>(*this), stores_, options);
  conversation_->AttachPort(std::move(port));
  conversation_->SetActive(true);
  return 0;
}

void ReceiverSession::Close() {
  if (!conversation_) return;
  conversation_->SetActive(false);
  conversation_->CloseLog();
  conversation_.reset();  // a pass that read before SetActive(false) may still be shown meanwhile
}

ExchangeResult ReceiverSession::SendAndWait(Exchange exchange,
                                            const ReceiverConversation::AnswerCallback& onAnswer) {
  std::stop_token stop;
  {
    std::lock_guard lock(mutex_);
    stop = stop_.get_token();
  }
  return conversation_->SendAndWait(std::move(exchange), stop, onAnswer);
}

ReceiverSession::WaitResult ReceiverSession::WaitUntil(
    const std::function<bool(const SessionState&)>& condition, Clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (state_.interrupted) return WaitResult::Interrupted;
    if (condition(state_)) return WaitResult::Done;
    if (state_.portFailed) return WaitResult::PortFailed;
    if (changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
      if (state_.interrupted) return WaitResult::Interrupted;
      return condition(state_) ? WaitResult::Done : WaitResult::TimedOut;
    }
  }
}

bool ReceiverSession::PauseUntil(Clock::time_point deadline) {
  return WaitUntil([](const SessionState&) { return false; }, deadline) == WaitResult::TimedOut;
}

std::string ReceiverSession::LineNote() const {
  return conversation_ ? SilentLineNote(conversation_->health(), portArgument_) : std::string();
}

bool ReceiverSession::LineShowsNothingValid() const {
  return conversation_ && vetra::LineShowsNothingValid(conversation_->health());
}

SessionState ReceiverSession::Snapshot() const {
  std::lock_guard lock(mutex_);
  return state_;
}

bool ReceiverSession::interrupted() const {
  std::lock_guard lock(mutex_);
  return state_.interrupted;
}

bool ReceiverSession::portFailed() const {
  std::lock_guard lock(mutex_);
  return state_.portFailed;
}

void ReceiverSession::Interrupt() {
  std::lock_guard lock(mutex_);
  state_.interrupted = true;
  stop_.request_stop();
  changed_.notify_all();
}

void ReceiverSession::ClearInterrupt() {
  std::lock_guard lock(mutex_);
  state_.interrupted = false;
  stop_ = std::stop_source();
}

bool ReceiverSession::StartCapture(const std::string& path, std::string& error) {
  if (!conversation_) {
    error = "no port is open";
    return false;
  }
  if (conversation_->logAttached()) {
    error = "a capture is running already";
    return false;
  }
  auto file = FileSink::Open(path, error);
  if (file == nullptr) return false;
  {
    std::lock_guard lock(mutex_);
    state_.capturedBytes = 0;
    state_.capturedRecords = 0;
    state_.captureFailed = false;
    state_.lastActivity = Clock::now();
  }
  // The conversation owns the sink from here; this session outlives the conversation.
  if (!conversation_->AttachLog(std::make_unique<CaptureFile>(*this, std::move(file)))) {
    error = "the capture slot is taken";
    return false;
  }
  captureStarted_ = true;
  return true;
}

bool ReceiverSession::StopCapture() {
  if (!conversation_ || !captureStarted_) return false;
  conversation_->CloseLog();  // returns with every received byte written and the file closed
  std::lock_guard lock(mutex_);
  return !state_.captureFailed;
}

bool ReceiverSession::capturing() const { return conversation_ && conversation_->logAttached(); }

void ReceiverSession::Captured(int count, uint64_t recordsFound, bool writeFailed) {
  std::lock_guard lock(mutex_);
  state_.capturedBytes += static_cast<uint64_t>(count);
  state_.capturedRecords = recordsFound;
  if (writeFailed) state_.captureFailed = true;
  if (count > 0) state_.lastActivity = Clock::now();
  changed_.notify_all();
}

void ReceiverSession::ShowPassesTo(IPassDisplay* display) {
  std::lock_guard lock(mutex_);
  alsoShowTo_ = display;
}

void ReceiverSession::ShowPass(const PassValue& pass) {
  std::lock_guard lock(mutex_);
  if (alsoShowTo_ != nullptr) alsoShowTo_->ShowPass(pass);
  bool changed = false;
  if (!pass.fixes.empty()) {
    state_.lastFix = pass.fixes.back();
    changed = true;
  }
  if (pass.portFailed) {
    state_.portFailed = true;
    changed = true;
  }
  if (changed) changed_.notify_all();
}

// --- Progress ------------------------------------------------------------------------------------

ProgressBar::ProgressBar(std::string unit, uint64_t total)
    : unit_(std::move(unit)), total_(total == 0 ? 1 : total), terminal_(StderrIsTerminal()) {}

void ProgressBar::Show(uint64_t done) {
  if (done > total_) done = total_;
  if (terminal_) {
    if (done == lastShown_) return;
    constexpr uint64_t kWidth = 30;
    const uint64_t filled = done * kWidth / total_;
    std::string bar(filled, '#');
    bar.append(kWidth - filled, ' ');
    std::fprintf(stderr, "\r[%s] %llu/%llu %s", bar.c_str(), static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total_), unit_.c_str());
    drawn_ = true;
  } else {
    const int tenth = static_cast<int>(done * 10 / total_);
    if (tenth <= lastTenth_) return;
    lastTenth_ = tenth;
    std::fprintf(stderr, "%llu/%llu %s\n", static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total_), unit_.c_str());
  }
  lastShown_ = done;
  std::fflush(stderr);
}

void ProgressBar::Finish() {
  if (terminal_ && drawn_) std::fputc('\n', stderr);
  drawn_ = false;
}

}  // namespace vetra::cli
