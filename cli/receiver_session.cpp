#include "cli/receiver_session.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <thread>
#include <utility>

#include "cli/port_argument.h"
#include "link/clock.h"
#include "trace/trace_scanner.h"

namespace vetra::cli {

// --- Ctrl-C ----------------------------------------------------------------------------------

// Takes SIGINT and SIGTERM on a thread of its own (sigwait), so that a signal can wake a waiting
// condition variable, which a signal handler may not. The signals are blocked in the creating
// thread before any other thread exists, and every thread created later inherits that.
class InterruptWatcher {
 public:
  explicit InterruptWatcher(std::function<void()> onInterrupt)
      : onInterrupt_(std::move(onInterrupt)) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, kWake);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    thread_ = std::thread([this] { Run(); });
  }
  ~InterruptWatcher() {
    stopping_ = true;
    pthread_kill(thread_.native_handle(), kWake);
    thread_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

 private:
  static constexpr int kWake = SIGUSR2;

  void Run() {
    int taken = 0;
    for (;;) {
      int signal = 0;
      if (sigwait(&signals_, &signal) != 0) continue;
      if (signal == kWake) {
        if (stopping_) return;
        continue;
      }
      if (++taken == 1) {
        onInterrupt_();
        continue;
      }
      // A second Ctrl-C: the user does not want to wait for the wind-down. Captures are written
      // chunk by chunk, so nothing received is lost.
      ::signal(signal, SIG_DFL);
      sigset_t one;
      sigemptyset(&one);
      sigaddset(&one, signal);
      pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
      ::raise(signal);
    }
  }

  std::function<void()> onInterrupt_;
  sigset_t signals_{};
  sigset_t previous_{};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// --- Capture file ------------------------------------------------------------------------------

// The stream handed to the task's capture slot: every chunk the task writes goes straight to the
// file (no stdio buffer that a hard end could lose) and through a trace scanner, which counts the
// records exactly as the converter will find them.
class CaptureFile {
 public:
  CaptureFile(ReceiverSession& session, int fd) : session_(session), fd_(fd) {}
  ~CaptureFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  CaptureFile(const CaptureFile&) = delete;
  CaptureFile& operator=(const CaptureFile&) = delete;

  std::FILE* OpenStream() {
    cookie_io_functions_t functions{};
    functions.write = &CaptureFile::Write;
    functions.close = &CaptureFile::Close;
    std::FILE* stream = fopencookie(this, "w", functions);
    if (stream != nullptr) std::setvbuf(stream, nullptr, _IONBF, 0);
    return stream;
  }
  bool failed() const { return failed_; }

 private:
  static ssize_t Write(void* cookie, const char* bytes, size_t size) {
    auto* self = static_cast<CaptureFile*>(cookie);
    bool ok = true;
    size_t done = 0;
    while (done < size) {
      const ssize_t n = ::write(self->fd_, bytes + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = false;
        break;
      }
      done += static_cast<size_t>(n);
    }
    if (!ok) self->failed_ = true;
    self->scanner_.Feed(std::span(reinterpret_cast<const uint8_t*>(bytes), size),
                        [](std::span<const uint8_t, kTracePayloadSize>) {});
    self->session_.Captured(static_cast<int>(size), self->scanner_.recordsFound(), !ok);
    return ok ? static_cast<ssize_t>(size) : -1;
  }
  static int Close(void* cookie) {
    auto* self = static_cast<CaptureFile*>(cookie);
    const int result = ::close(self->fd_);
    self->fd_ = -1;
    if (result != 0) {
      self->failed_ = true;
      self->session_.Captured(0, self->scanner_.recordsFound(), true);
    }
    return result;
  }

  ReceiverSession& session_;
  int fd_;
  bool failed_ = false;  // task thread while attached; read after CloseLog returned
  TTraceScanner scanner_;
};

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
  const std::string device = DevicePathForArgument(portArgument);
  if (device.empty()) {
    std::fprintf(stderr, "%s: '%s' names no serial device\n", program_.c_str(),
                 portArgument.c_str());
    return 2;
  }
  std::unique_ptr<TSerialPort> port = OpenReceiverPort(device, baudRate, hostMode, messages_);
  if (!port) {
    messages_.Show("Wrong com!", "Open com port", IMessages::Kind::Error);
    return 1;
  }
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
  if (!conversation_->AttachLog(stream)) {
    std::fclose(stream);
    error = "the capture slot is taken";
    return false;
  }
  return true;
}

bool ReceiverSession::StopCapture() {
  if (!conversation_ || !capture_) return false;
  conversation_->CloseLog();  // returns with every received byte written and the file closed
  std::lock_guard lock(mutex_);
  return !state_.captureFailed && !capture_->failed();
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

void ReceiverSession::ShowPass(const PassValue& pass) {
  if (!pass.portFailed) return;
  std::lock_guard lock(mutex_);
  state_.portFailed = true;
  changed_.notify_all();
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
