#include "sim/virtual_receiver.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "sim/replay_player.h"
#include "util/latency_trace.h"

namespace vetra::sim {

namespace {
constexpr double kChunkS = 0.010;      // the wire hands over about 10 ms of bytes at a time
constexpr double kHoldPollS = 0.010;   // how often a held line looks at the host's rate
constexpr int kHostQueueLimit = 4096;  // what a serial driver would buffer for the host
constexpr size_t kKeptCommands = 256;
constexpr int kMaxWaitMs = 200;

int64_t UtcNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}
}  // namespace

VirtualReceiver::VirtualReceiver(SimOptions options) : options_(std::move(options)) {
  noise_ = options_.seed * 2246822519u + 1u;
}

VirtualReceiver::~VirtualReceiver() { Stop(); }

const std::string& VirtualReceiver::devicePath() const {
  return options_.linkPath.empty() ? terminal_.slavePath() : options_.linkPath;
}

bool VirtualReceiver::Start() {
  if (thread_.joinable()) return true;
  if (!options_.replayPath.empty()) {
    replay_ = ReplayPlayer::Open(options_.replayPath, options_.baud, options_.replayLoop, error_);
    if (!replay_) return false;
    lineEnd_ = replay_.get();
  } else {
    module_ = std::make_unique<ReceiverModule>(options_, UtcNowMs(), &faults_);
    module_->SetCommandObserver([this](const CommandFrame& frame) {
      {
        std::lock_guard lock(commandsMutex_);
        commands_.push_back(frame);
        if (commands_.size() > kKeptCommands) commands_.pop_front();
        ++commandCount_;
      }
      commandsChanged_.notify_all();
    });
    lineEnd_ = module_.get();
  }
  baud_ = lineEnd_->baud();
  if (!terminal_.Open(lineEnd_->baud())) {
    error_ = terminal_.error();
    return false;
  }
  if (!options_.linkPath.empty() && !terminal_.MakeLink(options_.linkPath)) {
    error_ = terminal_.error();
    terminal_.Close();
    return false;
  }
  wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd_ < 0) {
    error_ = "eventfd failed";
    terminal_.Close();
    return false;
  }
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
  return true;
}

void VirtualReceiver::Stop() {
  if (thread_.joinable()) {
    thread_.request_stop();
    Wake();
    thread_.join();
  }
  terminal_.Close();
  if (wakeFd_ >= 0) ::close(wakeFd_);
  wakeFd_ = -1;
}

void VirtualReceiver::Wake() {
  if (wakeFd_ < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

void VirtualReceiver::DropLine() {
  dropRequested_ = true;
  Wake();
}

void VirtualReceiver::CloseLine() {
  std::lock_guard lock(moduleMutex_);
  dropped_ = true;  // before the host can see the hang-up
  terminal_.Close();
}

void VirtualReceiver::Run(std::stop_token stop) {
  ::pthread_setname_np(::pthread_self(), "VirtualRx");
  const auto start = std::chrono::steady_clock::now();
  const auto seconds = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  while (!stop.stop_requested()) {
    const uint64_t dropAfter = faults_.dropLineAfterReceived.load();
    if (!dropped_ && (dropRequested_ || (dropAfter != 0 && bytesReceived_ >= dropAfter))) {
      CloseLine();
    }
    double nowS = seconds();
    double nextS = nowS + kMaxWaitMs / 1000.0;
    bool pending = false;
    {
      std::lock_guard lock(moduleMutex_);
      nextS = std::min(nextS, lineEnd_->Advance(nowS));
    }
    if (!dropped_ && nowS >= txFreeAtS_) Transmit(nowS);
    {
      std::lock_guard lock(moduleMutex_);
      if (dropped_) lineEnd_->output().ClearBytes();  // nobody is at the other end any more
      pending = lineEnd_->output().size() > 0;
    }
    if (pending) nextS = std::min(nextS, txFreeAtS_);

    const bool canTake = !dropped_ && nowS >= rxFreeAtS_;
    if (!dropped_ && !canTake) nextS = std::min(nextS, rxFreeAtS_);
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {canTake ? terminal_.masterFd() : -1, POLLIN, 0}};
    const int waitMs =
        std::clamp(static_cast<int>(std::ceil((nextS - nowS) * 1000.0)), 0, kMaxWaitMs);
    if (::poll(fds, 2, waitMs) < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
    }
    if (canTake && (fds[1].revents & POLLIN)) {
      const double bytesPerSecond = baud_.load() / 10.0;
      const size_t allowed = static_cast<size_t>(std::max(1.0, bytesPerSecond * kChunkS));
      ReceiveFromHost(seconds(), allowed);
    }
  }
}

void VirtualReceiver::Transmit(double nowS) {
  chunk_.clear();
  bool drained = false;  // this chunk ends what the module had to say for now
  {
    std::lock_guard lock(moduleMutex_);
    for (int change = 0; (change = lineEnd_->output().TakeBaudChange()) != 0;) {
      lineEnd_->ApplyBaudChange(change);
    }
    baud_ = lineEnd_->baud();
    if (faults_.silent.load()) {
      lineEnd_->output().ClearBytes();
      return;
    }
    if (lineEnd_->output().holding(nowS)) {
      const int hostBaud = terminal_.hostBaud();
      if (hostBaud != 0 && hostBaud != baud_.load()) {
        txFreeAtS_ = nowS + kHoldPollS;  // look at the host's rate again soon, without spinning
        return;
      }
      lineEnd_->output().ReleaseHold();
    }
    const double bytesPerSecond = baud_.load() / 10.0;
    const size_t count = static_cast<size_t>(std::max(1.0, bytesPerSecond * kChunkS));
    lineEnd_->output().Take(count, chunk_);
    drained = lineEnd_->output().size() == 0;
  }
  if (chunk_.empty()) return;
  const double bytesPerSecond = baud_.load() / 10.0;
  // The line is busy for as long as the bytes take; a late start does not make up for lost time.
  txFreeAtS_ = std::max(txFreeAtS_, nowS - kChunkS) + chunk_.size() / bytesPerSecond;
  bytesSent_ += chunk_.size();
  if (terminal_.hostQueued() + static_cast<int>(chunk_.size()) > kHostQueueLimit) {
    overrun_ += chunk_.size();
    return;
  }
  const int hostBaud = terminal_.hostBaud();
  if (hostBaud != 0 && hostBaud != baud_.load()) {
    // A receiver at the wrong rate decodes the bit stream into bytes that mean nothing.
    for (uint8_t& b : chunk_) {
      noise_ ^= noise_ << 13;
      noise_ ^= noise_ >> 17;
      noise_ ^= noise_ << 5;
      b = static_cast<uint8_t>(noise_ >> 24);
      if (b == '$') b = 0xA4;
    }
    garbledSent_ += chunk_.size();
  }
  const ssize_t written = ::write(terminal_.masterFd(), chunk_.data(), chunk_.size());
  if (written < static_cast<ssize_t>(chunk_.size())) {
    overrun_ += chunk_.size() - static_cast<size_t>(std::max<ssize_t>(written, 0));
  } else if (drained) {
    vetra::TraceLatencyEvent("sent");  // the latency benchmark's start mark (off unless asked for)
  }
}

void VirtualReceiver::ReceiveFromHost(double nowS, size_t allowed) {
  uint8_t buffer[4096];
  const ssize_t n = ::read(terminal_.masterFd(), buffer, std::min(allowed, sizeof buffer));
  if (n <= 0) return;
  const double bytesPerSecond = baud_.load() / 10.0;
  rxFreeAtS_ = std::max(rxFreeAtS_, nowS - kChunkS) + n / bytesPerSecond;
  bytesReceived_ += static_cast<uint64_t>(n);
  const int hostBaud = terminal_.hostBaud();
  if (hostBaud != 0 && hostBaud != baud_.load()) {
    garbledReceived_ += static_cast<uint64_t>(n);
    return;
  }
  std::lock_guard lock(moduleMutex_);
  lineEnd_->Receive(std::span<const uint8_t>(buffer, static_cast<size_t>(n)), nowS);
}

std::vector<CommandFrame> VirtualReceiver::commands() const {
  std::lock_guard lock(commandsMutex_);
  return {commands_.begin(), commands_.end()};
}

uint64_t VirtualReceiver::commandCount() const {
  std::lock_guard lock(commandsMutex_);
  return commandCount_;
}

bool VirtualReceiver::WaitForCommands(uint64_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(commandsMutex_);
  return commandsChanged_.wait_for(lock, timeout, [&] { return commandCount_ >= count; });
}

bool VirtualReceiver::handshakeDone() const {
  std::lock_guard lock(moduleMutex_);
  return module_ && module_->handshakeDone();
}

ReceiverModule::Mode VirtualReceiver::mode() const {
  std::lock_guard lock(moduleMutex_);
  return module_ ? module_->mode() : ReceiverModule::Mode::Running;
}

ModuleSettings VirtualReceiver::settings() const {
  std::lock_guard lock(moduleMutex_);
  return module_ ? module_->settings() : ModuleSettings{};
}

FirmwareRevision VirtualReceiver::revision() const {
  std::lock_guard lock(moduleMutex_);
  return module_ ? module_->revision() : FirmwareRevision{};
}

std::vector<uint8_t> VirtualReceiver::flashImage() const {
  std::lock_guard lock(moduleMutex_);
  return module_ ? module_->flashImage() : std::vector<uint8_t>{};
}

std::vector<TraceRecord> VirtualReceiver::traceRecords() const {
  std::lock_guard lock(moduleMutex_);
  if (!module_) return {};
  const auto& records = module_->traceMemory().records();
  return {records.begin(), records.end()};
}

uint64_t VirtualReceiver::restarts() const {
  std::lock_guard lock(moduleMutex_);
  return module_ ? module_->restarts() : 0;
}

bool VirtualReceiver::hasFix() const {
  std::lock_guard lock(moduleMutex_);
  return module_ && module_->hasFix();
}

bool VirtualReceiver::replayFinished() const {
  std::lock_guard lock(moduleMutex_);
  return replay_ && replay_->finished();
}

}  // namespace vetra::sim
