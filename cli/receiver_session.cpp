#include "cli/receiver_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <thread>

#include "cli/capture_file.h"
#include "cli/interrupt_watcher.h"
#include "cli/port_argument.h"
#include "link/clock.h"
#include "trace/trace_scanner.h"

namespace vetra::cli {

// --- Session -------------------------------------------------------------------------------------

ReceiverSession::ReceiverSession(std::string program)
    : program_(std::move(program)), messages_(program_) {
  state_.lastActivity = Clock::now();
  // Once everything Interrupt() touches exists, and before the task's thread does.
  watcher_ = std::make_unique<InterruptWatcher>([this] { Interrupt(); });
}

ReceiverSession::~ReceiverSession() {
  Close();
  watcher_.reset();  // before the state it reports into goes
}

int ReceiverSession::Open(const std::string& portArgument, int baudRate, bool hostMode) {
  const std::string device = DevicePathForArgument(portArgument);
  if (device.empty()) {
    std::fprintf(stderr, "%s: '%s' names no serial device\n", program_.c_str(),
                 portArgument.c_str());
    return 2;
  }
  port_ = OpenReceiverPort(device, baudRate, hostMode, messages_);
  if (!port_) {
    messages_.Show("Wrong com!", "Open com port", IMessages::Kind::Error);
    return 1;
  }
  TViewTask::Options options;
  options.hostMode = hostMode;
  task_ = std::make_unique<TViewTask>(
      SystemClock::instance(), [](const std::function<void()>& fn) { fn(); },
      static_cast<IViewDisplay&>(*this), stores_, options);
  replyTask_ = task_.get();
  task_->port().Set(port_.get());
  task_->SetActive(true);
  return 0;
}

void ReceiverSession::Close() {
  if (task_) {
    task_->SetActive(false);
    task_->CloseLog();
    task_->port().Set(nullptr);
    task_.reset();  // a pass that read before SetActive(false) may still hand over meanwhile
    replyTask_ = nullptr;
  }
  port_.reset();
}

bool ReceiverSession::Send(const std::vector<uint8_t>& frame) {
  if (!port_) return false;
  try {
    port_->txData(frame.data(), static_cast<int>(frame.size()));
    return true;
  } catch (const PortWriteError& error) {
    messages_.Show(error.what(), "Error", IMessages::Kind::Error);
    return false;
  }
}

CommandAnswer ReceiverSession::SendAndWait(const std::vector<uint8_t>& frame, uint8_t commandId,
                                           std::optional<ReceiverEvent::Kind> replyKind,
                                           std::chrono::milliseconds timeout) {
  CommandAnswer answer;
  size_t seen = EventCount();
  if (!Send(frame)) {
    answer.outcome = CommandAnswer::Outcome::NotSent;
    return answer;
  }
  bool acked = false;
  Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    std::vector<ReceiverEvent> fresh;
    const WaitResult result = WaitUntil(
        [&](const SessionState& s) {
          if (s.events.size() <= seen) return false;
          fresh.assign(s.events.begin() + static_cast<std::ptrdiff_t>(seen), s.events.end());
          return true;
        },
        deadline);
    switch (result) {
      case WaitResult::Interrupted:
        answer.outcome = CommandAnswer::Outcome::Interrupted;
        return answer;
      case WaitResult::PortFailed:
        answer.outcome = CommandAnswer::Outcome::PortFailed;
        return answer;
      case WaitResult::TimedOut:
        answer.outcome =
            acked ? CommandAnswer::Outcome::AckedOnly : CommandAnswer::Outcome::Silence;
        return answer;
      case WaitResult::Done:
        break;
    }
    seen += fresh.size();
    for (const ReceiverEvent& event : fresh) {
      if (event.kind == ReceiverEvent::Kind::Nack && event.commandId == commandId) {
        answer.outcome = CommandAnswer::Outcome::Nack;
        return answer;
      }
      if (event.kind == ReceiverEvent::Kind::Ack && event.commandId == commandId) {
        acked = true;
        deadline = Clock::now() + timeout;
      } else if (replyKind && event.kind == *replyKind) {
        answer.reply = event;
      }
    }
    if (answer.reply || (acked && !replyKind)) {
      answer.outcome = CommandAnswer::Outcome::Answered;
      return answer;
    }
  }
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

SessionState ReceiverSession::Snapshot() const {
  std::lock_guard lock(mutex_);
  return state_;
}

size_t ReceiverSession::EventCount() const {
  std::lock_guard lock(mutex_);
  return state_.events.size();
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
  changed_.notify_all();
}

void ReceiverSession::ClearInterrupt() {
  std::lock_guard lock(mutex_);
  state_.interrupted = false;
}

bool ReceiverSession::StartCapture(const std::string& path, std::string& error) {
  if (!task_) {
    error = "no port is open";
    return false;
  }
  if (task_->logAttached()) {
    error = "a capture is running already";
    return false;
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  auto capture = std::make_unique<CaptureFile>(*this, fd);
  std::FILE* stream = capture->OpenStream();
  if (stream == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    state_.capturedBytes = 0;
    state_.capturedRecords = 0;
    state_.captureFailed = false;
    state_.lastActivity = Clock::now();
  }
  capture_ = std::move(capture);  // the previous capture's stream was closed by StopCapture
  if (!task_->AttachLog(stream)) {
    std::fclose(stream);
    error = "the capture slot is taken";
    return false;
  }
  return true;
}

bool ReceiverSession::StopCapture() {
  if (!task_ || !capture_) return false;
  task_->CloseLog();  // returns with every received byte written and the file closed
  std::lock_guard lock(mutex_);
  return !state_.captureFailed && !capture_->failed();
}

bool ReceiverSession::capturing() const { return task_ && task_->logAttached(); }

void ReceiverSession::Captured(int count, uint64_t recordsFound, bool writeFailed) {
  std::lock_guard lock(mutex_);
  state_.capturedBytes += static_cast<uint64_t>(count);
  state_.capturedRecords = recordsFound;
  if (writeFailed) state_.captureFailed = true;
  if (count > 0) state_.lastActivity = Clock::now();
  changed_.notify_all();
}

void ReceiverSession::Record(const ReceiverEvent& event) {
  std::lock_guard lock(mutex_);
  state_.events.push_back(event);
  changed_.notify_all();
}

// --- What the task hands over --------------------------------------------------------------------

void ReceiverSession::AppendNmeaLine(std::string_view) {
  std::lock_guard lock(mutex_);
  ++state_.linesReceived;
  state_.lastActivity = Clock::now();
  changed_.notify_all();
}

void ReceiverSession::ShowNavigation(const TNavRecord& display, DisplaySource) {
  std::lock_guard lock(mutex_);
  state_.lastNavigation = display;
  ++state_.navigationUpdates;
  changed_.notify_all();
}

void ReceiverSession::PortFailed() {
  std::lock_guard lock(mutex_);
  state_.portFailed = true;
  changed_.notify_all();
}

void ReceiverSession::onAck(uint8_t commandId) {
  Record({.kind = ReceiverEvent::Kind::Ack, .commandId = commandId});
}

void ReceiverSession::onNack(uint8_t commandId) {
  Record({.kind = ReceiverEvent::Kind::Nack, .commandId = commandId});
}

// The task waits inside the hand-off, so its reply fields can be read here.
void ReceiverSession::onTraceStatusFull() {
  Record({.kind = ReceiverEvent::Kind::TraceStatusFull,
          .trace = replyTask_->binary().replies().trace});
}

void ReceiverSession::onTraceStatusShort() {
  Record({.kind = ReceiverEvent::Kind::TraceStatusShort,
          .trace = replyTask_->binary().replies().trace});
}

void ReceiverSession::onTestResult() {
  Record({.kind = ReceiverEvent::Kind::TestResult, .testFailed = stores_.testFailed()});
}

// --- Progress ------------------------------------------------------------------------------------

ProgressBar::ProgressBar(std::string unit, uint64_t total)
    : unit_(std::move(unit)), total_(total == 0 ? 1 : total), terminal_(::isatty(STDERR_FILENO)) {}

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
